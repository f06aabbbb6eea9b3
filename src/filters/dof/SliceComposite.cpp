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
#include "filters/dof/ProgressBands.h"
#include "filters/dof/SliceRows.h"
#include "filters/dof/SliceSamples.h"
#include "filters/dof/WindowSums.h"

namespace {

// Window sums come from per-row prefix sums (PrefixRows.h): for the pixels whose mask is not 0
// (the slice and what lies behind it) and for those whose mask is 255 (the slice itself). An
// interval of constant kernel weight then costs one difference per lane; the sums are whole
// numbers, so grouping them changes nothing. Neighbouring pixels that take the same kernel are
// summed together in vectors (WindowSums.h).
//
// The colour entries have four lanes (red, green, blue, count); an alpha rendered along has rows
// of its own, of one lane (a vector sums four times as many pixels of them), and takes the
// colour's count. What depends on the samples, 8-bit or float, is the policy's (SliceSamples.h).
template <typename Samples, bool WithAlpha>
class SliceCompositor {
  using Sample = typename Samples::Sample;
  using Entry = typename Samples::Entry;
  using Sum = typename Samples::Sum;
  using Share = typename Samples::Share;
  using Weights = typename Samples::Weights;

 public:
  static constexpr int C = WithAlpha ? 4 : 3;  // channels: red, green, blue (and alpha)
  static constexpr int kLanes = kColourEntryLanes;
  // Kernels are at most 51 pixels wide; up to this width the sum of a lane over one interval
  // stays below 2^15 in 8 bits, and below 2^31 in fixed point. It also bounds the rows a window
  // spans.
  static constexpr int kWidestRun = 128;

