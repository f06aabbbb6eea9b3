// Depth-range queries over a depth layer; background pixels are left out of the range.
#include <algorithm>
#include <limits>

#include "platform/image/Bitmap.h"

namespace {

struct DepthRange {
  float min = std::numeric_limits<float>::max();
  float max = std::numeric_limits<float>::lowest();
  bool any = false;
};

DepthRange ObjectRange(const floatBitmap& depth) {
  DepthRange r;
  const float* p = depth.GetData();
  for (size_t i = 0, n = depth.GetValueCount(); i < n; ++i) {
    if (IsBackgroundDepth(p[i])) continue;
    r.min = std::min(r.min, p[i]);
    r.max = std::max(r.max, p[i]);
    r.any = true;
  }
  return r;
}

}  // namespace

float floatBitmap::GetMinDepth() const {
  DepthRange r = ObjectRange(*this);
  return r.any ? r.min : 0.0f;
}

float floatBitmap::GetMaxDepth() const {
  DepthRange r = ObjectRange(*this);
  return r.any ? r.max : 0.0f;
}

int64_t floatBitmap::GetBackgroundPixelCount() const {
  const float* p = GetData();
  return std::count_if(p, p + GetValueCount(), IsBackgroundDepth);
}

float floatBitmap::GetBackgroundDepth() const {
  // Background markers that are finite keep their value; markers that are not
  // (infinity, NaN) read as the threshold itself.
  bool anyBackground = false;
  float farthestMarker = kBackgroundThreshold;
  const float* p = GetData();
  for (size_t i = 0, n = GetValueCount(); i < n; ++i) {
    if (!IsBackgroundDepth(p[i])) continue;
    anyBackground = true;
    if (p[i] == p[i] && p[i] < std::numeric_limits<float>::infinity()) {
      farthestMarker = std::max(farthestMarker, p[i]);
    }
  }
  return anyBackground ? farthestMarker : GetMaxDepth();
}

int64_t floatBitmap::GetPixelNumberInDepthInterval(float lo, float hi) const {
  const float* p = GetData();
  return std::count_if(p, p + GetValueCount(), [lo, hi](float d) { return lo <= d && d <= hi; });
}

void floatBitmap::ReplaceBackgroundDepth(float depth) {
  float* p = GetData();
  std::replace_if(p, p + GetValueCount(), IsBackgroundDepth, depth);
}
