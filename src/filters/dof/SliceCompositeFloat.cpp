// The composite of a slice on float colour (linear light): the same masks, kernels, averages and
// border blend as the 8-bit composite, without rounding, so that lights far brighter than white
// keep their energy when they spread into discs. The window sums come from fixed-point prefix
// rows with a scale for each row (PrefixRows.h), summed in vectors (WindowSums.h).

#include "filters/dof/SliceCompositeFloat.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/ParallelRows.h"
#include "filters/dof/PrefixRows.h"
#include "filters/dof/ProgressBands.h"
#include "filters/dof/SliceRows.h"
#include "filters/dof/WindowSums.h"

namespace {

constexpr int kLanes = kColourEntryLanes;  // red, green, blue, count
constexpr int kCount = 3;

class FloatSliceCompositor {
 public:
  // An interval sums at most this many pixels (see PrefixRows.h).
  static constexpr int kWidestRun = 128;

  FloatSliceCompositor(const DepthOfFieldSettings& settings, const FloatSliceLayers& layers, const floatBitmap& depth,
                       const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                       SliceWorkspace& workspace)
      : layers_(layers),
        depth_(depth),
        mask_(mask),
        runs_(runs),
        runFinder_(settings, table),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        reach_(runs.MaxRadiusY()),
        pad_(runs.MaxRadiusX() + 1),
        colourStride_(std::ptrdiff_t(PrefixRowEntries(width_, pad_, WindowSumsOverreach(kLanes))) * kLanes),
        alphaStride_(std::ptrdiff_t(PrefixRowEntries(width_, pad_, WindowSumsOverreach(kAlphaEntryLanes)))),
        workspace_(workspace),
        colourScale_(workspace.colourRowScales),
        alphaScale_(workspace.alphaRowScales),
        notBehind_{workspace.floatNotBehind},
        own_{workspace.floatOwn} {
    if (2 * pad_ + 1 > kWidestRun) throw std::invalid_argument("blur kernel too wide");
    windows_.resize(size_t(table.GetCount()));
    ForRowsInParallel(0, table.GetCount(), [&](int i) { windows_[size_t(i)] = MakeWindow(runs_.Get(i)); });
  }

  SliceResult Run(RenderProgress& progress) {
    rowWork_ = FindSliceRowWork(mask_);
    FindRowScales();
    fine_ = NeedsFineRows();
    const bool completed = ForEachProgressBand(height_, progress, [&](int first, int end) { CompositeBand(first, end); });
    return completed ? SliceResult::Done : SliceResult::Cancelled;
  }

 private:
  // Pixels whose windows are summed together: neighbours that take one kernel.
  static constexpr int kChunk = 64;

  // Every row's scale, once for the colour that all the slices of a render read (windows also
  // reach rows without work of their own).
  void FindRowScales() {
    if (workspace_.scaledColour == &layers_.colour && colourScale_.size() == size_t(height_)) return;
    colourScale_.assign(size_t(height_), 1.0f);
    alphaScale_.assign(size_t(height_), 1.0f);
    workspace_.colourRowUnscales.assign(size_t(height_), 1.0f);
    workspace_.alphaRowUnscales.assign(size_t(height_), 1.0f);
    ForRowsInParallel(0, height_, [&](int y) {
      colourScale_[size_t(y)] = FloatRowScale(layers_.colour.GetLine(y), size_t(width_) * 3);
      workspace_.colourRowUnscales[size_t(y)] = 1.0f / colourScale_[size_t(y)];
      if (!layers_.alpha) return;
      alphaScale_[size_t(y)] = FloatRowScale(layers_.alpha->GetLine(y), size_t(width_));
      workspace_.alphaRowUnscales[size_t(y)] = 1.0f / alphaScale_[size_t(y)];
    });
    workspace_.scaledColour = &layers_.colour;
  }

  // Fine rows where some row's brightest value reaches kBrightestWithoutFineRows: its scale is
  // then at most 2^23 / that.
  bool NeedsFineRows() const {
    constexpr float kSmallestCoarseScale = 8388608.0f / kBrightestWithoutFineRows;
    for (float scale : colourScale_) {
      if (scale < kSmallestCoarseScale) return true;
    }
    for (float scale : alphaScale_) {
      if (layers_.alpha && scale < kSmallestCoarseScale) return true;
    }
    return false;
  }

