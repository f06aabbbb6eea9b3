#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/ParallelRows.h"
#include "filters/dof/PrefixRows.h"
#include "filters/dof/ProgressBands.h"
#include "filters/dof/WindowSums.h"

namespace {

// Window sums come from per-row prefix sums (PrefixRows.h): for the pixels whose mask is not 0
// (the slice and what lies behind it) and for those whose mask is 255 (the slice itself). An
// interval of constant kernel weight then costs one difference per lane; the sums are integers,
// so grouping them changes nothing. Neighbouring pixels that take the same kernel are summed
// together in vectors (WindowSums.h).
//
// The entries hold 16-bit lanes kept modulo 2^16: an interval's true sum stays below 2^15 (see
// kWidestRun), so the difference of two entries modulo 2^16 is exact. The colour takes four
// lanes (red, green, blue, count); with the alpha rendered along, eight (alpha and three unused
// lanes more), which costs one more lane per interval instead of a second composite.
template <bool WithAlpha>
class SliceCompositor {
 public:
  static constexpr int C = WithAlpha ? 4 : 3;  // channels: red, green, blue (and alpha); then the count
  static constexpr int kLanes = WithAlpha ? kColourAlphaEntryLanes : kColourEntryLanes;
  // Kernels are at most 51 pixels wide; up to this width the sum of a lane over one interval
  // (255 a pixel, or a count) stays below 2^15. It also bounds the rows a window spans.
  static constexpr int kWidestRun = 128;
  // Pixels summed by one call: enough to fill the widest vectors several times over.
  static constexpr int kChunk = 64;

  SliceCompositor(const DepthOfFieldSettings& settings, const SliceLayers& layers, const floatBitmap& depth,
                  const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                  SliceWorkspace& workspace)
      : settings_(settings),
        layers_(layers),
        depth_(depth),
        mask_(mask),
        table_(table),
        runs_(runs),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        pad_(runs_.MaxRadiusX()),
        reach_(runs_.MaxRadiusY()),
        overreach_(WindowSumsOverreach(kLanes)),
        notBehind_(workspace.notBehindRows, width_, pad_, overreach_, kLanes, RingRows(), reach_),
        own_(workspace.ownRows, width_, pad_, overreach_, kLanes, RingRows(), reach_) {
    if (2 * pad_ + 1 > kWidestRun || 2 * reach_ + 1 > kWidestRun) throw std::invalid_argument("blur kernel too wide");
    for (int i = 0; i < table.GetCount(); ++i) windows_.push_back(MakeWindow(runs_.Get(i)));
    // A border value records the truncated diameter of the border pixel that stamped it.
    for (int v = kMaskBorderBase; v < kMaskOwn; ++v) borderKernel_[size_t(v)] = table.LookupIndex(v - kMaskBorderBase);
  }

  SliceResult Run() {
    FindRowWork();
    notBehind_.Prepare();
    if (anyBorder_) own_.Prepare();
    bool completed = ForEachProgressBand(height_, [&](int first, int end) {
      // Every pixel to render needs the sums over the slice and what lies behind it around it;
      // the border blend also needs the sums over the slice alone. Only the rows that the
      // windows of the band's pixels to render reach are built; those of the next band are
      // built while this one is composited.
      const BandRows band = RowsOfBand(first, end);
      if (IsEmpty(band.any)) return;
      BuildRows({notBehind_.Missing(band.any.first, band.any.end), own_.Missing(band.border.first, band.border.end)});
      notBehind_.MarkAvailable(band.any.first, band.any.end);
      if (!IsEmpty(band.border)) own_.MarkAvailable(band.border.first, band.border.end);
      const BandRows next = RowsOfBand(end, NextBandEnd(height_, end));
      const RowRange aheadNotBehind = IsEmpty(next.any) ? RowRange{} : notBehind_.Missing(next.any.first, next.any.end);
      const RowRange aheadOwn = IsEmpty(next.border) ? RowRange{} : own_.Missing(next.border.first, next.border.end);
      ForRowRangesInParallel(std::array<RowRange, 3>{RowRange{first, end}, aheadNotBehind, aheadOwn},
                             [&](int kind, int y) {
                               if (kind == 0) {
                                 if (rowWork_[size_t(y)] != 0) CompositeRow(y);
                               } else {
                                 BuildRow(kind == 1 ? notBehind_ : own_, y);
                               }
                             });
      if (!IsEmpty(next.any)) notBehind_.MarkAvailable(next.any.first, next.any.end);
      if (!IsEmpty(next.border)) own_.MarkAvailable(next.border.first, next.border.end);
    });
    return completed ? SliceResult::Done : SliceResult::Cancelled;
  }

