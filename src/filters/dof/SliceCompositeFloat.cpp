// The composite of a slice on float colour (linear light): the same masks, kernels, averages and
// border blend as the 8-bit composite, summed in double precision and without rounding, so that
// lights far brighter than white keep their energy when they spread into discs.

#include "filters/dof/SliceCompositeFloat.h"

#include <algorithm>
#include <array>
#include <vector>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/ParallelRows.h"
#include "filters/dof/ProgressBands.h"

namespace {

// An entry of a prefix row: the sums of red, green, blue, the pixel count and alpha over the
// pixels before it.
constexpr int kLanes = 5;
constexpr int kCount = 3;
constexpr int kAlpha = 4;

constexpr uint8_t kRowHasOwn = 1;
constexpr uint8_t kRowHasBorder = 2;

class FloatSliceCompositor {
 public:
  FloatSliceCompositor(const DepthOfFieldSettings& settings, const FloatSliceLayers& layers, const floatBitmap& depth,
                       const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs)
      : settings_(settings),
        layers_(layers),
        depth_(depth),
        mask_(mask),
        table_(table),
        runs_(runs),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        reach_(runs.MaxRadiusY()),
        stride_(size_t(width_ + 1) * kLanes) {
    for (int v = kMaskBorderBase; v < kMaskOwn; ++v) borderKernel_[size_t(v)] = table.LookupIndex(v - kMaskBorderBase);
  }

  SliceResult Run(RenderProgress& progress) {
    rowWork_.assign(size_t(height_), 0);
    ForRowsInParallel(0, height_, [&](int y) { rowWork_[size_t(y)] = RowWork(mask_.GetLine(y)); });
    const bool completed = ForEachProgressBand(height_, progress, [&](int first, int end) { CompositeBand(first, end); });
    return completed ? SliceResult::Done : SliceResult::Cancelled;
  }

 private:
  uint8_t RowWork(const uint8_t* mask) const {
    uint8_t found = 0;
    for (int x = 0; x < width_; ++x) {
      if (mask[x] == kMaskOwn) found |= kRowHasOwn;
      if (mask[x] >= kMaskBorderBase && mask[x] != kMaskOwn) found |= kRowHasBorder;
    }
    return found;
  }

  // The prefix rows that the band's windows reach are built, then its rows composited.
  void CompositeBand(int first, int end) {
    int firstWork = first;
    while (firstWork < end && rowWork_[size_t(firstWork)] == 0) ++firstWork;
    if (firstWork == end) return;
    int lastWork = end - 1;
    while (rowWork_[size_t(lastWork)] == 0) --lastWork;
    rowsFirst_ = std::max(0, firstWork - reach_);
    const int rowsEnd = std::min(height_, lastWork + 1 + reach_);
    const size_t values = size_t(rowsEnd - rowsFirst_) * stride_;
    notBehind_.resize(values);
    own_.resize(values);
    ForRowsInParallel(rowsFirst_, rowsEnd, [&](int y) { BuildRows(y); });
    ForRowsInParallel(firstWork, lastWork + 1, [&](int y) {
      if (rowWork_[size_t(y)] != 0) CompositeRow(y);
    });
  }

  // Row y's prefix sums over the slice and what lies behind it (mask not 0), and over the slice
  // alone (mask 255).
  void BuildRows(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* colour = layers_.colour.GetLine(y);
    const float* alpha = layers_.alpha ? layers_.alpha->GetLine(y) : nullptr;
    double* any = notBehind_.data() + size_t(y - rowsFirst_) * stride_;
    double* own = own_.data() + size_t(y - rowsFirst_) * stride_;
    double anySum[kLanes] = {};
    double ownSum[kLanes] = {};
    std::copy(anySum, anySum + kLanes, any);
    std::copy(ownSum, ownSum + kLanes, own);
    for (int x = 0; x < width_; ++x) {
      const double pixel[kLanes] = {colour[3 * x], colour[3 * x + 1], colour[3 * x + 2], 1.0,
                                    alpha ? double(alpha[x]) : 0.0};
      if (mask[x] != 0) {
        for (int l = 0; l < kLanes; ++l) anySum[l] += pixel[l];
      }
      if (mask[x] == kMaskOwn) {
        for (int l = 0; l < kLanes; ++l) ownSum[l] += pixel[l];
      }
      std::copy(anySum, anySum + kLanes, any + size_t(x + 1) * kLanes);
      std::copy(ownSum, ownSum + kLanes, own + size_t(x + 1) * kLanes);
    }
  }

