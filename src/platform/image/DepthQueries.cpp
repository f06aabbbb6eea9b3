// Depth-range queries over a depth layer; background pixels are left out of the range.
#include <tbb/blocked_range.h>
#include <tbb/parallel_reduce.h>

#include <algorithm>
#include <functional>
#include <limits>

#include "platform/image/Bitmap.h"

namespace {

// A frame's depths are scanned several times a frame (range, background, slices); the scans
// run over all cores. Each is a minimum, maximum or count, so the order does not matter.
template <typename Result, typename Scan, typename Join>
Result ReduceDepths(const floatBitmap& depth, Result identity, Scan scan, Join join) {
  const float* p = depth.GetData();
  return tbb::parallel_reduce(
      tbb::blocked_range<size_t>(0, depth.GetValueCount(), 1 << 16), identity,
      [p, &scan](const tbb::blocked_range<size_t>& r, Result part) { return scan(p + r.begin(), p + r.end(), part); },
      join);
}

struct DepthRange {
  float min = std::numeric_limits<float>::max();
  float max = std::numeric_limits<float>::lowest();
  bool any = false;
};

DepthRange ObjectRange(const floatBitmap& depth) {
  auto scan = [](const float* p, const float* end, DepthRange r) {
    for (; p != end; ++p) {
      if (IsBackgroundDepth(*p)) continue;
      r.min = std::min(r.min, *p);
      r.max = std::max(r.max, *p);
      r.any = true;
    }
    return r;
  };
  auto join = [](const DepthRange& a, const DepthRange& b) {
    return DepthRange{std::min(a.min, b.min), std::max(a.max, b.max), a.any || b.any};
  };
  return ReduceDepths(depth, DepthRange{}, scan, join);
}

// The farthest finite background marker, and whether there is any background at all.
struct BackgroundMarkers {
  float farthest = kBackgroundThreshold;
  bool any = false;
};

BackgroundMarkers FindBackground(const floatBitmap& depth) {
  auto scan = [](const float* p, const float* end, BackgroundMarkers m) {
    for (; p != end; ++p) {
      if (!IsBackgroundDepth(*p)) continue;
      m.any = true;
      // Markers that are not finite (infinity, NaN) read as the threshold itself.
      if (*p == *p && *p < std::numeric_limits<float>::infinity()) m.farthest = std::max(m.farthest, *p);
    }
    return m;
  };
  auto join = [](const BackgroundMarkers& a, const BackgroundMarkers& b) {
    return BackgroundMarkers{std::max(a.farthest, b.farthest), a.any || b.any};
  };
  return ReduceDepths(depth, BackgroundMarkers{}, scan, join);
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
  auto scan = [](const float* p, const float* end, int64_t count) {
    return count + std::count_if(p, end, IsBackgroundDepth);
  };
  return ReduceDepths(*this, int64_t(0), scan, std::plus<int64_t>());
}

float floatBitmap::GetBackgroundDepth() const {
  // Finite background markers keep their value.
  BackgroundMarkers markers = FindBackground(*this);
  return markers.any ? markers.farthest : GetMaxDepth();
}

int64_t floatBitmap::GetPixelNumberInDepthInterval(float lo, float hi) const {
  const float* p = GetData();
  return std::count_if(p, p + GetValueCount(), [lo, hi](float d) { return lo <= d && d <= hi; });
}

void floatBitmap::ReplaceBackgroundDepth(float depth) {
  float* p = GetData();
  std::replace_if(p, p + GetValueCount(), IsBackgroundDepth, depth);
}
