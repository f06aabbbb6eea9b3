#pragma once
// A layered image: at most one layer of each type (colour, grey, alpha, depth), all of one size.

#include <map>
#include <memory>

#include "platform/image/Bitmap.h"

struct ImageRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const ImageRect&) const = default;
};

class CLayerBitmap {
 public:
  CLayerBitmap() = default;
  explicit CLayerBitmap(std::unique_ptr<Bitmap> first) { AddLayer(std::move(first)); }

  // Null when absent.
  Bitmap* GetLayerByType(uint32_t type);
  const Bitmap* GetLayerByType(uint32_t type) const;
  template <typename T>
  T* GetLayer() { return BitmapCast<T>(GetLayerByType(T::kType)); }
  template <typename T>
  const T* GetLayer() const { return BitmapCast<T>(GetLayerByType(T::kType)); }

  // Takes the layer; it replaces a layer of the same type. A layer whose size differs from
  // the layers already held is refused (returns false, the layer is discarded).
  bool AddLayer(std::unique_ptr<Bitmap> layer);

  int GetWidth() const;
  int GetHeight() const;
  bool IsEmpty() const { return layers_.empty(); }
  int GetLayerCount() const { return int(layers_.size()); }

  // The main picture of a file just read: the colour layer, else the grey one; null otherwise.
  Bitmap* GetStandardLayer();
  const Bitmap* GetStandardLayer() const;

  // A new image holding the layers named by mask, cut to the rectangle. Null when the
  // rectangle is empty or not wholly inside the image, or no layer of the mask exists.
  std::unique_ptr<CLayerBitmap> Crop(uint32_t mask, const ImageRect& rect) const;

  // Copies into this image the layers of source named by mask (replacing its own).
  void CopyLayers(const CLayerBitmap& source, uint32_t mask);

  // Gives up ownership of one layer, or of all of them.
  std::unique_ptr<Bitmap> DetachBitmap(uint32_t type);
  std::map<uint32_t, std::unique_ptr<Bitmap>> DetachAll();

 private:
  std::map<uint32_t, std::unique_ptr<Bitmap>> layers_;
};