  SliceCompositor(const DepthOfFieldSettings& settings, const SliceLayers& layers, const depthBitmap& depth,
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
        buildAhead_(Samples::kBuildAhead && SeveralThreads()),
        samples_(layers, workspace, width_, pad_),
        notBehind_(Ring(Samples::Storage(workspace).notBehind, kLanes)),
        own_(Ring(Samples::Storage(workspace).own, kLanes)),
        alphaNotBehind_(Ring(Samples::Storage(workspace).alphaNotBehind, kAlphaEntryLanes)),
        alphaOwn_(Ring(Samples::Storage(workspace).alphaOwn, kAlphaEntryLanes)) {
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
      // windows of the band's pixels to render reach are built; on several threads, those of the
      // next band may be built while this one is composited. The alpha's rows go with the colour's.
      const BandRows band = RowsOfBand(first, end);
      if (IsEmpty(band.any)) return;
      const RowRange missingNotBehind = notBehind_.Missing(band.any.first, band.any.end);
      const RowRange missingOwn = own_.Missing(band.border.first, band.border.end);
      ForRowRangesInParallel(std::array<RowRange, 4>{missingNotBehind, missingOwn, AlphaToo(missingNotBehind),
                                                     AlphaToo(missingOwn)},
                             [&](int kind, int y) { BuildRow(kind, y); });
      MarkAvailable(notBehind_, alphaNotBehind_, band.any);
      MarkAvailable(own_, alphaOwn_, band.border);
      const BandRows next = buildAhead_ ? RowsOfBand(end, NextBandEnd(height_, end)) : BandRows{};
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

  void Prepare(PrefixRing<Entry>& colour, PrefixRing<Entry>& alpha) {
    colour.Prepare();
    if (WithAlpha) alpha.Prepare();
  }

  void MarkAvailable(PrefixRing<Entry>& colour, PrefixRing<Entry>& alpha, const RowRange& rows) {
    if (IsEmpty(rows)) return;
    colour.MarkAvailable(rows.first, rows.end);
    if (WithAlpha) alpha.MarkAvailable(rows.first, rows.end);
  }

  // Row y of the ring of a kind: the colour over the slice and behind it, over the slice alone,
  // then the alpha over the same.
  void BuildRow(int kind, int y) {
    PrefixRing<Entry>* rings[] = {&notBehind_, &own_, &alphaNotBehind_, &alphaOwn_};
    const bool alpha = kind >= 2;
    const PrefixSource<Sample> source{mask_.GetLine(y), SourceRow(alpha ? *layers_.alpha : layers_.colour, y)};
    const PrefixSelection selection = kind % 2 == 1 ? PrefixSelection::SliceOnly : PrefixSelection::SliceAndBehind;
    const int lanes = alpha ? kAlphaEntryLanes : kLanes;
    rings[kind]->BuildRow(y, [&](Entry* row) { samples_.BuildRow(source, y, lanes, selection, row); });
  }

  static const Sample* SourceRow(const Bitmap& bitmap, int y) {
    return reinterpret_cast<const Sample*>(bitmap.GetLineBytes(y));
  }

  // A ring of prefix rows of `lanes` lanes an entry.
  PrefixRing<Entry> Ring(std::vector<Entry>& storage, int lanes) const {
    return PrefixRing<Entry>(storage, samples_.Stride(lanes), std::ptrdiff_t(pad_) * lanes, RingRows(), reach_);
  }

  // Rows the ring holds at once: those a band's windows span (the band's own, at most
  // kRowsPerProgressStep, and the reach above and below it) and the next band's when they are
  // built ahead. One thread gains nothing from building ahead, and the smaller ring stays in the
  // caches better.
  int RingRows() const { return (buildAhead_ ? 2 : 1) * kRowsPerProgressStep + 2 * reach_; }

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

  // The taps of a kernel's window centred on row y, clipped to the image.
  WindowTaps TapsAt(const KernelWindow& kernel, int y) const {
    const auto [first, last] = kernel.rows.At(y, height_);
    const WindowTap* alpha = WithAlpha ? kernel.alphaTaps.data() + first : nullptr;
    return {kernel.taps.data() + first, alpha, int(last - first)};
  }

  // The row's pixels to render come in runs that take one kernel: the slice's own pixels of one
  // depth (neighbours mostly share it), or border pixels stamped with one value.
  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
    const bool border = (rowWork_[size_t(y)] & kRowHasBorder) != 0;
    const RowEntries<Entry> notBehind{notBehind_.PixelZero(y), WithAlpha ? alphaNotBehind_.PixelZero(y) : nullptr};
    const RowEntries<Entry> ownSums{border ? own_.PixelZero(y) : nullptr,
                                    border && WithAlpha ? alphaOwn_.PixelZero(y) : nullptr};
    Weights weights;
    int weighed = -1;  // the kernel whose taps `weights` are for
    runFinder_.ForEachRun(mask, depth, width_, kChunkPixels, [&](int kernel, int x, int end, bool own) {
      const KernelWindow& window = windows_[size_t(kernel)];
      const WindowTaps taps = TapsAt(window, y);
      if (kernel != weighed) samples_.Weigh(taps, window.rows, y, weights), weighed = kernel;
      if (own) {
        AverageRun(notBehind, taps, weights, y, x, end);
      } else {
        BlendBorderRun(ownSums, notBehind, taps, weights, y, x, end);
      }
    });
  }

  // A row of the outputs, the alpha as a fourth channel.
  struct OutputRow {
    Sample* colour;
    Sample* alpha;
    Sample* Channel(int x, int c) const { return c < 3 ? colour + size_t(x) * 3 + c : alpha + x; }
  };
  OutputRow OutputAt(int y) const {
    return {reinterpret_cast<Sample*>(layers_.output.GetLineBytes(y)),
            WithAlpha ? reinterpret_cast<Sample*>(layers_.alphaOutput->GetLineBytes(y)) : nullptr};
  }

  // The slice's own pixels: the kernel-weighted average of the slice and what lies behind it.
  void AverageRun(const RowEntries<Entry>& notBehind, const WindowTaps& taps, const Weights& weights, int y, int x,
                  int end) const {
    alignas(16) Sum averages[kChunkPixels * kLanes];
    alignas(16) Sum alpha[kChunkPixels];
    samples_.Averages(notBehind, taps, weights, x, end - x, averages, WithAlpha ? alpha : nullptr);
    const OutputRow out = OutputAt(y);
    for (int p = 0; p < end - x; ++p) {
      for (int c = 0; c < 3; ++c) *out.Channel(x + p, c) = Sample(averages[p * kLanes + c]);
      if constexpr (WithAlpha) *out.Channel(x + p, 3) = Sample(Average(alpha[p], averages[p * kLanes + kCountLane]));
    }
  }

  // Pixels behind the slice that its blurred border reaches: the slice's average colour around
  // each, weighed by the share of the window that the slice covers.
  void BlendBorderRun(const RowEntries<Entry>& own, const RowEntries<Entry>& notBehind, const WindowTaps& taps,
                      const Weights& weights, int y, int x, int end) const {
    alignas(16) Sum insideSums[kChunkPixels * kLanes];
    alignas(16) Sum anySums[kChunkPixels * kLanes];
    alignas(16) Sum insideAlpha[kChunkPixels];
    samples_.Sums(own, taps, weights, x, end - x, insideSums, WithAlpha ? insideAlpha : nullptr);
    samples_.Sums(notBehind, taps, weights, x, end - x, anySums, nullptr);
    const OutputRow out = OutputAt(y);
    for (int p = 0; p < end - x; ++p) {
      const Sum* inside = insideSums + p * kLanes;
      const Sum insideWeight = inside[kCountLane];
      const Sum totalWeight = anySums[p * kLanes + kCountLane];
      // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
      if (totalWeight == 0) continue;
      const Share share = Share(insideWeight) / Share(totalWeight);
      for (int c = 0; c < C; ++c) {
        Sample* pixel = out.Channel(x + p, c);
        const Sum sum = c < 3 ? inside[c] : insideAlpha[p];
        const Sum average = insideWeight != 0 ? sum / insideWeight : sum;
        *pixel = Sample(Share(average) * share + Share(*pixel) * (Share(1) - share));
      }
    }
  }

  const SliceLayers& layers_;
  const depthBitmap& depth_;
  const g8Bitmap& mask_;
  const SliceKernelRuns& runs_;
  const KernelRunFinder runFinder_;
  const int width_;
  const int height_;
  const int pad_;
  const int reach_;
  const bool buildAhead_;  // whether the next band's rows are built while a band is composited
  const Samples samples_;
  std::vector<KernelWindow> windows_;
  std::vector<uint8_t> rowWork_;  // kRowHasOwn and kRowHasBorder, by row
  bool anyBorder_ = false;
  PrefixRing<Entry> notBehind_;
  PrefixRing<Entry> own_;
  PrefixRing<Entry> alphaNotBehind_;
  PrefixRing<Entry> alphaOwn_;
};

void CheckSameShape(const Bitmap& a, const Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    throw std::invalid_argument("slice images differ in size");
  }
}

template <typename Samples>
SliceResult Composite(const DepthOfFieldSettings& settings, const SliceLayers& layers, const depthBitmap& depth,
                      const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                      SliceWorkspace& workspace, RenderProgress& progress) {
  if (!layers.alpha) {
    return SliceCompositor<Samples, false>(settings, layers, depth, mask, table, runs, workspace).Run(progress);
  }
  CheckSameShape(*layers.alpha, depth);
  CheckSameShape(*layers.alphaOutput, depth);
  return SliceCompositor<Samples, true>(settings, layers, depth, mask, table, runs, workspace).Run(progress);
}

// Float colour goes with float output and float alpha.
void CheckFloatLayers(const SliceLayers& layers) {
  const bool output = BitmapCast<rgbFloatBitmap>(&layers.output) != nullptr;
  const bool alpha = BitmapCast<alphaFloatBitmap>(layers.alpha) != nullptr;
  const bool alphaOutput = BitmapCast<alphaFloatBitmap>(layers.alphaOutput) != nullptr;
  if (!output || bool(layers.alpha) != alpha || bool(layers.alphaOutput) != alphaOutput || alpha != alphaOutput) {
    throw std::invalid_argument("float slice layers must all be float");
  }
}

void CheckByteLayers(const SliceLayers& layers) {
  if (layers.colour.GetChannels() != 3 || layers.output.GetChannels() != 3) {
    throw std::invalid_argument("slice colour must have 3 channels");
  }
  if (!layers.alpha) return;
  if (!layers.alphaOutput) throw std::invalid_argument("slice alpha without an output");
  if (layers.alpha->GetChannels() != 1 || layers.alphaOutput->GetChannels() != 1) {
    throw std::invalid_argument("slice alpha must have 1 channel");
  }
}

}  // namespace

SliceResult CompositeSlice(const DepthOfFieldSettings& settings, const SliceLayers& layers, const depthBitmap& depth,
                           const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                           SliceWorkspace& workspace, RenderProgress& progress) {
  CheckSameShape(layers.colour, depth);
  CheckSameShape(layers.output, depth);
  CheckSameShape(mask, depth);
  if (layers.colour.GetType() == kRgbFloatBitmap) {
    CheckFloatLayers(layers);
    return Composite<FloatSamples>(settings, layers, depth, mask, table, runs, workspace, progress);
  }
  CheckByteLayers(layers);
  return Composite<ByteSamples>(settings, layers, depth, mask, table, runs, workspace, progress);
}