  // The kernel-weighted sums of the prefix rows over the window of kernel `index` at (x, y);
  // pixels outside the image add nothing.
  void SumWindow(const std::vector<double>& rows, int index, int x, int y, double* sums) const {
    std::fill(sums, sums + kLanes, 0.0);
    const KernelRuns& kernel = runs_.Get(index);
    const int dyFirst = std::max(-kernel.RadiusY(), -y);
    const int dyLast = std::min(kernel.RadiusY(), height_ - 1 - y);
    for (int dy = dyFirst; dy <= dyLast; ++dy) {
      const double* row = rows.data() + size_t(y + dy - rowsFirst_) * stride_;
      for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r) {
        const int begin = std::clamp(x + r->dxBegin, 0, width_);
        const int end = std::clamp(x + r->dxEnd, 0, width_);
        if (end <= begin) continue;
        const double* b = row + size_t(begin) * kLanes;
        const double* e = row + size_t(end) * kLanes;
        const double weight = r->weight;
        for (int l = 0; l < kLanes; ++l) sums[l] += weight * (e[l] - b[l]);
      }
    }
  }

  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
    float* colour = layers_.output.GetLine(y);
    float* alpha = layers_.alphaOutput ? layers_.alphaOutput->GetLine(y) : nullptr;
    for (int x = 0; x < width_; ++x) {
      const uint8_t v = mask[x];
      if (v < kMaskBorderBase) continue;
      if (v == kMaskOwn) {
        Average(table_.LookupIndex(settings_.BlurPixels(depth[x], true)), x, y, colour + 3 * x,
                alpha ? alpha + x : nullptr);
      } else {
        BlendBorder(borderKernel_[v], x, y, colour + 3 * x, alpha ? alpha + x : nullptr);
      }
    }
  }

  // The slice's own pixels: the kernel-weighted average of the slice and what lies behind it.
  void Average(int kernel, int x, int y, float* colour, float* alpha) const {
    double sums[kLanes];
    SumWindow(notBehind_, kernel, x, y, sums);
    const double count = sums[kCount];
    for (int c = 0; c < 3; ++c) colour[c] = count != 0.0 ? float(sums[c] / count) : 0.0f;
    if (alpha) *alpha = count != 0.0 ? float(sums[kAlpha] / count) : 0.0f;
  }

  // Pixels behind the slice that its blurred border reaches: the slice's average colour around
  // each, weighed by the share of the window that the slice covers.
  void BlendBorder(int kernel, int x, int y, float* colour, float* alpha) const {
    double inside[kLanes];
    double any[kLanes];
    SumWindow(own_, kernel, x, y, inside);
    SumWindow(notBehind_, kernel, x, y, any);
    const double insideWeight = inside[kCount];
    const double total = any[kCount];
    // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
    if (total == 0.0) return;
    const double share = insideWeight / total;
    auto blend = [&](double sum, float& pixel) {
      const double average = insideWeight != 0.0 ? sum / insideWeight : sum;
      pixel = float(average * share + double(pixel) * (1.0 - share));
    };
    for (int c = 0; c < 3; ++c) blend(inside[c], colour[c]);
    if (alpha) blend(inside[kAlpha], *alpha);
  }

  const DepthOfFieldSettings& settings_;
  const FloatSliceLayers& layers_;
  const floatBitmap& depth_;
  const g8Bitmap& mask_;
  const BlurKernelTable& table_;
  const SliceKernelRuns& runs_;
  const int width_;
  const int height_;
  const int reach_;
  const size_t stride_;  // values from one prefix row to the next
  std::array<int, 256> borderKernel_{};
  std::vector<uint8_t> rowWork_;
  int rowsFirst_ = 0;  // the image row of the first prefix row held
  std::vector<double> notBehind_;
  std::vector<double> own_;
};

}  // namespace

SliceResult CompositeFloatSlice(const DepthOfFieldSettings& settings, const FloatSliceLayers& layers,
                                const floatBitmap& depth, const g8Bitmap& mask, const BlurKernelTable& table,
                                const SliceKernelRuns& runs, RenderProgress& progress) {
  return FloatSliceCompositor(settings, layers, depth, mask, table, runs).Run(progress);
}
