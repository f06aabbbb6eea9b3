#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/DepthTiles.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/ParallelRows.h"
#include "filters/dof/ProgressBands.h"

namespace {

// A float depth widened to double and compared with a double bound decides the same way as the
// float compared with the largest float not above the bound (for d > bound and d <= bound) or
// with the smallest float not below it (for d >= bound). The pass compares floats only.
float FloatNotAbove(double v) {
  if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
  if (v >= double(std::numeric_limits<float>::max())) {
    return v == std::numeric_limits<double>::infinity() ? std::numeric_limits<float>::infinity()
                                                        : std::numeric_limits<float>::max();
  }
  if (v < -double(std::numeric_limits<float>::max())) return -std::numeric_limits<float>::infinity();
  float f = float(v);
  if (double(f) > v) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
  return f;
}

float FloatNotBelow(double v) { return -FloatNotAbove(-v); }

// Consecutive border pixels of a row [xBegin, xEnd) that stamp with the same kernel and value.
// Stamping them together gives the same mask as one after the other: they are neighbours in
// raster order and write the same value.
struct BorderRun {
  int xBegin;
  int xEnd;
  int kernel;
  uint8_t value;
};

// The border stamps must land as if applied one border pixel after the other in raster order,
// a later one overwriting an earlier one. Each target row is therefore finished on its own:
// it takes the stamps of the border pixels of the rows around it, in raster order, and is
// complete once those rows have been searched for border pixels.
class SliceMaskBuilder {
 public:
  SliceMaskBuilder(const DepthOfFieldSettings& settings, const depthBitmap& depth, const DepthTiles& tiles,
                   const BlurKernelTable& table, const SliceKernelRuns& runs, double lo, double hi)
      : settings_(settings),
        depth_(depth),
        tiles_(tiles),
        table_(table),
        runs_(runs),
        loUp_(FloatNotBelow(lo)),
        hiDown_(FloatNotAbove(hi)),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        border_(size_t(depth.GetHeight())) {}

  // Builds the mask into `mask` (of the depth's size; its earlier content does not matter).
  // False when cancelled.
  bool Build(g8Bitmap& mask, RenderProgress& progress) {
    mask_ = &mask;
    const int reach = runs_.MaxRadiusY();
    int searched = 0;  // rows [0, searched) have been searched for border pixels
    int finished = 0;
    bool completed = ForEachProgressBand(height_, progress, [&](int first, int end) {
      // The band is searched while the rows whose every source row the earlier bands searched
      // are finished: one join for both.
      const int ready = std::max(finished, searched - reach);
      ForRowRangesInParallel(std::array<RowRange, 2>{RowRange{first, end}, RowRange{finished, ready}},
                             [&](int kind, int y) { kind == 0 ? FindBorderPixels(y) : FinishRow(y); });
      finished = ready;
      searched = end;
    });
    if (!completed) return false;
    ForRowsInParallel(finished, height_, [&](int y) { FinishRow(y); });
    return true;
  }

 private:
  // lo <= d <= hi: the slice, for its border pixels and their neighbours as for its own pixels.
  bool InSlice(float d) const { return d >= loUp_ && d <= hiDown_; }

  // The row's border pixels: in the slice, with a neighbour inside the image that is not.
  class BorderSearch {
   public:
    BorderSearch(SliceMaskBuilder& b, int y)
        : b_(b),
          y_(y),
          row_(b.depth_.GetLine(y)),
          up_(y > 0 ? b.depth_.GetLine(y - 1) : nullptr),
          down_(y < b.height_ - 1 ? b.depth_.GetLine(y + 1) : nullptr),
          list_(b.border_[size_t(y)]) {}

    // Only the tiles that may hold pixels of the slice are searched, from left to right.
    void Run() {
      b_.tiles_.ForTileRuns(y_, b_.loUp_, b_.hiDown_, [this](int x0, int x1, DepthTiles::Side side) {
        if (side == DepthTiles::Side::Inside || side == DepthTiles::Side::Mixed) Search(x0, x1);
      });
    }

