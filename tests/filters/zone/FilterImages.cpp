#include "FilterImages.h"

#include <random>

CLayerBitmap MakeRowImage(const std::vector<Rgb>& colours, const std::vector<float>& depths) {
  const int width = int(depths.size());
  auto colour = std::make_unique<rgbBitmap>(width, 1);
  auto depth = std::make_unique<depthBitmap>(width, 1);
  for (int x = 0; x < width; ++x) {
    for (int c = 0; c < 3; ++c) colour->GetLine(0)[3 * x + c] = colours[x][c];
    depth->GetLine(0)[x] = depths[x];
  }
  CLayerBitmap image(std::move(colour));
  image.AddLayer(std::move(depth));
  return image;
}

CLayerBitmap MakeRowImage(const Rgb& colour, const std::vector<float>& depths) {
  return MakeRowImage(std::vector<Rgb>(depths.size(), colour), depths);
}

CLayerBitmap MakeNoiseImage(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_real_distribution<float> jitter(-2.0f, 2.0f);
  auto colour = std::make_unique<rgbBitmap>(width, height);
  auto depth = std::make_unique<depthBitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) colour->GetLine(y)[3 * x + c] = uint8_t(byte(random));
      // Depth grows across the image from 1 to 21, so every part of every ramp is crossed.
      depth->GetLine(y)[x] = 1.0f + 20.0f * float(x + y) / float(width + height) + jitter(random);
    }
  }
  CLayerBitmap image(std::move(colour));
  image.AddLayer(std::move(depth));
  return image;
}

std::vector<Rgb> PixelsOf(const rgbBitmap& image) {
  std::vector<Rgb> pixels;
  for (int y = 0; y < image.GetHeight(); ++y) {
    const uint8_t* row = image.GetLine(y);
    for (int x = 0; x < image.GetWidth(); ++x) pixels.push_back({row[3 * x], row[3 * x + 1], row[3 * x + 2]});
  }
  return pixels;
}

HslValue HslOf(const Rgb& pixel) {
  HslValue v{};
  ConvertRGBToHSL(pixel[0] / 255.0, pixel[1] / 255.0, pixel[2] / 255.0, v.h, v.s, v.l);
  return v;
}
