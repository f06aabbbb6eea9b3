#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/ParallelRows.h"
#include "filters/dof/PrefixRows.h"
#include "filters/dof/SliceCompositeFloat.h"
#include "filters/dof/SliceRows.h"
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
// kWidestRun), so the difference of two entries modulo 2^16 is exact. The colour entries have
// four lanes (red, green, blue, count); an alpha rendered along has rows of its own, of one
// lane (a vector sums four times as many pixels of them), and takes the colour's count.
template <bool WithAlpha>
class SliceCompositor {
 public:
  static constexpr int C = WithAlpha ? 4 : 3;  // channels: red, green, blue (and alpha)
  static constexpr int kLanes = kColourEntryLanes;
  static constexpr int kCount = 3;  // the count's lane in a colour entry
  // Kernels are at most 51 pixels wide; up to this width the sum of a lane over one interval
  // (255 a pixel, or a count) stays below 2^15. It also bounds the rows a window spans.
  static constexpr int kWidestRun = 128;
  // Pixels summed by one call: enough to fill the widest vectors several times over.
  static constexpr int kChunk = 64;

  SliceCompositor(const DepthOfFieldSettings& settings, const SliceLayers& layers, const floatBitmap& depth,
                  const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                  SliceWorkspace& workspace)
      : layers_(layers),
        depth_(depth),
        mask_(mask),
        runs_(runs),
        runFinder_(settings, table),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        pad_(runs_.MaxRadiusX()),
        reach_(runs_.MaxRadiusY()),
        notBehind_(Ring(workspace.notBehindRows, kLanes)),
        own_(Ring(workspace.ownRows, kLanes)),
        alphaNotBehind_(Ring(workspace.alphaNotBehindRows, kAlphaEntryLanes)),
        alphaOwn_(Ring(workspace.alphaOwnRows, kAlphaEntryLanes)) {
    if (2 * pad_ + 1 > kWidestRun || 2 * reach_ + 1 > kWidestRun) throw std::invalid_argument("blur kernel too wide");
    windows_.resize(size_t(table.GetCount()));
    ForRowsInParallel(0, table.GetCount(), [&](int i) { windows_[size_t(i)] = MakeWindow(runs_.Get(i)); });
  }

