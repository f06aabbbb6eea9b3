// The tile ranges are taken in vector code compiled once for each instruction set that the
// vector library targets; the first call picks the best one that the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/DepthTiles.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <algorithm>
#include <limits>

#include "filters/DepthTiles.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_filters {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The smallest and largest of the values that are numbers (a minimum or maximum whose first
// operand is a NaN gives the second: NaNs take no part), and whether any is NaN.
void TileRange(const float* p, int count, float& min, float& max, bool& anyNaN) {
  const hn::ScalableTag<float> d;
  const int lanes = int(hn::Lanes(d));
  auto low = hn::Set(d, std::numeric_limits<float>::infinity());
  auto high = hn::Set(d, -std::numeric_limits<float>::infinity());
  auto nan = hn::Zero(d);
  int x = 0;
  for (; x + lanes <= count; x += lanes) {
    const auto v = hn::LoadU(d, p + x);
    low = hn::IfThenElse(hn::Lt(v, low), v, low);
    high = hn::IfThenElse(hn::Gt(v, high), v, high);
    nan = hn::Or(nan, hn::VecFromMask(d, hn::Not(hn::Eq(v, v))));  // (Ne is false for NaN)
  }
  min = hn::GetLane(hn::MinOfLanes(d, low));
  max = hn::GetLane(hn::MaxOfLanes(d, high));
  anyNaN = !hn::AllFalse(d, hn::MaskFromVec(nan));
  for (; x < count; ++x) {
    const float v = p[x];
    min = v < min ? v : min;
    max = v > max ? v : max;
    anyNaN |= v != v;
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_filters
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fovara_filters {
HWY_EXPORT(TileRange);
}  // namespace fovara_filters

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/parallel_reduce.h>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// A tile without NaN whose range lies strictly between minus infinity and the threshold holds
// no background marker.
bool MayHoldMarkers(float min, float max, bool anyNaN) { return anyNaN || !(min > -kInfinity && max < kBackgroundThreshold); }

}  // namespace

DepthTiles::DepthTiles(const depthBitmap& depth)
    : depth_(depth),
      width_(depth.GetWidth()),
      height_(depth.GetHeight()),
      tilesPerRow_((depth.GetWidth() + kTileWidth - 1) / kTileWidth),
      tiles_(size_t(height_) * size_t(tilesPerRow_)),
      rows_(size_t(height_)) {
  std::vector<RowMarkers> markers(static_cast<size_t>(height_));
  tbb::parallel_for(tbb::blocked_range<int>(0, height_), [&](const tbb::blocked_range<int>& r) {
    for (int y = r.begin(); y != r.end(); ++y) SummariseRow(y, markers[size_t(y)]);
  });
  // Minimum, maximum, counts: the order of the rows does not matter.
  objectMin_ = std::numeric_limits<float>::max();
  objectMax_ = std::numeric_limits<float>::lowest();
  for (const RowMarkers& m : markers) {
    objectMin_ = std::min(objectMin_, m.objectMin);
    objectMax_ = std::max(objectMax_, m.objectMax);
    objectCount_ += m.objectCount;
    backgroundCount_ += m.backgroundCount;
    farthestMarker_ = std::max(farthestMarker_, m.farthestMarker);
  }
}

void DepthTiles::SummariseRow(int y, RowMarkers& markers) {
  const float* row = depth_.GetLine(y);
  Range* tile = tiles_.data() + size_t(y) * size_t(tilesPerRow_);
  Range whole{kInfinity, -kInfinity, false};
  markers = {std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(), 0, 0, kBackgroundThreshold};
  for (int x0 = 0; x0 < width_; x0 += kTileWidth, ++tile) {
    const int x1 = std::min(width_, x0 + kTileWidth);
    // Comparisons with a NaN are false: NaN depths take no part in the range.
    float min, max;
    bool anyNaN;
    HWY_DYNAMIC_DISPATCH(fovara_filters::TileRange)(row + x0, x1 - x0, min, max, anyNaN);
    *tile = {min, max, anyNaN};
    whole = {std::min(whole.min, min), std::max(whole.max, max), whole.anyNaN || anyNaN};
    if (!MayHoldMarkers(min, max, anyNaN)) {
      markers.objectMin = std::min(markers.objectMin, min);
      markers.objectMax = std::max(markers.objectMax, max);
      markers.objectCount += x1 - x0;
      continue;
    }
    // The depth queries' own rules, pixel by pixel.
    for (int x = x0; x < x1; ++x) {
      const float d = row[x];
      if (!IsBackgroundDepth(d)) {
        markers.objectMin = std::min(markers.objectMin, d);
        markers.objectMax = std::max(markers.objectMax, d);
        ++markers.objectCount;
        continue;
      }
      ++markers.backgroundCount;
      // Markers that are not finite (infinity, NaN) read as the threshold itself.
      if (d == d && d < kInfinity) markers.farthestMarker = std::max(markers.farthestMarker, d);
    }
  }
  rows_[size_t(y)] = whole;
}

int64_t DepthTiles::CountInRow(int y, float lo, float hi) const {
  if (!RowMayHold(y, lo, hi)) return 0;
  const Range* tile = tiles_.data() + size_t(y) * size_t(tilesPerRow_);
  const float* row = depth_.GetLine(y);
  int64_t count = 0;
  for (int x0 = 0; x0 < width_; x0 += kTileWidth, ++tile) {
    const int x1 = std::min(width_, x0 + kTileWidth);
    if (!(tile->max >= lo && tile->min <= hi)) continue;
    if (!tile->anyNaN && lo <= tile->min && tile->max <= hi) {
      count += x1 - x0;
      continue;
    }
    int inside = 0;
    for (int x = x0; x < x1; ++x) inside += (lo <= row[x]) & (row[x] <= hi);
    count += inside;
  }
  return count;
}

int64_t DepthTiles::CountBetween(float lo, float hi) const {
  return tbb::parallel_reduce(
      tbb::blocked_range<int>(0, height_, 64), int64_t(0),
      [&](const tbb::blocked_range<int>& r, int64_t n) {
        for (int y = r.begin(); y != r.end(); ++y) n += CountInRow(y, lo, hi);
        return n;
      },
      [](int64_t a, int64_t b) { return a + b; });
}
#endif  // HWY_ONCE
