#include "DofScenes.h"

#include <algorithm>
#include <cstdint>

#include "filters/dof/DepthOfFieldSettings.h"

namespace {

uint32_t Hash(uint32_t x, uint32_t y) {
  uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

enum class Part { Background, Ground, Wall, NearObject };

Part PartAt(int width, int height, int x, int y) {
  const int cx = width * 2 / 3;
  const int cy = height / 2;
  const int radius = std::max(2, height / 5);
  if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) return Part::NearObject;
  if (x < width / 3 && y >= height / 5) return Part::Wall;
  if (y >= height * 3 / 5) return Part::Ground;
  return Part::Background;
}

float DepthAt(const DofSceneDepths& d, int width, int height, int x, int y) {
  switch (PartAt(width, height, x, y)) {
    case Part::NearObject: return d.nearObject;
    case Part::Wall: return d.wall;
    case Part::Ground: {
      const int top = height * 3 / 5;
      const float t = height - 1 > top ? float(y - top) / float(height - 1 - top) : 1.0f;
      return d.groundFar + (d.groundNear - d.groundFar) * t;
    }
    case Part::Background: break;
  }
  return d.background;
}

uint8_t AlphaAt(int width, int height, int x, int y) {
  switch (PartAt(width, height, x, y)) {
    case Part::Background: return 0;
    case Part::Ground: return uint8_t(64 + (x * 191) / std::max(1, width - 1));
    default: return 255;
  }
}

}  // namespace

std::unique_ptr<CLayerBitmap> MakeDofScene(int width, int height, bool withAlpha, const DofSceneDepths& depths) {
  auto colour = std::make_unique<rgbBitmap>(width, height);
  auto depth = std::make_unique<depthBitmap>(width, height);
  auto alpha = std::make_unique<alphaBitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* c = colour->GetLine(y);
    float* d = depth->GetLine(y);
    uint8_t* a = alpha->GetLine(y);
    for (int x = 0; x < width; ++x) {
      const uint32_t h = Hash(uint32_t(x), uint32_t(y));
      c[3 * x] = uint8_t(h);
      c[3 * x + 1] = uint8_t(h >> 8);
      c[3 * x + 2] = uint8_t(h >> 16);
      d[x] = DepthAt(depths, width, height, x, y);
      a[x] = AlphaAt(width, height, x, y);
    }
  }
  auto image = std::make_unique<CLayerBitmap>(std::move(colour));
  image->AddLayer(std::move(depth));
  if (withAlpha) image->AddLayer(std::move(alpha));
  return image;
}

DepthOfFieldSettings DofSceneSettings(const CLayerBitmap& scene, int frontAmount, int backAmount,
                                      const DofSceneDepths& depths) {
  DepthOfFieldSettings s;
  s.Reset(scene);
  s.FieldNear = depths.wall * 0.9;
  s.FieldFar = depths.wall * 1.1;
  s.SetAmounts(frontAmount, backAmount);
  s.FrontMaxDepth = depths.nearObject;
  s.BackMaxDepth = depths.background;
  s.PixelScale = scene.GetWidth() / s.FilmWidth;
  return s;
}
