#pragma once
// A summary of a depth layer taken in one pass over all cores: every row cut into tiles that
// know the range of their depths, and the layer's object range and background markers as the
// layer's own depth queries report them (in one vectorisable pass instead of one pass each).
// The depth-of-field slicing counts the pixels between two depths up to a hundred times a
// frame and each slice's mask looks for its pixels row by row: the tiles answer both, going
// back to the pixels only for the tiles that straddle a bound.

#include <cstdint>
#include <vector>

#include "platform/image/Bitmap.h"

class DepthTiles {
 public:
  explicit DepthTiles(const depthBitmap& depth);

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }

  // The pixels whose depth d satisfies lo <= d <= hi (a NaN depth lies nowhere).
  int64_t CountBetween(float lo, float hi) const;
  // False when no depth d of row y satisfies lo <= d <= hi.
  bool RowMayHold(int y, float lo, float hi) const {
    const Range& r = rows_[size_t(y)];
    return r.max >= lo && r.min <= hi;
  }
  // True when a depth of row y is greater than d.
  bool RowHasDepthAbove(int y, float d) const { return rows_[size_t(y)].max > d; }

  // Where the depths of a tile lie against lo <= d <= hi.
  enum class Side {
    Below,   // every depth below lo, or NaN
    Inside,  // every depth within
    Above,   // every depth above hi
    Mixed,   // any other tile
  };
  // Calls run(x0, x1, side) for the tiles of row y from left to right, neighbouring tiles on
  // the same side in one call.
  template <typename Run>
  void ForTileRuns(int y, float lo, float hi, Run&& run) const {
    const Range* tile = tiles_.data() + size_t(y) * size_t(tilesPerRow_);
    int x0 = 0;
    Side side = Side::Mixed;
    for (int t = 0; t < tilesPerRow_; ++t) {
      const Side s = SideOf(tile[t], lo, hi);
      if (t > 0 && s != side) {
        run(x0, t * kTileWidth, side);
        x0 = t * kTileWidth;
      }
      side = s;
    }
    if (tilesPerRow_ > 0) run(x0, width_, side);
  }

  // The same values as depthBitmap's GetMinDepth, GetMaxDepth, GetBackgroundDepth and
  // GetBackgroundPixelCount.
  float MinDepth() const { return objectCount_ > 0 ? objectMin_ : 0.0f; }
  float MaxDepth() const { return objectCount_ > 0 ? objectMax_ : 0.0f; }
  float BackgroundDepth() const { return backgroundCount_ > 0 ? farthestMarker_ : MaxDepth(); }
  int64_t BackgroundPixelCount() const { return backgroundCount_; }

  static constexpr int kTileWidth = 128;

 private:
  // The range of the depths that are numbers; min > max when there are none.
  struct Range {
    float min;
    float max;
    bool anyNaN;
  };
  // One row's share of the object range and background markers.
  struct RowMarkers {
    float objectMin;
    float objectMax;
    int64_t objectCount;
    int64_t backgroundCount;
    float farthestMarker;
  };

  static Side SideOf(const Range& r, float lo, float hi) {
    if (r.max < lo || !(r.min <= r.max)) return Side::Below;  // no number at all: NaN only
    if (r.anyNaN) return Side::Mixed;
    if (r.min > hi) return Side::Above;
    return lo <= r.min && r.max <= hi ? Side::Inside : Side::Mixed;
  }

  void SummariseRow(int y, RowMarkers& markers);
  int64_t CountInRow(int y, float lo, float hi) const;

  const depthBitmap& depth_;
  int width_ = 0;
  int height_ = 0;
  int tilesPerRow_ = 0;
  std::vector<Range> tiles_;  // row by row
  std::vector<Range> rows_;
  float objectMin_ = 0.0f;
  float objectMax_ = 0.0f;
  int64_t objectCount_ = 0;
  int64_t backgroundCount_ = 0;
  float farthestMarker_ = kBackgroundThreshold;
};