 private:
  // The rows that the windows of a band's pixels to render reach: of all of them, and of its
  // border pixels (the only ones that read the sums over the slice alone).
  struct BandRows {
    RowRange any;
    RowRange border;
  };
  BandRows RowsOfBand(int first, int end) const {
    return {RowsWith(first, end, kRowHasOwn | kRowHasBorder), RowsWith(first, end, kRowHasBorder)};
  }

  static bool IsEmpty(const RowRange& r) { return r.first >= r.end; }

  // Rows missing before a band is composited (the first band, or one after bands without
  // work): the sums over the slice and behind it, then over the slice alone.
  void BuildRows(const std::array<RowRange, 2>& missing) {
    ForRowRangesInParallel(missing, [&](int kind, int y) { BuildRow(kind == 0 ? notBehind_ : own_, y); });
  }

  void BuildRow(PrefixRing& ring, int y) {
    const PrefixSource source{mask_.GetLine(y), layers_.colour.GetLineBytes(y),
                              WithAlpha ? layers_.alpha->GetLineBytes(y) : nullptr};
    ring.BuildRow(y, source, &ring == &own_ ? PrefixSelection::SliceOnly : PrefixSelection::SliceAndBehind);
  }

  static constexpr uint8_t kRowHasOwn = 1;
  static constexpr uint8_t kRowHasBorder = 2;

  // Rows the ring holds at once: those a band's windows span (the band's own, at most
  // kRowsPerProgressStep, and the reach above and below it) and the next band's.
  int RingRows() const { return 2 * kRowsPerProgressStep + 2 * reach_; }

  // What each row holds, found for all rows at once over all cores.
  void FindRowWork() {
    rowWork_.assign(size_t(height_), 0);
    ForRowsInParallel(0, height_, [&](int y) { rowWork_[size_t(y)] = RowWork(mask_.GetLine(y)); });
    for (uint8_t work : rowWork_) anyBorder_ = anyBorder_ || (work & kRowHasBorder) != 0;
  }

  // Border values (128 to 254) are the bytes with the high bit set that are not 255.
  uint8_t RowWork(const uint8_t* mask) const {
    static_assert(kMaskBorderBase == 128 && kMaskOwn == 255, "border values are the bytes from 128 to 254");
    uint8_t found = 0;
    int x = 0;
#if defined(__SSE2__)
    for (; x + 16 <= width_ && found != (kRowHasOwn | kRowHasBorder); x += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + x));
      const int own = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xFF))));
      const int high = _mm_movemask_epi8(v);
      if (own != 0) found |= kRowHasOwn;
      if ((high & ~own) != 0) found |= kRowHasBorder;
    }
