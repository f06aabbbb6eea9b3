#include "filters/dof/KernelRuns.h"

#include <algorithm>

#include "filters/dof/BlurKernelTable.h"
#include "platform/image/Bitmap.h"

KernelRuns::KernelRuns(const g8Bitmap& kernel)
    : rx_((kernel.GetWidth() - 1) / 2), ry_((kernel.GetHeight() - 1) / 2) {
  const int width = kernel.GetWidth();
  weightRowStart_.push_back(0);
  spanRowStart_.push_back(0);
  for (int y = 0; y < kernel.GetHeight(); ++y) {
    const uint8_t* row = kernel.GetLine(y);
    for (int x = 0; x < width;) {
      if (row[x] == 0) {
        ++x;
        continue;
      }
      int spanEnd = x;
      while (spanEnd < width && row[spanEnd] != 0) ++spanEnd;
      spans_.push_back({x - rx_, spanEnd - rx_, 0});
      while (x < spanEnd) {
        int runEnd = x;
        while (runEnd < spanEnd && row[runEnd] == row[x]) ++runEnd;
        weightRuns_.push_back({x - rx_, runEnd - rx_, row[x]});
        x = runEnd;
      }
    }
    weightRowStart_.push_back(weightRuns_.size());
    spanRowStart_.push_back(spans_.size());
  }
}

SliceKernelRuns::SliceKernelRuns(const BlurKernelTable& table) {
  kernels_.reserve(size_t(table.GetCount()));
  for (int i = 0; i < table.GetCount(); ++i) {
    kernels_.emplace_back(table.GetKernel(i));
    maxRx_ = std::max(maxRx_, kernels_.back().RadiusX());
    maxRy_ = std::max(maxRy_, kernels_.back().RadiusY());
  }
}