   private:
    void Search(int x, int end) {
#if defined(__SSE2__)
      // Four pixels at a time where both side neighbours exist; most pixels are inside their
      // slice or out of it together with their neighbours, and are skipped here.
      if (x == 0 && end > 0) TestOne(x++);
      for (; x + 4 <= end && x + 5 <= b_.width_; x += 4) {
        int bits = BorderBits(x);
        while (bits != 0) {
          const int i = __builtin_ctz(unsigned(bits));
          Add(x + i);
          bits &= bits - 1;
        }
      }
#endif
      for (; x < end; ++x) TestOne(x);
    }

#if defined(__SSE2__)
    __m128 In(const float* p) const {
      const __m128 d = _mm_loadu_ps(p);
      return _mm_and_ps(_mm_cmpge_ps(d, _mm_set1_ps(b_.loUp_)), _mm_cmple_ps(d, _mm_set1_ps(b_.hiDown_)));
    }
    // Bit i: pixel x + i is a border pixel (x >= 1 and x + 4 < width).
    int BorderBits(int x) const {
      const __m128 all = _mm_castsi128_ps(_mm_set1_epi32(-1));
      __m128 inside = _mm_and_ps(In(row_ + x - 1), In(row_ + x + 1));
      inside = _mm_and_ps(inside, up_ ? In(up_ + x) : all);
      inside = _mm_and_ps(inside, down_ ? In(down_ + x) : all);
      return _mm_movemask_ps(_mm_andnot_ps(inside, In(row_ + x)));
    }
#endif

    void TestOne(int x) {
      if (!b_.InSlice(row_[x])) return;
      const bool border = (x > 0 && !b_.InSlice(row_[x - 1])) || (x < b_.width_ - 1 && !b_.InSlice(row_[x + 1])) ||
                          (up_ && !b_.InSlice(up_[x])) || (down_ && !b_.InSlice(down_[x]));
      if (border) Add(x);
    }

    void Add(int x) {
      if (!known_ || !(row_[x] == lastDepth_)) {
        r_ = b_.settings_.BlurPixels(row_[x], true);
        lastDepth_ = row_[x];
        known_ = true;
      }
      if (!(r_ > 1.0)) return;
      const int kernel = b_.table_.LookupIndex(r_);
      const uint8_t value = uint8_t(kMaskBorderBase + int(r_));
      if (!list_.empty() && list_.back().xEnd == x && list_.back().kernel == kernel && list_.back().value == value) {
        list_.back().xEnd = x + 1;
      } else {
        list_.push_back({x, x + 1, kernel, value});
      }
    }

    SliceMaskBuilder& b_;
    const int y_;
    const float* row_;
    const float* up_;
    const float* down_;
    std::vector<BorderRun>& list_;
    float lastDepth_ = 0.0f;
    double r_ = 0.0;
    bool known_ = false;
  };

  // A border pixel is a pixel of the slice: rows that hold none have none.
  void FindBorderPixels(int y) {
    if (tiles_.RowMayHold(y, loUp_, hiDown_)) BorderSearch(*this, y).Run();
  }

  // The stamps of every border pixel whose kernel reaches row y, in raster order of the border
  // pixels; only pixels behind the slice (d > hi) take them.
  void StampRow(int y, uint8_t* mask, const float* depth) const {
    // Locals, as the byte stores could otherwise alias the members and force reloads.
    const float hi = hiDown_;
    const int first = std::max(0, y - runs_.MaxRadiusY());
    const int last = std::min(height_ - 1, y + runs_.MaxRadiusY());
    for (int sy = first; sy <= last; ++sy) {
      const int dy = y - sy;
      for (const BorderRun& p : border_[size_t(sy)]) {
        const KernelRuns& kernel = runs_.Get(p.kernel);
        if (dy < -kernel.RadiusY() || dy > kernel.RadiusY()) continue;
        for (const KernelRun* s = kernel.SpansBegin(dy); s != kernel.SpansEnd(dy); ++s) {
          // The span slid along the run covers one interval.
          const int x0 = std::max(0, p.xBegin + s->dxBegin);
          const int x1 = std::min(width_, p.xEnd - 1 + s->dxEnd);
          const uint8_t value = p.value;
          for (int x = x0; x < x1; ++x) mask[x] = depth[x] > hi ? value : mask[x];
        }
      }
    }
  }

