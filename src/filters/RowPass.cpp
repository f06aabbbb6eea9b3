#include "filters/RowPass.h"

#include <algorithm>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "platform/image/PixelConversion.h"

int ProgressRowInterval(int height) { return std::max(1, height / 5); }

bool RunRowPass(int height, RenderProgress& progress, const std::function<void(int y)>& computeRow) {
  if (height < 1) return true;
  const int interval = ProgressRowInterval(height);
  for (int first = 0; first < height; first += interval) {
    // The display is the user interface's: it is only ever touched from this thread.
    if (progress.Step()) return false;
    const int last = std::min(height, first + interval);
    tbb::parallel_for(tbb::blocked_range<int>(first, last), [&](const tbb::blocked_range<int>& rows) {
      for (int y = rows.begin(); y != rows.end(); ++y) computeRow(y);
    });
  }
  return true;
}

FilterLayers GetFilterLayers(const CLayerBitmap& source, rgbBitmap& destination) {
  const auto* colour = source.GetLayer<rgbBitmap>();
  const auto* depth = source.GetLayer<depthBitmap>();
  if (!colour || !depth) return {};
  const int width = destination.GetWidth();
  const int height = destination.GetHeight();
  if (colour->GetWidth() != width || colour->GetHeight() != height) return {};
  if (depth->GetWidth() != width || depth->GetHeight() != height) return {};
  const auto* alpha = source.GetLayer<alphaBitmap>();
  if (alpha && (alpha->GetWidth() != width || alpha->GetHeight() != height)) alpha = nullptr;
  return {colour, depth, alpha, &destination};
}

void UnpremultiplyPixel(const uint8_t* in, uint8_t alpha, uint8_t* straight) {
  for (int k = 0; k < 3; ++k) straight[k] = uint8_t(std::min(255, (in[k] * 255 + alpha / 2) / alpha));
}

void PremultiplyPixel(uint8_t* colour, uint8_t alpha) {
  for (int k = 0; k < 3; ++k) colour[k] = uint8_t((colour[k] * alpha + 127) / 255);
}

float LinearToDisplay(float linear) { return LinearToSrgbUnit(linear); }

float DisplayToLinear(float shown) { return SrgbUnitToLinear(shown); }

float DisplayScale(const float* premultiplied, float alpha) {
  const float brightest = std::max({premultiplied[0], premultiplied[1], premultiplied[2]}) / alpha;
  return brightest > 1.0f ? brightest : 1.0f;
}

FloatFilterLayers GetFloatFilterLayers(const CLayerBitmap& source, rgbFloatBitmap& destination) {
  const auto* colour = source.GetLayer<rgbFloatBitmap>();
  const auto* depth = source.GetLayer<depthBitmap>();
  if (!colour || !depth) return {};
  const int width = destination.GetWidth();
  const int height = destination.GetHeight();
  if (colour->GetWidth() != width || colour->GetHeight() != height) return {};
  if (depth->GetWidth() != width || depth->GetHeight() != height) return {};
  const auto* alpha = source.GetLayer<alphaFloatBitmap>();
  if (alpha && (alpha->GetWidth() != width || alpha->GetHeight() != height)) alpha = nullptr;
  return {colour, depth, alpha, &destination};
}
