#include "support/ImageCompare.h"

#include <cmath>
#include <cstdlib>

namespace {

bool Comparable(const Bitmap& a, const Bitmap& b) {
  return a.GetType() == b.GetType() && a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
         a.GetType() != kDepthBitmap;
}

template <typename Fn>
void ForEachByte(const Bitmap& a, const Bitmap& b, Fn fn) {
  size_t rowBytes = size_t(a.GetWidth()) * a.GetBytesPerPixel();
  for (int y = 0; y < a.GetHeight(); ++y) {
    const uint8_t* pa = a.GetLineBytes(y);
    const uint8_t* pb = b.GetLineBytes(y);
    for (size_t i = 0; i < rowBytes; ++i) fn(std::abs(int(pa[i]) - int(pb[i])));
  }
}

}  // namespace

int MaxByteDifference(const Bitmap& a, const Bitmap& b) {
  if (!Comparable(a, b)) return 256;
  int largest = 0;
  ForEachByte(a, b, [&](int d) { largest = d > largest ? d : largest; });
  return largest;
}

double MeanByteDifference(const Bitmap& a, const Bitmap& b) {
  if (!Comparable(a, b)) return 256;
  double sum = 0;
  size_t count = 0;
  ForEachByte(a, b, [&](int d) {
    sum += d;
    ++count;
  });
  return count ? sum / double(count) : 0.0;
}

bool SameDepths(const depthBitmap& a, const depthBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (size_t i = 0; i < a.GetValueCount(); ++i) {
    float x = a.GetData()[i], y = b.GetData()[i];
    if (!(x == y || (std::isnan(x) && std::isnan(y)))) return false;
  }
  return true;
}
