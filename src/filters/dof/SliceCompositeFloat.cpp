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
        pad_(runs.MaxRadiusX() + 1),
        stride_(size_t(width_ + 2 * pad_ + 1) * kLanes) {
    for (int v = kMaskBorderBase; v < kMaskOwn; ++v) borderKernel_[size_t(v)] = table.LookupIndex(v - kMaskBorderBase);
  }

  SliceResult Run(RenderProgress& progress) {
    rowWork_.assign(size_t(height_), 0);
    ForRowsInParallel(0, height_, [&](int y) { rowWork_[size_t(y)] = RowWork(mask_.GetLine(y)); });
    const bool completed = ForEachProgressBand(height_, progress, [&](int first, int end) { CompositeBand(first, end); });
    return completed ? SliceResult::Done : SliceResult::Cancelled;
  }

 private:
  // Pixels whose windows are summed together: neighbours that take one kernel.
  static constexpr int kChunk = 64;

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

  // The entry of position 0 of row y's prefix sums: entry i holds the sums over pixels [0, i),
  // for i from -pad to width + pad (0 before the row, the row's total after it).
  const double* EntryZero(const std::vector<double>& rows, int y) const {
    return rows.data() + size_t(y - rowsFirst_) * stride_ + size_t(pad_) * kLanes;
  }

  // Row y's prefix sums over the slice and what lies behind it (mask not 0), and over the slice
  // alone (mask 255).
  void BuildRows(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* colour = layers_.colour.GetLine(y);
    const float* alpha = layers_.alpha ? layers_.alpha->GetLine(y) : nullptr;
    double* any = notBehind_.data() + size_t(y - rowsFirst_) * stride_;
    double* own = own_.data() + size_t(y - rowsFirst_) * stride_;
    std::fill(any, any + size_t(pad_ + 1) * kLanes, 0.0);
    std::fill(own, own + size_t(pad_ + 1) * kLanes, 0.0);
    double anySum[kLanes] = {};
    double ownSum[kLanes] = {};
    double* anyEntry = any + size_t(pad_ + 1) * kLanes;
    double* ownEntry = own + size_t(pad_ + 1) * kLanes;
    for (int x = 0; x < width_; ++x, anyEntry += kLanes, ownEntry += kLanes) {
      const double pixel[kLanes] = {colour[3 * x], colour[3 * x + 1], colour[3 * x + 2], 1.0,
                                    alpha ? double(alpha[x]) : 0.0};
      if (mask[x] != 0) {
        for (int l = 0; l < kLanes; ++l) anySum[l] += pixel[l];
      }
      if (mask[x] == kMaskOwn) {
        for (int l = 0; l < kLanes; ++l) ownSum[l] += pixel[l];
      }
      std::copy(anySum, anySum + kLanes, anyEntry);
      std::copy(ownSum, ownSum + kLanes, ownEntry);
    }
    for (int e = 0; e < pad_; ++e, anyEntry += kLanes, ownEntry += kLanes) {
      std::copy(anySum, anySum + kLanes, anyEntry);
      std::copy(ownSum, ownSum + kLanes, ownEntry);
    }
  }

  // The kernel-weighted sums over the windows of kernel `index` at pixels [x, end) of row y, in
  // `sums` (kLanes a pixel); pixels outside the image add nothing. The entries of neighbouring
  // pixels lie side by side, so a tap adds one contiguous stretch of values.
  void SumWindows(const std::vector<double>& rows, int index, int x, int end, int y, double* sums) const {
    const int values = (end - x) * kLanes;
    std::fill(sums, sums + values, 0.0);
    const KernelRuns& kernel = runs_.Get(index);
    const int dyFirst = std::max(-kernel.RadiusY(), -y);
    const int dyLast = std::min(kernel.RadiusY(), height_ - 1 - y);
    for (int dy = dyFirst; dy <= dyLast; ++dy) {
      const double* zero = EntryZero(rows, y + dy) + std::ptrdiff_t(x) * kLanes;
      for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r) {
        const double* b = zero + std::ptrdiff_t(r->dxBegin) * kLanes;
        const double* e = zero + std::ptrdiff_t(r->dxEnd) * kLanes;
        const double weight = r->weight;
        for (int j = 0; j < values; ++j) sums[j] += weight * (e[j] - b[j]);
      }
    }
  }

  // The row's pixels to render come in runs that take one kernel, as in the 8-bit composite.
  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
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
      if (v == kMaskOwn) {
        AverageRun(kernel, x, end, y);
      } else {
        BlendBorderRun(kernel, x, end, y);
      }
      x = end;
    }
  }

  // The slice's own pixels: the kernel-weighted average of the slice and what lies behind it.
  void AverageRun(int kernel, int x, int end, int y) const {
    double sums[kChunk * kLanes];
    SumWindows(notBehind_, kernel, x, end, y, sums);
    float* colour = layers_.output.GetLine(y);
    float* alpha = layers_.alphaOutput ? layers_.alphaOutput->GetLine(y) : nullptr;
    for (int p = 0; p < end - x; ++p) {
      const double* s = sums + p * kLanes;
      const double count = s[kCount];
      for (int c = 0; c < 3; ++c) colour[3 * (x + p) + c] = count != 0.0 ? float(s[c] / count) : 0.0f;
      if (alpha) alpha[x + p] = count != 0.0 ? float(s[kAlpha] / count) : 0.0f;
    }
  }

  // Pixels behind the slice that its blurred border reaches: the slice's average colour around
  // each, weighed by the share of the window that the slice covers.
  void BlendBorderRun(int kernel, int x, int end, int y) const {
    double inside[kChunk * kLanes];
    double any[kChunk * kLanes];
    SumWindows(own_, kernel, x, end, y, inside);
    SumWindows(notBehind_, kernel, x, end, y, any);
    float* colour = layers_.output.GetLine(y);
    float* alpha = layers_.alphaOutput ? layers_.alphaOutput->GetLine(y) : nullptr;
    for (int p = 0; p < end - x; ++p) {
      const double* in = inside + p * kLanes;
      const double insideWeight = in[kCount];
      const double total = any[p * kLanes + kCount];
      // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
      if (total == 0.0) continue;
      const double share = insideWeight / total;
      auto blend = [&](double sum, float& pixel) {
        const double average = insideWeight != 0.0 ? sum / insideWeight : sum;
        pixel = float(average * share + double(pixel) * (1.0 - share));
      };
      for (int c = 0; c < 3; ++c) blend(in[c], colour[3 * (x + p) + c]);
      if (alpha) blend(in[kAlpha], alpha[x + p]);
    }
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
  const int pad_;        // entries before position 0 and after the row's last pixel
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
