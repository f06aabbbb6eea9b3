#include "platform/image/NTBitmap.h"

#include <memory>

#include "platform/image/FloatLayers.h"

NTBitmap::NTBitmap(int width, int height)
    : width_(width), height_(height), pixels_(size_t(width) * height * 4, 255) {}

NTBitmap::NTBitmap(const Bitmap& source, float exposureStops) : NTBitmap(source.GetWidth(), source.GetHeight()) {
  std::unique_ptr<Bitmap> converted;
  const Bitmap* pic = &source;
  if (source.GetType() == kDepthBitmap) {
    converted = static_cast<const depthBitmap&>(source).GetDepthPicture(kGreyBitmap, 1, 0.2f);
    pic = converted.get();
  } else if (source.GetType() == kRgbFloatBitmap) {
    converted = EncodeColour(static_cast<const rgbFloatBitmap&>(source), nullptr, exposureStops);
    pic = converted.get();
  } else if (source.GetType() == kAlphaFloatBitmap) {
    converted = EncodeAlpha(static_cast<const alphaFloatBitmap&>(source));
    pic = converted.get();
  }
  int channels = pic->GetChannels();
  for (int y = 0; y < height_; ++y) {
    const uint8_t* s = pic->GetLineBytes(y);
    uint8_t* d = GetLine(y);
    for (int x = 0; x < width_; ++x, d += 4) {
      const uint8_t* p = s + size_t(x) * channels;
      d[0] = p[0];
      d[1] = channels == 3 ? p[1] : p[0];
      d[2] = channels == 3 ? p[2] : p[0];
    }
  }
}
