#include "platform/image/FloatLayers.h"

#include <cmath>

#include "platform/image/PixelConversion.h"

namespace {

// One premultiplied linear value under its alpha, encoded as the reader encodes it.
uint8_t EncodeValue(float value, float alpha, float scale) {
  // Opaque pixels, and light that covers nothing (a glow under alpha 0), are the value itself.
  if (!(alpha > 0.0f && alpha < 1.0f)) return LinearToSrgbByte(value * scale);
  return UnitToByte(alpha * LinearToSrgbUnit(value * scale / alpha));
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

std::unique_ptr<alphaBitmap> EncodeAlpha(const alphaFloatBitmap& alpha) {
  auto out = std::make_unique<alphaBitmap>(alpha.GetWidth(), alpha.GetHeight());
  for (size_t i = 0, n = alpha.GetValueCount(); i < n; ++i) out->GetData()[i] = UnitToByte(alpha.GetData()[i]);
  return out;
}

std::unique_ptr<CLayerBitmap> EncodeFloatLayers(const CLayerBitmap& image, float exposureStops) {
  auto out = std::make_unique<CLayerBitmap>();
  const auto* floatAlpha = image.GetLayer<alphaFloatBitmap>();
  for (uint32_t type : {kRgbBitmap, kGreyBitmap, kAlphaBitmap, kFloatBitmap}) {
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
