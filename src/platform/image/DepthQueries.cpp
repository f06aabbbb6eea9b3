// Depth-range queries over a depth layer; background pixels are left out of the range.
#include <tbb/blocked_range.h>
#include <tbb/parallel_reduce.h>

#include <algorithm>
#include <functional>
#include <limits>

#include "platform/image/Bitmap.h"
#include "platform/image/DepthRange.h"

namespace {

// A frame's depths are scanned several times a frame (range, background, slices); the scans
// run over all cores. Each is a minimum, maximum or count, so the order does not matter.
template <typename Result, typename Scan, typename Join>
Result ReduceDepths(const depthBitmap& depth, Result identity, Scan scan, Join join) {
  const float* p = depth.GetData();
  return tbb::parallel_reduce(
      tbb::blocked_range<size_t>(0, depth.GetValueCount(), 1 << 16), identity,
      [p, &scan](const tbb::blocked_range<size_t>& r, Result part) { return scan(p + r.begin(), p + r.end(), part); },
      join);
}

struct ObjectDepths {
  float min = std::numeric_limits<float>::max();
  float max = std::numeric_limits<float>::lowest();
  bool any = false;
};

// The farthest finite background marker, and whether there is any background at all.
struct BackgroundMarkers {
  float farthest = kBackgroundThreshold;
  bool any = false;
};

// The objects' depths and the background markers together.
struct DepthsAndBackground {
  ObjectDepths objects;
  BackgroundMarkers background;
};

DepthsAndBackground ScanDepths(const depthBitmap& depth) {
  auto scan = [](const float* p, const float* end, DepthsAndBackground r) {
    for (; p != end; ++p) {
      if (IsBackgroundDepth(*p)) {
        r.background.any = true;
        // Markers that are not finite (infinity, NaN) read as the threshold itself.
        if (*p == *p && *p < std::numeric_limits<float>::infinity()) {
          r.background.farthest = std::max(r.background.farthest, *p);
        }
        continue;
      }
      r.objects.min = std::min(r.objects.min, *p);
      r.objects.max = std::max(r.objects.max, *p);
      r.objects.any = true;
    }
    return r;
  };
  auto join = [](const DepthsAndBackground& a, const DepthsAndBackground& b) {
    return DepthsAndBackground{
        {std::min(a.objects.min, b.objects.min), std::max(a.objects.max, b.objects.max), a.objects.any || b.objects.any},
        {std::max(a.background.farthest, b.background.farthest), a.background.any || b.background.any}};
  };
  return ReduceDepths(depth, DepthsAndBackground{}, scan, join);
}

}  // namespace

DepthRange GetDepthRange(const depthBitmap& depth) {
  const DepthsAndBackground scanned = ScanDepths(depth);
  const float min = scanned.objects.any ? scanned.objects.min : 0.0f;
  const float max = scanned.objects.any ? scanned.objects.max : 0.0f;
  return {min, max, scanned.background.any ? scanned.background.farthest : max};
}

float depthBitmap::GetMinDepth() const { return GetDepthRange(*this).min; }

float depthBitmap::GetMaxDepth() const { return GetDepthRange(*this).max; }

int64_t depthBitmap::GetBackgroundPixelCount() const {
  auto scan = [](const float* p, const float* end, int64_t count) {
    return count + std::count_if(p, end, IsBackgroundDepth);
  };
  return ReduceDepths(*this, int64_t(0), scan, std::plus<int64_t>());
}

// Finite background markers keep their value; without background it is the farthest depth.
float depthBitmap::GetBackgroundDepth() const { return GetDepthRange(*this).background; }

int64_t depthBitmap::GetPixelNumberInDepthInterval(float lo, float hi) const {
  const float* p = GetData();
  return std::count_if(p, p + GetValueCount(), [lo, hi](float d) { return lo <= d && d <= hi; });
}

void depthBitmap::ReplaceBackgroundDepth(float depth) {
  float* p = GetData();
  std::replace_if(p, p + GetValueCount(), IsBackgroundDepth, depth);
}
