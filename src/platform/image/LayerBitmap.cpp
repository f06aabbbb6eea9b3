#include "platform/image/LayerBitmap.h"

#include <cstring>
#include <utility>

Bitmap* CLayerBitmap::GetLayerByType(uint32_t type) {
  auto it = layers_.find(type);
  return it == layers_.end() ? nullptr : it->second.get();
}

const Bitmap* CLayerBitmap::GetLayerByType(uint32_t type) const {
  auto it = layers_.find(type);
  return it == layers_.end() ? nullptr : it->second.get();
}

bool CLayerBitmap::AddLayer(std::unique_ptr<Bitmap> layer) {
  if (!layer) return false;
  if (!layers_.empty()) {
    const Bitmap& any = *layers_.begin()->second;
    bool sameSize = any.GetWidth() == layer->GetWidth() && any.GetHeight() == layer->GetHeight();
    bool replacesOnlyLayer = layers_.size() == 1 && layers_.count(layer->GetType()) == 1;
    if (!sameSize && !replacesOnlyLayer) return false;
  }
  uint32_t type = layer->GetType();
  layers_[type] = std::move(layer);
  return true;
}

int CLayerBitmap::GetWidth() const { return layers_.empty() ? 0 : layers_.begin()->second->GetWidth(); }
int CLayerBitmap::GetHeight() const { return layers_.empty() ? 0 : layers_.begin()->second->GetHeight(); }

Bitmap* CLayerBitmap::GetStandardLayer() {
  if (Bitmap* colour = GetLayerByType(kRgbFloatBitmap)) return colour;
  if (Bitmap* colour = GetLayerByType(kRgbBitmap)) return colour;
  return GetLayerByType(kGreyBitmap);
}

const Bitmap* CLayerBitmap::GetStandardLayer() const {
  if (const Bitmap* colour = GetLayerByType(kRgbFloatBitmap)) return colour;
  if (const Bitmap* colour = GetLayerByType(kRgbBitmap)) return colour;
  return GetLayerByType(kGreyBitmap);
}

namespace {

std::unique_ptr<Bitmap> CropLayer(const Bitmap& layer, const ImageRect& r) {
  auto out = Bitmap::CreateFrom(layer, r.width, r.height);
  size_t pixelBytes = layer.GetBytesPerPixel();
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* src = layer.GetLineBytes(r.y + y) + size_t(r.x) * pixelBytes;
    std::memcpy(out->GetLineBytes(y), src, size_t(r.width) * pixelBytes);
  }
  return out;
}

}  // namespace

std::unique_ptr<CLayerBitmap> CLayerBitmap::Crop(uint32_t mask, const ImageRect& r) const {
  if (r.width <= 0 || r.height <= 0 || r.x < 0 || r.y < 0) return nullptr;
  if (int64_t(r.x) + r.width > GetWidth() || int64_t(r.y) + r.height > GetHeight()) return nullptr;
  auto out = std::make_unique<CLayerBitmap>();
  for (const auto& [type, layer] : layers_) {
    if (type & mask) out->AddLayer(CropLayer(*layer, r));
  }
  if (out->IsEmpty()) return nullptr;
  return out;
}

void CLayerBitmap::CopyLayers(const CLayerBitmap& source, uint32_t mask) {
  for (const auto& [type, layer] : source.layers_) {
    if (type & mask) AddLayer(layer->Copy());
  }
}

std::unique_ptr<Bitmap> CLayerBitmap::DetachBitmap(uint32_t type) {
  auto it = layers_.find(type);
  if (it == layers_.end()) return nullptr;
  auto layer = std::move(it->second);
  layers_.erase(it);
  return layer;
}

std::map<uint32_t, std::unique_ptr<Bitmap>> CLayerBitmap::DetachAll() {
  return std::exchange(layers_, {});
}
