#include "platform/image/SavedChannels.h"

#include <algorithm>

#include "platform/image/PixelConversion.h"

namespace {

// Float colour and alpha are linear light, premultiplied: written as they are held.
bool IsFloatLayer(const Bitmap& layer) {
  return layer.GetType() == kRgbFloatBitmap || layer.GetType() == kAlphaFloatBitmap;
}

// A premultiplied colour byte as the file stores it, given its pixel's alpha byte.
float ColourValue(uint8_t v, uint8_t a, const ColourStorage& storage) {
  if (!storage.alpha || a == 255 || a == 0) return storage.linear ? SrgbByteToLinear(v) : v / 255.0f;
  float straight = float(v) / float(a);  // the straight colour's encoded value, 0..1 when v <= a
  if (storage.linear) return a / 255.0f * SrgbUnitToLinear(straight);
  return storage.straight ? std::min(straight, 1.0f) : v / 255.0f;
}

}  // namespace

ColourStorage StorageFor(const ImageFileFormat& format, const SaveContent& content) {
  return {format.HasLinearColour(), !format.StoresPremultipliedColour(), content.alpha};
}

std::vector<SavedChannel> ChannelsFor(const ImageFileFormat& format, const SaveContent& content) {
  // Floating-point formats keep colour as linear half floats; others as 8-bit sRGB.
  const StoredType colourType = format.HasLinearColour()
                                    ? (format.IsOpenExr() && !content.fullFloat ? StoredType::Half : StoredType::Float)
                                    : StoredType::Byte;
  std::vector<SavedChannel> channels;
  if (content.picture && content.picture->GetChannels() == 3) {
    for (int k = 0; k < 3; ++k) channels.push_back({std::string(1, "RGB"[k]), colourType, content.picture, k});
  } else if (content.picture) {
    channels.push_back({"Y", colourType, content.picture, 0});
  } else if (content.depth && format.IsRla()) {
    // An RLA file of one channel reads back as grey: depth needs colour channels beside it.
    for (int k = 0; k < 3; ++k) channels.push_back({std::string(1, "RGB"[k]), colourType, nullptr, k});
  }
  if (content.alpha) channels.push_back({"A", colourType, content.alpha, 0, SavedChannel::Alpha});
  // Depth is kept only as 32-bit float: never half.
  if (content.depth) channels.push_back({"Z", StoredType::Float, content.depth, 0, SavedChannel::Depth});
  return channels;
}

bool HoldsBytePicture(const std::vector<SavedChannel>& channels) {
  return !channels.empty() && channels[0].source && channels[0].kind == SavedChannel::Colour &&
         !IsFloatLayer(*channels[0].source);
}

float ChannelValue(const SavedChannel& ch, const ColourStorage& storage, int64_t pixel) {
  if (!ch.source) return 0.0f;
  if (ch.kind == SavedChannel::Depth) return static_cast<const depthBitmap*>(ch.source)->GetData()[pixel];
  if (IsFloatLayer(*ch.source)) {
    return reinterpret_cast<const float*>(ch.source->GetLineBytes(0))[pixel * ch.source->GetChannels() + ch.component];
  }
  uint8_t v = ch.source->GetLineBytes(0)[pixel * ch.source->GetChannels() + ch.component];
  if (ch.kind == SavedChannel::Alpha) return v / 255.0f;
  return ColourValue(v, storage.alpha ? storage.alpha->GetLineBytes(0)[pixel] : 255, storage);
}

const float* HeldFloatValues(const SavedChannel& ch, int& stride) {
  if (!ch.source || (ch.kind != SavedChannel::Depth && !IsFloatLayer(*ch.source))) return nullptr;
  stride = ch.source->GetChannels();
  return reinterpret_cast<const float*>(ch.source->GetLineBytes(0)) + ch.component;
}
