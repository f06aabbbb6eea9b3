#pragma once
// The row pass shared by the per-pixel filters: rows are computed in bands between two
// polls of the progress display, each band spread over all cores. Every row is written by
// exactly one call and depends only on its own inputs, so the image is the same, byte for
// byte, whatever the number of threads.

#include <cstdint>
#include <functional>

#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"

// Rows between two polls of the progress display: a fifth of the image, so that a render
// advances the display about five times. Images of fewer than five rows poll at every row.
int ProgressRowInterval(int height);

// Computes rows 0 to height - 1 with computeRow, polling the progress on the calling thread
// before each row that is a multiple of ProgressRowInterval(height). Returns false when the
// user cancelled: the rows computed before the cancel keep their values, the others are not
// touched. A height below 1 completes at once.
bool RunRowPass(int height, RenderProgress& progress, const std::function<void(int y)>& computeRow);

// A computed value written as a byte: truncated toward zero, held to 0..255 (and 0 for a
// value that is not a number, which a depth of NaN can produce).
inline uint8_t TruncateToByte(double value) {
  if (value >= 255.0) return 255;
  return value > 0.0 ? uint8_t(value) : 0;
}

// Linear light and display values (the sRGB curve, followed beyond 1), and the factor that
// brings a straight pixel's brightest channel down to white (1 for pixels not above it).
float LinearToDisplay(float linear);
float DisplayToLinear(float shown);
float DisplayScale(const float* premultiplied, float alpha);

// The layers a colour filter reads and writes, checked for size.
struct FilterLayers {
  const rgbBitmap* colour = nullptr;
  const depthBitmap* depth = nullptr;
  const alphaBitmap* alpha = nullptr;  // null when the source has none
  rgbBitmap* destination = nullptr;

  bool IsUsable() const { return colour && depth && destination; }
};

// The source's colour, depth and alpha layers with the destination; every pointer is null when
// a layer is missing or the sizes differ, so a pass never reads beyond a row.
FilterLayers GetFilterLayers(const CLayerBitmap& source, rgbBitmap& destination);

// Colour is held premultiplied by alpha; the colour laws apply to the straight colour. These
// convert one pixel's three bytes between the two for an alpha byte of 1 to 254.
void UnpremultiplyPixel(const uint8_t* in, uint8_t alpha, uint8_t* straight);
void PremultiplyPixel(uint8_t* colour, uint8_t alpha);

// One pixel through a per-pixel law: law(const uint8_t* in, float depth, uint8_t* out) writes
// the three bytes of out. Where there is alpha the law sees the straight colour and its result
// is premultiplied again; transparent pixels are copied unchanged.
template <typename PixelLaw>
void ApplyToPixel(const PixelLaw& law, const uint8_t* in, float depth, uint8_t alpha, uint8_t* out) {
  if (alpha == 255) {
    law(in, depth, out);
  } else if (alpha == 0) {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
  } else {
    uint8_t straight[3];
    UnpremultiplyPixel(in, alpha, straight);
    law(straight, depth, out);
    PremultiplyPixel(out, alpha);
  }
}

// Runs a per-pixel law over the whole destination, pixel by pixel (see ApplyToPixel).
// Returns false when the pass was cancelled or the layers are unusable (nothing is written).
template <typename PixelLaw>
bool RunPixelPass(const CLayerBitmap& source, rgbBitmap& destination, RenderProgress& progress, const PixelLaw& law) {
  const FilterLayers layers = GetFilterLayers(source, destination);
  if (!layers.IsUsable()) return false;
  const int width = destination.GetWidth();
  return RunRowPass(destination.GetHeight(), progress, [&](int y) {
    const uint8_t* in = layers.colour->GetLine(y);
    const float* depth = layers.depth->GetLine(y);
    const uint8_t* alpha = layers.alpha ? layers.alpha->GetLine(y) : nullptr;
    uint8_t* out = layers.destination->GetLine(y);
    for (int x = 0; x < width; ++x) ApplyToPixel(law, in + 3 * x, depth[x], alpha ? alpha[x] : 255, out + 3 * x);
  });
}