  // A kernel's intervals, all rows in one list, with their offsets from the pixel's entry in
  // the colour rows and in the alpha rows, and their weights.
  struct KernelWindow {
    std::vector<WindowTap> taps;
    std::vector<WindowTap> alphaTaps;
    std::vector<float> weights;
    std::vector<int> tapRow;  // dy of each tap
    KernelTapRows rows;
  };

  KernelWindow MakeWindow(const KernelRuns& kernel) const {
    std::vector<WindowTap> taps;
    std::vector<WindowTap> alphaTaps;
    std::vector<float> weights;
    std::vector<int> tapRow;
    KernelTapRows rows(kernel, [&](const KernelRun& r, int dy) {
      taps.push_back({int32_t(dy * colourStride_ + r.dxEnd * kLanes), int32_t(dy * colourStride_ + r.dxBegin * kLanes),
                      r.weight, 0});
      alphaTaps.push_back({int32_t(dy * alphaStride_ + r.dxEnd), int32_t(dy * alphaStride_ + r.dxBegin), r.weight, 0});
      weights.push_back(float(r.weight));
      tapRow.push_back(dy);
    });
    return {std::move(taps), std::move(alphaTaps), std::move(weights), std::move(tapRow), std::move(rows)};
  }

  // The prefix rows that the band's windows reach are built, then its rows composited.
  void CompositeBand(int first, int end) {
    int firstWork = first;
    while (firstWork < end && rowWork_[size_t(firstWork)] == 0) ++firstWork;
    if (firstWork == end) return;
    int lastWork = end - 1;
    while (rowWork_[size_t(lastWork)] == 0) --lastWork;
    bool border = false;
    for (int y = firstWork; y <= lastWork; ++y) border = border || (rowWork_[size_t(y)] & kRowHasBorder) != 0;
    const int rowsFirst = std::max(0, firstWork - reach_);
    const int rowsEnd = std::min(height_, lastWork + 1 + reach_);
    // Rows above and below the image are never read: windows are clipped to it.
    const RowRange missingNotBehind = Slide(notBehind_, rowsFirst, rowsEnd);
    const RowRange missingOwn = border ? Slide(own_, rowsFirst, rowsEnd) : RowRange{};
    ForRowRangesInParallel(std::array<RowRange, 2>{missingNotBehind, missingOwn}, [&](int kind, int y) {
      if (kind == 0) return BuildRows(notBehind_, PrefixSelection::SliceAndBehind, y);
      BuildRows(own_, PrefixSelection::SliceOnly, y);
    });
    ForRowsInParallel(firstWork, lastWork + 1, [&](int y) {
      if (rowWork_[size_t(y)] != 0) CompositeRow(y);
    });
  }

  // Prefix rows of one selection, rows [first, end) held from the start of the storage.
  struct HeldRows {
    FloatPrefixStorage& storage;
    int first = 0;
    int end = 0;
  };

  // Makes rows [first, end) the held ones, keeping those already built (bands go down the
  // image, and the windows of neighbouring bands share rows): they move to the start of the
  // storage. Returns the rows still to build.
  RowRange Slide(HeldRows& rows, int first, int end) const {
    const bool overlap = first >= rows.first && first < rows.end;
    const int kept = overlap ? std::min(rows.end, end) - first : 0;
    auto slide = [&](std::vector<int32_t>& v, std::ptrdiff_t stride, bool used) {
      if (!used) return;
      if (v.size() < size_t(end - first) * size_t(stride)) v.resize(size_t(end - first) * size_t(stride));
      if (kept > 0 && first > rows.first) {
        const auto from = v.begin() + std::ptrdiff_t(first - rows.first) * stride;
        std::copy(from, from + std::ptrdiff_t(kept) * stride, v.begin());
      }
    };
    slide(rows.storage.colour, colourStride_, true);
    slide(rows.storage.fineColour, colourStride_, fine_);
    slide(rows.storage.alpha, alphaStride_, layers_.alpha != nullptr);
    slide(rows.storage.fineAlpha, alphaStride_, fine_ && layers_.alpha);
    rows.first = first;
    rows.end = end;
    return {first + kept, end};
  }

