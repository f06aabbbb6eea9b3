#pragma once
// Displayable copy of an image: 8-bit RGBA, row 0 first. The GUI wraps it for drawing.

#include <cstdint>
#include <vector>

#include "platform/image/Bitmap.h"

class NTBitmap {
 public:
  // Colour, grey and alpha images copy their values; a depth layer is shown as its grey picture.
  // Float colour is shown through the sRGB curve, its light first scaled by 2^exposureStops.
  explicit NTBitmap(const Bitmap& source, float exposureStops = 0.0f);
  NTBitmap(int width, int height);

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  // Four bytes a pixel: R, G, B, A (A is 255).
  const uint8_t* GetLine(int y) const { return pixels_.data() + size_t(y) * width_ * 4; }
  uint8_t* GetLine(int y) { return pixels_.data() + size_t(y) * width_ * 4; }

 private:
  int width_;
  int height_;
  std::vector<uint8_t> pixels_;
};