// The same with the law's vector form: opaqueRun(in, depth, out, count) takes each run of
// opaque pixels (alpha 255, or the whole row without alpha) at once and writes the same bytes
// as the law pixel by pixel; the other pixels go through the law one by one.
template <typename PixelLaw, typename OpaqueRun>
bool RunPixelPass(const CLayerBitmap& source, rgbBitmap& destination, RenderProgress& progress, const PixelLaw& law,
                  const OpaqueRun& opaqueRun) {
  const FilterLayers layers = GetFilterLayers(source, destination);
  if (!layers.IsUsable()) return false;
  const int width = destination.GetWidth();
  return RunRowPass(destination.GetHeight(), progress, [&](int y) {
    const uint8_t* in = layers.colour->GetLine(y);
    const float* depth = layers.depth->GetLine(y);
    uint8_t* out = layers.destination->GetLine(y);
    if (!layers.alpha) return opaqueRun(in, depth, out, width);
    const uint8_t* alpha = layers.alpha->GetLine(y);
    for (int x = 0; x < width;) {
      int end = x;
      while (end < width && alpha[end] == 255) ++end;
      if (end > x) {
        opaqueRun(in + 3 * x, depth + x, out + 3 * x, end - x);
        x = end;
      } else {
        ApplyToPixel(law, in + 3 * x, depth[x], alpha[x], out + 3 * x);
        ++x;
      }
    }
  });
}

// --- Float colour ---
//
// Float frames hold linear light, premultiplied by alpha, unclipped. A per-pixel law made for
// display values sees each pixel as they would be shown: the straight colour through the sRGB
// curve, in 0..1. A pixel brighter than white is first divided by its brightest channel, so the
// law sees its hue, saturation and relative lightness, and the result is multiplied back: what
// lies above white stays above white, scaled by what the law does to the pixel's colour. A law
// that adds (the fog) may give values above 1, which are kept.

// The float layers a float pass reads and writes, checked for size.
struct FloatFilterLayers {
  const rgbFloatBitmap* colour = nullptr;
  const depthBitmap* depth = nullptr;
  const alphaFloatBitmap* alpha = nullptr;  // null when the source has none
  rgbFloatBitmap* destination = nullptr;

  bool IsUsable() const { return colour && depth && destination; }
};
FloatFilterLayers GetFloatFilterLayers(const CLayerBitmap& source, rgbFloatBitmap& destination);

// One float pixel through a law on display values: law(const float* in, float depth, float* out).
template <typename FloatLaw>
void ApplyToFloatPixel(const FloatLaw& law, const float* in, float depth, float alpha, float* out) {
  if (!(alpha > 0.0f)) {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
    return;
  }
  float shown[3];
  const float scale = DisplayScale(in, alpha);
  for (int c = 0; c < 3; ++c) shown[c] = LinearToDisplay(in[c] / (alpha * scale));
  float result[3];
  law(shown, depth, result);
  for (int c = 0; c < 3; ++c) out[c] = DisplayToLinear(result[c]) * scale * alpha;
}

// Runs a float law over the whole destination; false when cancelled or the layers are unusable.
template <typename FloatLaw>
bool RunFloatPixelPass(const CLayerBitmap& source, rgbFloatBitmap& destination, RenderProgress& progress,
                       const FloatLaw& law) {
  const FloatFilterLayers layers = GetFloatFilterLayers(source, destination);
  if (!layers.IsUsable()) return false;
  const int width = destination.GetWidth();
  return RunRowPass(destination.GetHeight(), progress, [&](int y) {
    const float* in = layers.colour->GetLine(y);
    const float* depth = layers.depth->GetLine(y);
    const float* alpha = layers.alpha ? layers.alpha->GetLine(y) : nullptr;
    float* out = layers.destination->GetLine(y);
    for (int x = 0; x < width; ++x) {
      ApplyToFloatPixel(law, in + 3 * x, depth[x], alpha ? alpha[x] : 1.0f, out + 3 * x);
    }
  });
}