  void BuildRows(HeldRows& held, PrefixSelection selection, int y) const {
    FloatPrefixStorage& rows = held.storage;
    const uint8_t* mask = mask_.GetLine(y);
    const size_t row = size_t(y - held.first);
    auto build = [&](const float* values, float scale, FloatPrefixPart part, int lanes, std::ptrdiff_t stride,
                     std::vector<int32_t>& into) {
      BuildPrefixRow(PrefixSource<float>{mask, values}, scale, part, selection, width_, pad_, WindowSumsOverreach(lanes),
                     lanes, into.data() + row * size_t(stride));
    };
    const float* colour = layers_.colour.GetLine(y);
    build(colour, colourScale_[size_t(y)], FloatPrefixPart::Coarse, kLanes, colourStride_, rows.colour);
    if (fine_) build(colour, colourScale_[size_t(y)], FloatPrefixPart::Fine, kLanes, colourStride_, rows.fineColour);
    if (!layers_.alpha) return;
    const float* alpha = layers_.alpha->GetLine(y);
    build(alpha, alphaScale_[size_t(y)], FloatPrefixPart::Coarse, kAlphaEntryLanes, alphaStride_, rows.alpha);
    if (fine_) build(alpha, alphaScale_[size_t(y)], FloatPrefixPart::Fine, kAlphaEntryLanes, alphaStride_, rows.fineAlpha);
  }

  // The entry of pixel 0 of row y in rows of a kind: entry i holds the sums over pixels [0, i).
  const int32_t* ColourZero(const HeldRows& held, const std::vector<int32_t>& rows, int y) const {
    return rows.data() + size_t(y - held.first) * size_t(colourStride_) + size_t(pad_) * kLanes;
  }
  const int32_t* AlphaZero(const HeldRows& held, const std::vector<int32_t>& rows, int y) const {
    return rows.data() + size_t(y - held.first) * size_t(alphaStride_) + size_t(pad_);
  }

  // The taps of a kernel's window centred on row y, clipped to the image, with their weights
  // per lane: each row's scale undone on the colour lanes, the count lane as it is.
  struct Taps {
    const WindowTap* colour;
    const WindowTap* alpha;
    int count = 0;
    std::vector<float> colourWeights;
    std::vector<float> alphaWeights;
    // The fine rows' weights: a fine step is 1 / kFineSteps of the coarse one; no count.
    std::vector<float> fineColourWeights;
    std::vector<float> fineAlphaWeights;
  };

  void TapsAt(int index, int y, Taps& taps) const {
    const KernelWindow& kernel = windows_[size_t(index)];
    const auto [first, last] = kernel.rows.At(y, height_);
    taps.colour = kernel.taps.data() + first;
    taps.alpha = kernel.alphaTaps.data() + first;
    taps.count = int(last - first);
    taps.colourWeights.resize(size_t(taps.count) * kLanes);
    taps.alphaWeights.resize(layers_.alpha ? size_t(taps.count) : 0);
    taps.fineColourWeights.resize(fine_ ? size_t(taps.count) * kLanes : 0);
    taps.fineAlphaWeights.resize(fine_ && layers_.alpha ? size_t(taps.count) : 0);
    for (size_t t = first; t < last; ++t) {
      const size_t row = size_t(y + kernel.tapRow[t]);
      const float weight = kernel.weights[t];
      float* w = taps.colourWeights.data() + (t - first) * kLanes;
      const float unscale = weight * workspace_.colourRowUnscales[row];
      w[0] = w[1] = w[2] = unscale;
      w[kCount] = weight;
      const float alphaUnscale = layers_.alpha ? weight * workspace_.alphaRowUnscales[row] : 0.0f;
      if (layers_.alpha) taps.alphaWeights[t - first] = alphaUnscale;
      if (!fine_) continue;
      float* f = taps.fineColourWeights.data() + (t - first) * kLanes;
      f[0] = f[1] = f[2] = unscale / kFineSteps;
      f[kCount] = 0.0f;
      if (layers_.alpha) taps.fineAlphaWeights[t - first] = alphaUnscale / kFineSteps;
    }
  }

  // The row's pixels to render come in runs that take one kernel, as in the 8-bit composite.
  void CompositeRow(int y) {
    Taps taps;
    int tapsKernel = -1;
    runFinder_.ForEachRun(mask_.GetLine(y), depth_.GetLine(y), width_, kChunk, [&](int kernel, int x, int end, bool own) {
      if (kernel != tapsKernel) TapsAt(kernel, y, taps), tapsKernel = kernel;
      if (own) {
        AverageRun(taps, x, end, y);
      } else {
        BlendBorderRun(taps, x, end, y);
      }
    });
  }

