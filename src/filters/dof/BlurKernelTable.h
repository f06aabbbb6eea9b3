#pragma once
// The blur kernels of one depth slice: the diaph picture resampled to every diameter the slice
// needs, in steps, from the smallest to the largest. Each kernel's pixel values are weights.

#include <memory>
#include <vector>

#include "platform/image/Bitmap.h"

class BlurKernelTable {
 public:
  virtual ~BlurKernelTable() = default;

  // Kernels of diameters a, a + step, ... up to past b, with a at least 1 and every diameter
  // at most 50. One kernel when a equals b (or when b lies below a).
  static std::unique_ptr<BlurKernelTable> Build(double a, double b, double step, const g8Bitmap& diaph);

  int GetCount() const { return int(sizes_.size()); }
  double GetSize(int index) const { return sizes_[size_t(index)]; }
  const g8Bitmap& GetKernel(int index) const { return *kernels_[size_t(index)]; }

  // The first kernel whose diameter is at least d (d taken as 1 when |d| is below 1); the last
  // kernel when none is. Callers pass absolute diameters.
  int LookupIndex(double diameter) const;
  const g8Bitmap& Lookup(double diameter) const { return GetKernel(LookupIndex(diameter)); }
  // The kernel of the smallest diameter.
  const g8Bitmap& First() const { return GetKernel(0); }

 private:
  BlurKernelTable() = default;

  std::vector<double> sizes_;
  std::vector<std::unique_ptr<g8Bitmap>> kernels_;
};
