#include "ReferenceDepthOfField.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/DepthSlices.h"

namespace {

// The yardstick is never cancelled.
bool PollBeforeRow(int) { return false; }

double DepthAt(const depthBitmap& depth, int x, int y) { return depth.GetLine(y)[x]; }

uint8_t KernelAt(const g8Bitmap& k, int x, int y) { return k.GetLine(y)[x]; }

bool ReferenceProcessSlice(const DepthOfFieldSettings& settings, const DepthOfFieldOptions& options,
                           const g8Bitmap& diaph, const rgbBitmap& colour, const depthBitmap& depth,
                           rgbBitmap& output, double lo, double hi) {
  double rh = settings.BlurPixels(hi, false);
  double rl = settings.BlurPixels(lo, false);
  double mn = std::min(rh, rl);
  double mx = std::max(rh, rl);
  if (mn < 0 && mx > 0) {
    mx = std::max(std::max(std::fabs(mn), mx), 1.0);
    mn = 1.0;
  }
  double a = std::min(std::fabs(mn), std::fabs(mx));
  double b = std::max(std::fabs(mn), std::fabs(mx));
  auto table = BlurKernelTable::Build(a, b, options.KernelStep, diaph);
  auto mask = ReferenceBuildSliceMask(settings, depth, *table, lo, hi);
  if (!mask) return false;
  return ReferenceCompositeSlice(settings, colour, depth, output, *mask, *table);
}

bool ReferenceRenderSlices(const DepthOfFieldSettings& settings, const DepthOfFieldOptions& options,
                           const g8Bitmap& diaph, const DepthSliceList& slices, const rgbBitmap& colour,
                           const depthBitmap& depth, rgbBitmap& output) {
  for (int i = 0; i < slices.GetCount(); ++i) {
    if (!ReferenceProcessSlice(settings, options, diaph, colour, depth, output, slices.Get(i).lo,
                               slices.Get(i).hi)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<g8Bitmap> ReferenceBuildSliceMask(const DepthOfFieldSettings& settings, const depthBitmap& depth,
                                                  const BlurKernelTable& table, double lo, double hi) {
  const int W = depth.GetWidth();
  const int H = depth.GetHeight();
  auto mask = std::make_unique<g8Bitmap>(W, H);
  // The slice is lo <= d <= hi, for the border pixels and their neighbours as for its own pixels.
  auto inSlice = [&](int x, int y) { return lo <= DepthAt(depth, x, y) && DepthAt(depth, x, y) <= hi; };

  for (int y = 0; y < H; ++y) {
    if (PollBeforeRow(y)) return nullptr;
    for (int x = 0; x < W; ++x) {
      if (!inSlice(x, y)) continue;
      bool border = false;
      if (x > 0 && !inSlice(x - 1, y)) {
        border = true;
      } else if (x < W - 1 && !inSlice(x + 1, y)) {
        border = true;
      } else if (y > 0 && !inSlice(x, y - 1)) {
        border = true;
      } else if (y < H - 1 && !inSlice(x, y + 1)) {
        border = true;
      }
      if (!border) continue;
      double r = settings.BlurPixels(DepthAt(depth, x, y), true);
      if (!(r > 1.0)) continue;
      const g8Bitmap& K = table.Lookup(r);
      int rx = (K.GetWidth() - 1) / 2;
      int ry = (K.GetHeight() - 1) / 2;
      for (int dy = -std::min(ry, y); dy <= std::min(ry, H - 1 - y); ++dy) {
        for (int dx = -std::min(rx, x); dx <= std::min(rx, W - 1 - x); ++dx) {
          if (DepthAt(depth, x + dx, y + dy) > hi && KernelAt(K, rx + dx, ry + dy) != 0) {
            mask->GetLine(y + dy)[x + dx] = uint8_t(128 + int(r));
          }
        }
      }
    }
  }

  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      uint8_t& v = mask->GetLine(y)[x];
      if (v != 0) continue;
      double d = DepthAt(depth, x, y);
      if (lo <= d && d <= hi) {
        v = 255;
      } else if (d > hi) {
        v = 64;
      }
    }
  }
  return mask;
}

bool ReferenceCompositeSlice(const DepthOfFieldSettings& settings, const rgbBitmap& colour, const depthBitmap& depth,
                             rgbBitmap& output, const g8Bitmap& mask, const BlurKernelTable& table) {
  const int W = depth.GetWidth();
  const int H = depth.GetHeight();
  auto maskAt = [&](int x, int y) { return mask.GetLine(y)[x]; };

  for (int y = 0; y < H; ++y) {
    if (PollBeforeRow(y)) return false;
    for (int x = 0; x < W; ++x) {
      uint8_t v = maskAt(x, y);
      uint8_t* out = output.GetLine(y) + 3 * x;
      if (v == 255) {
        const g8Bitmap& K = table.Lookup(settings.BlurPixels(DepthAt(depth, x, y), true));
        int rx = (K.GetWidth() - 1) / 2;
        int ry = (K.GetHeight() - 1) / 2;
        uint32_t sum[3] = {0, 0, 0};
        uint32_t weight = 0;
        for (int dy = -std::min(ry, y); dy <= std::min(ry, H - 1 - y); ++dy) {
          for (int dx = -std::min(rx, x); dx <= std::min(rx, W - 1 - x); ++dx) {
            uint32_t k = KernelAt(K, rx + dx, ry + dy);
            if (k == 0 || maskAt(x + dx, y + dy) == 0) continue;
            const uint8_t* c = colour.GetLine(y + dy) + 3 * (x + dx);
            sum[0] += k * c[0];
            sum[1] += k * c[1];
            sum[2] += k * c[2];
            weight += k;
          }
        }
        for (int i = 0; i < 3; ++i) out[i] = uint8_t(weight != 0 ? sum[i] / weight : 0);
      } else if (v >= 128 && v <= 254) {
        // The diameter the border pixel recorded when it stamped this one.
        const g8Bitmap& K = table.Lookup(double(v - 128));
        int rx = (K.GetWidth() - 1) / 2;
        int ry = (K.GetHeight() - 1) / 2;
        uint32_t sum[3] = {0, 0, 0};
        uint32_t inside = 0;
        uint32_t outside = 0;
        for (int dy = -std::min(ry, y); dy <= std::min(ry, H - 1 - y); ++dy) {
          for (int dx = -std::min(rx, x); dx <= std::min(rx, W - 1 - x); ++dx) {
            uint32_t k = KernelAt(K, rx + dx, ry + dy);
            if (k == 0) continue;
            uint8_t m = maskAt(x + dx, y + dy);
            if (m == 255) {
              const uint8_t* c = colour.GetLine(y + dy) + 3 * (x + dx);
              sum[0] += k * c[0];
              sum[1] += k * c[1];
              sum[2] += k * c[2];
              inside += k;
            } else if (m != 0) {
              outside += k;
            }
          }
        }
        if (inside != 0) {
          for (int i = 0; i < 3; ++i) sum[i] /= inside;
        }
        // Both weights at 0 (a diaph black at its centre): the pixel is kept.
        if (inside + outside == 0) continue;
        double alpha = double(inside) / double(inside + outside);
        for (int i = 0; i < 3; ++i) out[i] = uint8_t(double(sum[i]) * alpha + double(out[i]) * (1.0 - alpha));
      }
    }
  }
  return true;
}

std::unique_ptr<CLayerBitmap> ReferenceRenderFrame(const DepthOfFieldSettings& settings,
                                                   const DepthOfFieldOptions& options, const g8Bitmap& diaph,
                                                   const CLayerBitmap& frame, int, int) {
  const rgbBitmap* colour = frame.GetLayer<rgbBitmap>();
  const depthBitmap* depth = frame.GetLayer<depthBitmap>();
  const Bitmap* alpha = frame.GetLayerByType(kAlphaBitmap);
  const int W = colour->GetWidth();
  const int H = colour->GetHeight();

  auto slices = BuildSlices(settings, *depth, options.SliceStep);
  int passes = (alpha && options.ApplyOnAlpha) ? 2 : 1;

  auto output = std::make_unique<rgbBitmap>(W, H);
  if (!ReferenceRenderSlices(settings, options, diaph, *slices, *colour, *depth, *output)) {
    return nullptr;
  }
  std::unique_ptr<Bitmap> alphaOutput;
  if (passes == 2) {
    auto alphaAsColour = alpha->ConvertToType(kRgbBitmap);
    auto alphaRendered = std::make_unique<rgbBitmap>(W, H);
    if (!ReferenceRenderSlices(settings, options, diaph, *slices, static_cast<const rgbBitmap&>(*alphaAsColour),
                               *depth, *alphaRendered)) {
      return nullptr;
    }
    alphaOutput = alphaRendered->ConvertToType(kAlphaBitmap);
  }

  auto result = std::make_unique<CLayerBitmap>(std::move(output));
  if (alphaOutput) {
    result->AddLayer(std::move(alphaOutput));
  } else if (alpha) {
    result->AddLayer(alpha->Copy());
  }
  return result;
}

std::unique_ptr<CLayerBitmap> ReferenceRenderPreview(const DepthOfFieldSettings& settings,
                                                     const DepthOfFieldOptions& options, const g8Bitmap& diaph,
                                                     const CLayerBitmap& frame, int x, int y, int width,
                                                     int height) {
  auto crop = frame.Crop(kColourAndDepthMask, ImageRect{x, y, width, height});
  if (!crop) return nullptr;
  auto output = std::make_unique<rgbBitmap>(width, height);
  auto slices = BuildSlices(settings, *frame.GetLayer<depthBitmap>(), options.SliceStep);
  bool done = ReferenceRenderSlices(settings, options, diaph, *slices, *crop->GetLayer<rgbBitmap>(),
                                    *crop->GetLayer<depthBitmap>(), *output);
  if (!done) return nullptr;
  return std::make_unique<CLayerBitmap>(std::move(output));
}