  SliceResult Run(RenderProgress& progress) {
    FindRowWork();
    Prepare(notBehind_, alphaNotBehind_);
    if (anyBorder_) Prepare(own_, alphaOwn_);
    bool completed = ForEachProgressBand(height_, progress, [&](int first, int end) {
      // Every pixel to render needs the sums over the slice and what lies behind it around it;
      // the border blend also needs the sums over the slice alone. Only the rows that the
      // windows of the band's pixels to render reach are built; those of the next band are
      // built while this one is composited. The alpha's rows go with the colour's.
      const BandRows band = RowsOfBand(first, end);
      if (IsEmpty(band.any)) return;
      const RowRange missingNotBehind = notBehind_.Missing(band.any.first, band.any.end);
      const RowRange missingOwn = own_.Missing(band.border.first, band.border.end);
      ForRowRangesInParallel(std::array<RowRange, 4>{missingNotBehind, missingOwn, AlphaToo(missingNotBehind),
                                                     AlphaToo(missingOwn)},
                             [&](int kind, int y) { BuildRow(kind, y); });
      MarkAvailable(notBehind_, alphaNotBehind_, band.any);
      MarkAvailable(own_, alphaOwn_, band.border);
      const BandRows next = RowsOfBand(end, NextBandEnd(height_, end));
      const RowRange aheadNotBehind = IsEmpty(next.any) ? RowRange{} : notBehind_.Missing(next.any.first, next.any.end);
      const RowRange aheadOwn = IsEmpty(next.border) ? RowRange{} : own_.Missing(next.border.first, next.border.end);
      ForRowRangesInParallel(std::array<RowRange, 5>{RowRange{first, end}, aheadNotBehind, aheadOwn,
                                                     AlphaToo(aheadNotBehind), AlphaToo(aheadOwn)},
                             [&](int kind, int y) {
                               if (kind > 0) return BuildRow(kind - 1, y);
                               if (rowWork_[size_t(y)] != 0) CompositeRow(y);
                             });
      MarkAvailable(notBehind_, alphaNotBehind_, next.any);
      MarkAvailable(own_, alphaOwn_, next.border);
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
  static RowRange AlphaToo(const RowRange& r) { return WithAlpha ? r : RowRange{}; }

  void Prepare(PrefixRing<uint16_t>& colour, PrefixRing<uint16_t>& alpha) {
    colour.Prepare();
    if (WithAlpha) alpha.Prepare();
  }

  void MarkAvailable(PrefixRing<uint16_t>& colour, PrefixRing<uint16_t>& alpha, const RowRange& rows) {
    if (IsEmpty(rows)) return;
    colour.MarkAvailable(rows.first, rows.end);
    if (WithAlpha) alpha.MarkAvailable(rows.first, rows.end);
  }

  // Row y of the ring of a kind: the colour over the slice and behind it, over the slice alone,
  // then the alpha over the same.
  void BuildRow(int kind, int y) {
    PrefixRing<uint16_t>* rings[] = {&notBehind_, &own_, &alphaNotBehind_, &alphaOwn_};
    const bool alpha = kind >= 2;
    const PrefixSource<uint8_t> source{mask_.GetLine(y), (alpha ? *layers_.alpha : layers_.colour).GetLineBytes(y)};
    const PrefixSelection selection = kind % 2 == 1 ? PrefixSelection::SliceOnly : PrefixSelection::SliceAndBehind;
    const int lanes = alpha ? kAlphaEntryLanes : kLanes;
    rings[kind]->BuildRow(y, [&](uint16_t* row) {
      BuildPrefixRow(source, selection, width_, pad_, WindowSumsOverreach(lanes), lanes, row);
    });
  }

  // A ring of prefix rows of `lanes` lanes an entry.
  PrefixRing<uint16_t> Ring(std::vector<uint16_t>& storage, int lanes) const {
    const std::ptrdiff_t stride = std::ptrdiff_t(PrefixRowEntries(width_, pad_, WindowSumsOverreach(lanes))) * lanes;
    return PrefixRing<uint16_t>(storage, stride, std::ptrdiff_t(pad_) * lanes, RingRows(), reach_);
  }

  // Rows the ring holds at once: those a band's windows span (the band's own, at most
  // kRowsPerProgressStep, and the reach above and below it) and the next band's.
  int RingRows() const { return 2 * kRowsPerProgressStep + 2 * reach_; }

  // What each row holds, found for all rows at once over all cores.
  void FindRowWork() {
    rowWork_ = FindSliceRowWork(mask_);
    for (uint8_t work : rowWork_) anyBorder_ = anyBorder_ || (work & kRowHasBorder) != 0;
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
  // (rows included, as the prefix rows lie at a fixed stride): in the colour rows, and in the
  // alpha rows. The rows of a window clipped at the top or bottom of the image are a contiguous
  // part of the list.
  struct KernelWindow {
    std::vector<WindowTap> taps;
    std::vector<WindowTap> alphaTaps;
    KernelTapRows rows;
  };

  KernelWindow MakeWindow(const KernelRuns& kernel) const {
    std::vector<WindowTap> taps;
    std::vector<WindowTap> alphaTaps;
    KernelTapRows rows(kernel, [&](const KernelRun& r, int dy) {
      taps.push_back(Tap(r, dy, notBehind_.Stride(), kLanes));
      if (WithAlpha) alphaTaps.push_back(Tap(r, dy, alphaNotBehind_.Stride(), kAlphaEntryLanes));
    });
    PairWeights(taps);
    PairWeights(alphaTaps);
    return {std::move(taps), std::move(alphaTaps), std::move(rows)};
  }

  static WindowTap Tap(const KernelRun& r, int dy, std::ptrdiff_t stride, int lanes) {
    const std::ptrdiff_t row = dy * stride;
    return {int32_t(row + r.dxEnd * lanes), int32_t(row + r.dxBegin * lanes), r.weight, 0};
  }

  static void PairWeights(std::vector<WindowTap>& taps) {
    for (size_t i = 0; i < taps.size(); ++i) {
      const uint32_t next = i + 1 < taps.size() ? taps[i + 1].weight : 0;
      taps[i].pairWeight = taps[i].weight | (next << 16);
    }
  }

  // The taps of a window centred on row y, clipped to the image, in the colour rows and in the
  // alpha rows.
  struct Taps {
    const WindowTap* first;
    const WindowTap* last;
    const WindowTap* alphaFirst;
    const WindowTap* alphaLast;
  };
  Taps TapsAt(const KernelWindow& kernel, int y) const {
    const auto [first, last] = kernel.rows.At(y, height_);
    const WindowTap* alpha = WithAlpha ? kernel.alphaTaps.data() : nullptr;
    return {kernel.taps.data() + first, kernel.taps.data() + last, alpha ? alpha + first : nullptr,
            alpha ? alpha + last : nullptr};
  }

  // The row's pixels to render come in runs that take one kernel: the slice's own pixels of one
  // depth (neighbours mostly share it), or border pixels stamped with one value.
  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
    const bool border = (rowWork_[size_t(y)] & kRowHasBorder) != 0;
    const RowSums notBehind{notBehind_.PixelZero(y), WithAlpha ? alphaNotBehind_.PixelZero(y) : nullptr};
    const RowSums ownSums{border ? own_.PixelZero(y) : nullptr, border && WithAlpha ? alphaOwn_.PixelZero(y) : nullptr};
    runFinder_.ForEachRun(mask, depth, width_, kChunk, [&](int kernel, int x, int end, bool own) {
      const Taps taps = TapsAt(windows_[size_t(kernel)], y);
      if (own) {
        AverageRun(notBehind, taps, y, x, end);
      } else {
        BlendBorderRun(ownSums, notBehind, taps, y, x, end);
      }
    });
  }

  // The entries of pixel 0 of a row's prefix rows.
  struct RowSums {
    const uint16_t* colour;
    const uint16_t* alpha;
  };

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
  void AverageRun(const RowSums& notBehind, const Taps& taps, int y, int x, int end) const {
    alignas(16) uint32_t averages[kChunk * kLanes];
    AverageWindows(notBehind.colour, taps.first, taps.last, x, end - x, averages);
    const OutputRow out = OutputAt(y);
    for (int p = 0; p < end - x; ++p) {
      for (int c = 0; c < 3; ++c) *out.Channel(x + p, c) = uint8_t(averages[p * kLanes + c]);
    }
    if constexpr (WithAlpha) {
      alignas(16) uint32_t alpha[kChunk];
      SumWindows(notBehind.alpha, kAlphaEntryLanes, taps.alphaFirst, taps.alphaLast, x, end - x, alpha);
      for (int p = 0; p < end - x; ++p) {
        const uint32_t weight = averages[p * kLanes + kCount];
        *out.Channel(x + p, 3) = uint8_t(weight != 0 ? alpha[p] / weight : 0);
      }
    }
  }

  // Pixels behind the slice that its blurred border reaches: the slice's average colour around
  // each, weighed by the share of the window that the slice covers.
  void BlendBorderRun(const RowSums& own, const RowSums& notBehind, const Taps& taps, int y, int x, int end) const {
    alignas(16) uint32_t insideSums[kChunk * kLanes];
    alignas(16) uint32_t anySums[kChunk * kLanes];
    alignas(16) uint32_t insideAlpha[kChunk];
    SumWindows(own.colour, kLanes, taps.first, taps.last, x, end - x, insideSums);
    SumWindows(notBehind.colour, kLanes, taps.first, taps.last, x, end - x, anySums);
    if (WithAlpha) SumWindows(own.alpha, kAlphaEntryLanes, taps.alphaFirst, taps.alphaLast, x, end - x, insideAlpha);
    const OutputRow out = OutputAt(y);
    for (int p = 0; p < end - x; ++p) {
      const uint32_t* inside = insideSums + p * kLanes;
      const uint32_t insideWeight = inside[kCount];
      const uint32_t outsideWeight = anySums[p * kLanes + kCount] - insideWeight;
      // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
      if (insideWeight + outsideWeight == 0) continue;
      const double alpha = double(insideWeight) / double(insideWeight + outsideWeight);
      for (int c = 0; c < C; ++c) {
        uint8_t* pixel = out.Channel(x + p, c);
        const uint32_t sum = c < 3 ? inside[c] : insideAlpha[p];
        const uint32_t average = insideWeight != 0 ? sum / insideWeight : sum;
        *pixel = uint8_t(double(average) * alpha + double(*pixel) * (1.0 - alpha));
      }
    }
  }

  const SliceLayers& layers_;
  const floatBitmap& depth_;
  const g8Bitmap& mask_;
  const SliceKernelRuns& runs_;
  const KernelRunFinder runFinder_;
  const int width_;
  const int height_;
  const int pad_;
  const int reach_;
  std::vector<KernelWindow> windows_;
  std::vector<uint8_t> rowWork_;  // kRowHasOwn and kRowHasBorder, by row
  bool anyBorder_ = false;
  PrefixRing<uint16_t> notBehind_;
  PrefixRing<uint16_t> own_;
  PrefixRing<uint16_t> alphaNotBehind_;
  PrefixRing<uint16_t> alphaOwn_;
};

void CheckSameShape(const Bitmap& a, const Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    throw std::invalid_argument("slice images differ in size");
  }
}

// Float colour goes with float output and float alpha.
SliceResult CompositeFloat(const DepthOfFieldSettings& settings, const SliceLayers& layers, const floatBitmap& depth,
                           const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                           SliceWorkspace& workspace, RenderProgress& progress) {
  auto* output = BitmapCast<rgbFloatBitmap>(&layers.output);
  const auto* alpha = BitmapCast<alphaFloatBitmap>(layers.alpha);
  auto* alphaOutput = BitmapCast<alphaFloatBitmap>(layers.alphaOutput);
  if (!output || bool(layers.alpha) != bool(alpha) || bool(layers.alphaOutput) != bool(alphaOutput) ||
      bool(alpha) != bool(alphaOutput)) {
    throw std::invalid_argument("float slice layers must all be float");
  }
  if (alpha) CheckSameShape(*alpha, depth), CheckSameShape(*alphaOutput, depth);
  const FloatSliceLayers floatLayers{static_cast<const rgbFloatBitmap&>(layers.colour), *output, alpha, alphaOutput};
  return CompositeFloatSlice(settings, floatLayers, depth, mask, table, runs, workspace, progress);
}

}  // namespace

SliceResult CompositeSlice(const DepthOfFieldSettings& settings, const SliceLayers& layers, const floatBitmap& depth,
                           const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                           SliceWorkspace& workspace, RenderProgress& progress) {
  CheckSameShape(layers.colour, depth);
  CheckSameShape(layers.output, depth);
  CheckSameShape(mask, depth);
  if (layers.colour.GetType() == kRgbFloatBitmap) return CompositeFloat(settings, layers, depth, mask, table, runs, workspace, progress);
  if (layers.colour.GetChannels() != 3 || layers.output.GetChannels() != 3) {
    throw std::invalid_argument("slice colour must have 3 channels");
  }
  if (!layers.alpha) {
    return SliceCompositor<false>(settings, layers, depth, mask, table, runs, workspace).Run(progress);
  }
  if (!layers.alphaOutput) throw std::invalid_argument("slice alpha without an output");
  CheckSameShape(*layers.alpha, depth);
  CheckSameShape(*layers.alphaOutput, depth);
  if (layers.alpha->GetChannels() != 1 || layers.alphaOutput->GetChannels() != 1) {
    throw std::invalid_argument("slice alpha must have 1 channel");
  }
  return SliceCompositor<true>(settings, layers, depth, mask, table, runs, workspace).Run(progress);
}
