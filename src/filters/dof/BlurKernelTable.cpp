#include "filters/dof/BlurKernelTable.h"

#include <algorithm>
#include <cmath>

#include <tbb/parallel_for.h>

#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/ResampleDiaph.h"

namespace {

constexpr double kSmallestDiameter = 1.0;
constexpr double kLargestDiameter = DepthOfFieldSettings::kMaxBlurPixels;
// Finer steps cannot be told apart in kernels of whole pixels; the floor keeps a stray
// option value from asking for thousands of kernels.
constexpr double kFinestStep = 0.01;

}  // namespace

std::unique_ptr<BlurKernelTable> BlurKernelTable::Build(double a, double b, double step, const g8Bitmap& diaph) {
  if (!(a >= kSmallestDiameter)) a = kSmallestDiameter;
  if (!(b <= kLargestDiameter)) b = kLargestDiameter;
  if (!(step >= kFinestStep)) step = kFinestStep;
  int count = a == b ? 1 : int((b - a) / step) + 2;
  // b below a (every blur of the slice under one pixel) would leave no kernel at all.
  if (count < 1) count = 1;

  std::unique_ptr<BlurKernelTable> table(new BlurKernelTable);
  table->sizes_.resize(size_t(count));
  table->kernels_.resize(size_t(count));
  for (int i = 0; i < count; ++i) table->sizes_[size_t(i)] = std::min(double(i) * step + a, kLargestDiameter);
  // Each kernel is resampled on its own, so building them side by side changes nothing.
  tbb::parallel_for(0, count, [&](int i) {
    const float size = float(table->sizes_[size_t(i)]);
    table->kernels_[size_t(i)] = ResampleDiaph(diaph, size, size);
  });
  return table;
}

int BlurKernelTable::LookupIndex(double d) const {
  if (std::fabs(d) < kSmallestDiameter) d = kSmallestDiameter;
  // Sizes never decrease: the first one at least d is found by bisection.
  auto it = std::lower_bound(sizes_.begin(), sizes_.end(), d);
  if (it == sizes_.end()) return GetCount() - 1;
  return int(it - sizes_.begin());
}
