#include "platform/image/Bitmap.h"

#include <algorithm>

#include "platform/image/FloatLayers.h"

std::unique_ptr<Bitmap> Bitmap::Create(BitmapType type, int width, int height) {
  switch (type) {
    case kRgbBitmap: return std::make_unique<rgbBitmap>(width, height);
    case kGreyBitmap: return std::make_unique<g8Bitmap>(width, height);
    case kAlphaBitmap: return std::make_unique<alphaBitmap>(width, height);
    case kDepthBitmap: return std::make_unique<depthBitmap>(width, height);
    case kRgbFloatBitmap: return std::make_unique<rgbFloatBitmap>(width, height);
    case kAlphaFloatBitmap: return std::make_unique<alphaFloatBitmap>(width, height);
  }
  throw std::invalid_argument("unknown bitmap type");
}

std::unique_ptr<Bitmap> Bitmap::CreateFrom(const Bitmap& model, int width, int height) {
  return Create(model.GetType(), width, height);
}

g8Bitmap* Bitmap::AsGrey() { return BitmapCast<g8Bitmap>(this); }
const g8Bitmap* Bitmap::AsGrey() const { return BitmapCast<g8Bitmap>(this); }

namespace {

bool IsByteType(BitmapType t) { return t == kRgbBitmap || t == kGreyBitmap || t == kAlphaBitmap; }

// Rec. 601 luminance, rounded: the grey a colour pixel shows.
uint8_t Luminance(const uint8_t* rgb) {
  return uint8_t((299u * rgb[0] + 587u * rgb[1] + 114u * rgb[2] + 500u) / 1000u);
}

void ConvertRow(const uint8_t* src, int srcChannels, uint8_t* dst, int dstChannels, int width) {
  for (int x = 0; x < width; ++x) {
    const uint8_t* s = src + size_t(x) * srcChannels;
    uint8_t* d = dst + size_t(x) * dstChannels;
    if (srcChannels == dstChannels) {
      std::copy(s, s + srcChannels, d);
    } else if (srcChannels == 1) {
      std::fill(d, d + dstChannels, s[0]);
    } else {
      d[0] = Luminance(s);
    }
  }
}

}  // namespace

std::unique_ptr<Bitmap> Bitmap::ConvertToType(BitmapType type) const {
  if (type == GetType()) return Copy();
  if (GetType() == kRgbFloatBitmap && IsByteType(type)) {
    return EncodeColour(static_cast<const rgbFloatBitmap&>(*this), nullptr)->ConvertToType(type);
  }
  if (GetType() == kAlphaFloatBitmap && IsByteType(type)) {
    return EncodeAlpha(static_cast<const alphaFloatBitmap&>(*this))->ConvertToType(type);
  }
  if (!IsByteType(type) || !IsByteType(GetType())) return nullptr;
  auto out = Create(type, GetWidth(), GetHeight());
  for (int y = 0; y < GetHeight(); ++y) {
    ConvertRow(GetLineBytes(y), GetChannels(), out->GetLineBytes(y), out->GetChannels(), GetWidth());
  }
  return out;
}
