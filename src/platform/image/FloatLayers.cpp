#include "platform/image/FloatLayers.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "platform/image/DisplayTransform.h"
#include "platform/image/PixelConversion.h"

namespace {

// Whether a pixel's colour is divided by its alpha before display: partly covered pixels only.
// Opaque pixels, and light that covers nothing (a glow under alpha 0), are the value itself.
bool Straightened(float alpha) { return alpha > 0.0f && alpha < 1.0f; }

// One premultiplied linear value under its alpha, encoded as the reader encodes it.
uint8_t EncodeValue(float value, float alpha, float scale) {
  if (!Straightened(alpha)) return LinearToSrgbByte(value * scale);
  return UnitToByte(alpha * LinearToSrgbUnit(value * scale / alpha));
}

// One row through the transform: straight light in, premultiplied display bytes out.
void EncodeRow(const float* in, const float* alpha, int width, float scale, const DisplayTransform& transform,
               std::vector<float>& work, uint8_t* bytes) {
  work.resize(size_t(width) * 3);
  for (int x = 0; x < width; ++x) {
    const float a = alpha ? alpha[x] : 1.0f;
    const float divide = Straightened(a) ? a : 1.0f;
    for (int c = 0; c < 3; ++c) work[3 * x + c] = in[3 * x + c] * scale / divide;
  }
  transform.Apply(work.data(), size_t(width));
  for (int x = 0; x < width; ++x) {
    const float a = alpha ? alpha[x] : 1.0f;
    const float cover = Straightened(a) ? a : 1.0f;
    for (int c = 0; c < 3; ++c) bytes[3 * x + c] = UnitToByte(cover * std::clamp(work[3 * x + c], 0.0f, 1.0f));
  }
}

}  // namespace

bool HasFloatColour(const CLayerBitmap& image) { return image.GetLayerByType(kRgbFloatBitmap) != nullptr; }

std::unique_ptr<rgbBitmap> EncodeColour(const rgbFloatBitmap& colour, const alphaFloatBitmap* alpha,
                                        float exposureStops) {
  const float scale = std::exp2(exposureStops);
  auto out = std::make_unique<rgbBitmap>(colour.GetWidth(), colour.GetHeight());
  const float* in = colour.GetData();
  const float* a = alpha ? alpha->GetData() : nullptr;
  uint8_t* bytes = out->GetData();
  if (!a) {
    LinearToSrgbBytes(in, size_t(colour.GetPixelCount()) * 3, scale, bytes);
    return out;
  }
  for (size_t i = 0, n = size_t(colour.GetPixelCount()); i < n; ++i) {
    const float pixelAlpha = a[i];
    for (int c = 0; c < 3; ++c) bytes[3 * i + c] = EncodeValue(in[3 * i + c], pixelAlpha, scale);
  }
  return out;
}

std::unique_ptr<rgbBitmap> EncodeColour(const rgbFloatBitmap& colour, const alphaFloatBitmap* alpha,
                                        float exposureStops, const DisplayTransform& transform) {
  const float scale = std::exp2(exposureStops);
  const int width = colour.GetWidth();
  auto out = std::make_unique<rgbBitmap>(width, colour.GetHeight());
  // A configuration's transform costs more than the curve: rows of a big frame in parallel.
  tbb::parallel_for(tbb::blocked_range<int>(0, colour.GetHeight(), 16), [&](const tbb::blocked_range<int>& rows) {
    std::vector<float> work;
    for (int y = rows.begin(); y < rows.end(); ++y) {
      EncodeRow(colour.GetLine(y), alpha ? alpha->GetLine(y) : nullptr, width, scale, transform, work,
                out->GetLine(y));
    }
  });
  return out;
}

std::unique_ptr<alphaBitmap> EncodeAlpha(const alphaFloatBitmap& alpha) {
  auto out = std::make_unique<alphaBitmap>(alpha.GetWidth(), alpha.GetHeight());
  for (size_t i = 0, n = alpha.GetValueCount(); i < n; ++i) out->GetData()[i] = UnitToByte(alpha.GetData()[i]);
  return out;
}

std::unique_ptr<CLayerBitmap> EncodeFloatLayers(const CLayerBitmap& image, float exposureStops) {
  auto out = std::make_unique<CLayerBitmap>();
  const auto* floatAlpha = image.GetLayer<alphaFloatBitmap>();
  for (uint32_t type : {kRgbBitmap, kGreyBitmap, kAlphaBitmap, kDepthBitmap}) {
    if (const Bitmap* layer = image.GetLayerByType(type)) out->AddLayer(layer->Copy());
  }
  if (const auto* colour = image.GetLayer<rgbFloatBitmap>()) {
    out->AddLayer(EncodeColour(*colour, floatAlpha, exposureStops));
  }
  if (floatAlpha) out->AddLayer(EncodeAlpha(*floatAlpha));
  return out;
}

std::unique_ptr<rgbFloatBitmap> DecodeColour(const rgbBitmap& colour, const alphaBitmap* alpha) {
  auto out = std::make_unique<rgbFloatBitmap>(colour.GetWidth(), colour.GetHeight());
  const uint8_t* in = colour.GetData();
  const uint8_t* a = alpha ? alpha->GetData() : nullptr;
  float* values = out->GetData();
  for (size_t i = 0, n = size_t(colour.GetPixelCount()); i < n; ++i) {
    const uint8_t pixelAlpha = a ? a[i] : 255;
    for (int c = 0; c < 3; ++c) {
      const uint8_t v = in[3 * i + c];
      if (pixelAlpha == 255) {
        values[3 * i + c] = SrgbByteToLinear(v);
      } else if (pixelAlpha != 0) {
        const float straight = float(v) / float(pixelAlpha);  // the encoded straight value
        values[3 * i + c] = float(pixelAlpha) / 255.0f * SrgbUnitToLinear(straight);
      }
    }
  }
  return out;
}

std::unique_ptr<alphaFloatBitmap> DecodeAlpha(const alphaBitmap& alpha) {
  auto out = std::make_unique<alphaFloatBitmap>(alpha.GetWidth(), alpha.GetHeight());
  for (size_t i = 0, n = alpha.GetValueCount(); i < n; ++i) out->GetData()[i] = alpha.GetData()[i] / 255.0f;
  return out;
}

const Bitmap* GetColourLayer(const CLayerBitmap& image) {
  if (const Bitmap* colour = image.GetLayerByType(kRgbFloatBitmap)) return colour;
  return image.GetLayerByType(kRgbBitmap);
}

const Bitmap* GetAlphaLayer(const CLayerBitmap& image) {
  if (const Bitmap* alpha = image.GetLayerByType(kAlphaFloatBitmap)) return alpha;
  return image.GetLayerByType(kAlphaBitmap);
}