#endif
    for (; x < width_; ++x) {
      if (mask[x] == kMaskOwn) found |= kRowHasOwn;
      if (mask[x] >= kMaskBorderBase && mask[x] != kMaskOwn) found |= kRowHasBorder;
    }
    return found;
  }

  // The rows that the windows reach of the pixels of rows [first, end) whose row work has any of
  // the bits; empty when there are none.
  RowRange RowsWith(int first, int end, uint8_t bits) const {
    int firstWith = first;
    while (firstWith < end && (rowWork_[size_t(firstWith)] & bits) == 0) ++firstWith;
    if (firstWith == end) return {};
    int lastWith = end - 1;
    while ((rowWork_[size_t(lastWith)] & bits) == 0) --lastWith;
    return {std::max(0, firstWith - reach_), std::min(height_, lastWith + 1 + reach_)};
  }

  // A kernel's intervals, all rows in one list, each with its offsets from the pixel's entry
  // (rows included, as the prefix rows lie at a fixed stride). The rows of a window clipped at
  // the top or bottom of the image are a contiguous part of the list.
  struct KernelWindow {
    int radiusY = 0;
    std::vector<WindowTap> taps;
    std::vector<size_t> rowStart;  // taps of row dy: [rowStart[dy + radiusY], rowStart[dy + radiusY + 1])
  };

  KernelWindow MakeWindow(const KernelRuns& kernel) const {
    KernelWindow w;
    w.radiusY = kernel.RadiusY();
    const std::ptrdiff_t stride = notBehind_.Stride();
    for (int dy = -kernel.RadiusY(); dy <= kernel.RadiusY(); ++dy) {
      w.rowStart.push_back(w.taps.size());
      for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r) {
        const std::ptrdiff_t row = dy * stride;
        w.taps.push_back({int32_t(row + r->dxEnd * kLanes), int32_t(row + r->dxBegin * kLanes), r->weight, 0});
      }
    }
    w.rowStart.push_back(w.taps.size());
    for (size_t i = 0; i < w.taps.size(); ++i) {
      const uint32_t next = i + 1 < w.taps.size() ? w.taps[i + 1].weight : 0;
      w.taps[i].pairWeight = w.taps[i].weight | (next << 16);
    }
    return w;
  }

  // The taps of a window centred on row y, clipped to the image.
  struct Taps {
    const WindowTap* first;
    const WindowTap* last;
  };
  Taps TapsAt(const KernelWindow& kernel, int y) const {
    const int dyFirst = std::max(-kernel.radiusY, -y);
    const int dyLast = std::min(kernel.radiusY, height_ - 1 - y);
    const WindowTap* taps = kernel.taps.data();
    return {taps + kernel.rowStart[size_t(dyFirst + kernel.radiusY)],
            taps + kernel.rowStart[size_t(dyLast + kernel.radiusY + 1)]};
  }

  // The row's pixels to render come in runs that take one kernel: the slice's own pixels of one
  // depth (neighbours mostly share it), or border pixels stamped with one value.
  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
    const uint16_t* notBehind = notBehind_.PixelZero(y);
    const uint16_t* own = (rowWork_[size_t(y)] & kRowHasBorder) ? own_.PixelZero(y) : nullptr;
    float lastDepth = 0.0f;
    int lastKernel = -1;
    auto ownKernel = [&](int x) {
      if (lastKernel < 0 || !(depth[x] == lastDepth)) {
        lastKernel = table_.LookupIndex(settings_.BlurPixels(depth[x], true));
        lastDepth = depth[x];
      }
      return lastKernel;
    };
    for (int x = 0; x < width_;) {
      const uint8_t v = mask[x];
      if (v < kMaskBorderBase) {
        ++x;
        continue;
      }
      const int kernel = v == kMaskOwn ? ownKernel(x) : borderKernel_[v];
      int end = x + 1;
      while (end < width_ && end - x < kChunk && mask[end] == v && (v != kMaskOwn || ownKernel(end) == kernel)) ++end;
      const Taps taps = TapsAt(windows_[size_t(kernel)], y);
      if (v == kMaskOwn) {
        AverageRun(notBehind, taps, y, x, end);
      } else {
        BlendBorderRun(own, notBehind, taps, y, x, end);
      }
      x = end;
    }
  }

  // A row of the outputs, the alpha as a fourth channel.
  struct OutputRow {
    uint8_t* colour;
    uint8_t* alpha;
    uint8_t* Channel(int x, int c) const { return c < 3 ? colour + size_t(x) * 3 + c : alpha + x; }
  };
  OutputRow OutputAt(int y) const {
    return {layers_.output.GetLineBytes(y), WithAlpha ? layers_.alphaOutput->GetLineBytes(y) : nullptr};
  }

  // The slice's own pixels: the kernel-weighted average of the slice and what lies behind it.
  void AverageRun(const uint16_t* notBehind, const Taps& taps, int y, int x, int end) const {
    alignas(16) uint32_t averages[kChunk * kLanes];
    AverageWindows(notBehind, kLanes, taps.first, taps.last, x, end - x, averages);
    const OutputRow out = OutputAt(y);
    for (int p = 0; p < end - x; ++p) {
      for (int c = 0; c < C; ++c) *out.Channel(x + p, c) = uint8_t(averages[p * kLanes + c]);
    }
  }

  // Pixels behind the slice that its blurred border reaches: the slice's average colour around
  // each, weighed by the share of the window that the slice covers.
  void BlendBorderRun(const uint16_t* own, const uint16_t* notBehind, const Taps& taps, int y, int x,
                      int end) const {
    alignas(16) uint32_t insideSums[kChunk * kLanes];
    alignas(16) uint32_t anySums[kChunk * kLanes];
    SumWindows(own, kLanes, taps.first, taps.last, x, end - x, insideSums);
    SumWindows(notBehind, kLanes, taps.first, taps.last, x, end - x, anySums);
    const OutputRow out = OutputAt(y);
    for (int p = 0; p < end - x; ++p) {
      const uint32_t* inside = insideSums + p * kLanes;
      const uint32_t insideWeight = inside[C];
      const uint32_t outsideWeight = anySums[p * kLanes + C] - insideWeight;
      // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
      if (insideWeight + outsideWeight == 0) continue;
      const double alpha = double(insideWeight) / double(insideWeight + outsideWeight);
      for (int c = 0; c < C; ++c) {
        uint8_t* pixel = out.Channel(x + p, c);
        const uint32_t average = insideWeight != 0 ? inside[c] / insideWeight : inside[c];
        *pixel = uint8_t(double(average) * alpha + double(*pixel) * (1.0 - alpha));
      }
    }
  }

  const DepthOfFieldSettings& settings_;
  const SliceLayers& layers_;
  const floatBitmap& depth_;
  const g8Bitmap& mask_;
  const BlurKernelTable& table_;
  const SliceKernelRuns& runs_;
  const int width_;
  const int height_;
  const int pad_;
  const int reach_;
  const int overreach_;
  std::vector<KernelWindow> windows_;
  std::array<int, 256> borderKernel_{};  // kernel index by mask value, for 128 to 254
  std::vector<uint8_t> rowWork_;  // kRowHasOwn and kRowHasBorder, by row
  bool anyBorder_ = false;
  PrefixRing notBehind_;
  PrefixRing own_;
};

void CheckSameShape(const Bitmap& a, const Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    throw std::invalid_argument("slice images differ in size");
  }
}

}  // namespace

SliceResult CompositeSlice(const DepthOfFieldSettings& settings, const SliceLayers& layers, const floatBitmap& depth,
                           const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                  SliceWorkspace& workspace) {
  CheckSameShape(layers.colour, depth);
  CheckSameShape(layers.output, depth);
  CheckSameShape(mask, depth);
  if (layers.colour.GetChannels() != 3 || layers.output.GetChannels() != 3) {
    throw std::invalid_argument("slice colour must have 3 channels");
  }
  if (!layers.alpha) return SliceCompositor<false>(settings, layers, depth, mask, table, runs, workspace).Run();
  if (!layers.alphaOutput) throw std::invalid_argument("slice alpha without an output");
  CheckSameShape(*layers.alpha, depth);
  CheckSameShape(*layers.alphaOutput, depth);
  if (layers.alpha->GetChannels() != 1 || layers.alphaOutput->GetChannels() != 1) {
    throw std::invalid_argument("slice alpha must have 1 channel");
  }
  return SliceCompositor<true>(settings, layers, depth, mask, table, runs, workspace).Run();
}