  void FinishRow(int y) {
    uint8_t* mask = mask_->GetLine(y);
    const float* depth = depth_.GetLine(y);
    std::fill(mask, mask + width_, kMaskInFront);
    if (tiles_.RowHasDepthAbove(y, hiDown_)) StampRow(y, mask, depth);
    // Pixels no stamp reached: the slice's own, behind it, or in front of it (where they stay
    // 0). Tiles wholly on one side take their value without looking at their depths.
    tiles_.ForTileRuns(y, loUp_, hiDown_, [&](int x0, int x1, DepthTiles::Side side) {
      switch (side) {
        case DepthTiles::Side::Below: break;
        case DepthTiles::Side::Inside: FillUnset(mask, x0, x1, kMaskOwn); break;
        case DepthTiles::Side::Above: FillUnset(mask, x0, x1, kMaskBehind); break;
        case DepthTiles::Side::Mixed: ClassifyUnset(mask, depth, x0, x1); break;
      }
    });
  }

  static void FillUnset(uint8_t* mask, int x0, int x1, uint8_t value) {
    for (int x = x0; x < x1; ++x) mask[x] = mask[x] != 0 ? mask[x] : value;
  }

  void ClassifyUnset(uint8_t* mask, const float* depth, int x, int end) const {
    const float lo = loUp_;
    const float hi = hiDown_;
#if defined(__SSE2__)
    for (; x + 16 <= end; x += 16) {
      __m128i kinds[4];
      for (int k = 0; k < 4; ++k) {
        const __m128 d = _mm_loadu_ps(depth + x + 4 * k);
        const __m128 own = _mm_and_ps(_mm_cmpge_ps(d, _mm_set1_ps(lo)), _mm_cmple_ps(d, _mm_set1_ps(hi)));
        const __m128 behind = _mm_cmpgt_ps(d, _mm_set1_ps(hi));
        kinds[k] = _mm_or_si128(_mm_and_si128(_mm_castps_si128(own), _mm_set1_epi32(kMaskOwn)),
                                _mm_and_si128(_mm_castps_si128(behind), _mm_set1_epi32(kMaskBehind)));
      }
      const __m128i kind = _mm_packus_epi16(_mm_packs_epi32(kinds[0], kinds[1]), _mm_packs_epi32(kinds[2], kinds[3]));
      const __m128i current = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + x));
      const __m128i unset = _mm_cmpeq_epi8(current, _mm_setzero_si128());
      const __m128i merged = _mm_or_si128(_mm_and_si128(unset, kind), _mm_andnot_si128(unset, current));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(mask + x), merged);
    }
#endif
    for (; x < end; ++x) {
      const float d = depth[x];
      const uint8_t kind = (d >= lo && d <= hi) ? kMaskOwn : (d > hi ? kMaskBehind : kMaskInFront);
      mask[x] = mask[x] != 0 ? mask[x] : kind;
    }
  }

  const DepthOfFieldSettings& settings_;
  const depthBitmap& depth_;
  const DepthTiles& tiles_;
  const BlurKernelTable& table_;
  const SliceKernelRuns& runs_;
  // The bounds as floats: d >= lo is d >= loUp_, d <= hi is d <= hiDown_ (and d > hi is d > hiDown_).
  const float loUp_;
  const float hiDown_;
  const int width_;
  const int height_;
  std::vector<std::vector<BorderRun>> border_;
  g8Bitmap* mask_ = nullptr;
};

}  // namespace

bool BuildSliceMask(const DepthOfFieldSettings& settings, const depthBitmap& depth, const DepthTiles& tiles,
                    const BlurKernelTable& table, const SliceKernelRuns& runs, double lo, double hi, g8Bitmap& mask,
                    RenderProgress& progress) {
  return SliceMaskBuilder(settings, depth, tiles, table, runs, lo, hi).Build(mask, progress);
}

std::unique_ptr<g8Bitmap> BuildSliceMask(const DepthOfFieldSettings& settings, const depthBitmap& depth,
                                         const BlurKernelTable& table, double lo, double hi) {
  auto mask = std::make_unique<g8Bitmap>(depth.GetWidth(), depth.GetHeight());
  NoProgress unwatched;
  BuildSliceMask(settings, depth, DepthTiles(depth), table, SliceKernelRuns(table), lo, hi, *mask, unwatched);
  return mask;
}