  // The window sums of pixels [x, end) of row y over prefix rows of one selection: colour
  // (kLanes a pixel) and alpha.
  void Sum(const HeldRows& held, const Taps& taps, int x, int end, int y, float* colour, float* alpha) const {
    const FloatPrefixStorage& rows = held.storage;
    const int count = end - x;
    const WindowTap* colourEnd = taps.colour + taps.count;
    const WindowTap* alphaEnd = taps.alpha + taps.count;
    SumWindows(ColourZero(held, rows.colour, y), kLanes, taps.colour, colourEnd, taps.colourWeights.data(), x, count,
               colour);
    if (layers_.alpha) {
      SumWindows(AlphaZero(held, rows.alpha, y), kAlphaEntryLanes, taps.alpha, alphaEnd, taps.alphaWeights.data(), x,
                 count, alpha);
    }
    if (!fine_) return;
    float fine[kChunk * kLanes];
    SumWindows(ColourZero(held, rows.fineColour, y), kLanes, taps.colour, colourEnd, taps.fineColourWeights.data(), x,
               count, fine);
    for (int i = 0; i < count * kLanes; ++i) colour[i] += fine[i];
    if (!layers_.alpha) return;
    SumWindows(AlphaZero(held, rows.fineAlpha, y), kAlphaEntryLanes, taps.alpha, alphaEnd, taps.fineAlphaWeights.data(),
               x, count, fine);
    for (int i = 0; i < count; ++i) alpha[i] += fine[i];
  }

  // The slice's own pixels: the kernel-weighted average of the slice and what lies behind it.
  void AverageRun(const Taps& taps, int x, int end, int y) const {
    float sums[kChunk * kLanes];
    float alphaSums[kChunk];
    Sum(notBehind_, taps, x, end, y, sums, alphaSums);
    float* colour = layers_.output.GetLine(y);
    float* alpha = layers_.alphaOutput ? layers_.alphaOutput->GetLine(y) : nullptr;
    for (int p = 0; p < end - x; ++p) {
      const float* s = sums + p * kLanes;
      const float count = s[kCount];
      for (int c = 0; c < 3; ++c) colour[3 * (x + p) + c] = count != 0.0f ? s[c] / count : 0.0f;
      if (alpha) alpha[x + p] = count != 0.0f ? alphaSums[p] / count : 0.0f;
    }
  }

  // Pixels behind the slice that its blurred border reaches: the slice's average colour around
  // each, weighed by the share of the window that the slice covers.
  void BlendBorderRun(const Taps& taps, int x, int end, int y) const {
    float inside[kChunk * kLanes];
    float insideAlpha[kChunk];
    float any[kChunk * kLanes];
    float anyAlpha[kChunk];
    Sum(own_, taps, x, end, y, inside, insideAlpha);
    Sum(notBehind_, taps, x, end, y, any, anyAlpha);
    float* colour = layers_.output.GetLine(y);
    float* alpha = layers_.alphaOutput ? layers_.alphaOutput->GetLine(y) : nullptr;
    for (int p = 0; p < end - x; ++p) {
      const float* in = inside + p * kLanes;
      const float insideWeight = in[kCount];
      const float total = any[p * kLanes + kCount];
      // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
      if (total == 0.0f) continue;
      const float share = insideWeight / total;
      auto blend = [&](float sum, float& pixel) {
        const float average = insideWeight != 0.0f ? sum / insideWeight : sum;
        pixel = average * share + pixel * (1.0f - share);
      };
      for (int c = 0; c < 3; ++c) blend(in[c], colour[3 * (x + p) + c]);
      if (alpha) blend(insideAlpha[p], alpha[x + p]);
    }
  }

  const FloatSliceLayers& layers_;
  const floatBitmap& depth_;
  const g8Bitmap& mask_;
  const SliceKernelRuns& runs_;
  const KernelRunFinder runFinder_;
  const int width_;
  const int height_;
  const int reach_;
  const int pad_;                     // entries before position 0 and after the row's last pixel
  const std::ptrdiff_t colourStride_;  // lanes from one colour prefix row to the next
  const std::ptrdiff_t alphaStride_;
  std::vector<KernelWindow> windows_;
  SliceWorkspace& workspace_;
  std::vector<uint8_t> rowWork_;
  std::vector<float>& colourScale_;  // by image row
  std::vector<float>& alphaScale_;
  HeldRows notBehind_;
  HeldRows own_;
  bool fine_ = false;  // whether the frame needs fine rows
};

}  // namespace

SliceResult CompositeFloatSlice(const DepthOfFieldSettings& settings, const FloatSliceLayers& layers,
                                const floatBitmap& depth, const g8Bitmap& mask, const BlurKernelTable& table,
                                const SliceKernelRuns& runs, SliceWorkspace& workspace, RenderProgress& progress) {
  return FloatSliceCompositor(settings, layers, depth, mask, table, runs, workspace).Run(progress);
}
