#include "filters/dof/KernelRuns.h"

#include <algorithm>

#include <tbb/parallel_for.h>

#include "filters/dof/BlurKernelTable.h"
#include "platform/image/Bitmap.h"

namespace {

// Splits a kernel row into intervals of constant weight whose sum gives the row back. Rising
// steps open intervals, falling steps close the most recent ones (splitting one when the fall
// is smaller), so a row that rises to a plateau and falls back symmetrically, as a disc's rows
// do, takes one interval per step instead of one per run.
void AppendRowIntervals(const uint8_t* row, int width, int centre, std::vector<KernelRun>& out) {
  struct Open {
    int begin;
    uint32_t weight;
  };
  std::vector<Open> open;
  uint32_t previous = 0;
  for (int x = 0; x <= width; ++x) {
    const uint32_t v = x < width ? row[x] : 0;
    if (v > previous) {
      open.push_back({x, v - previous});
    } else if (v < previous) {
      uint32_t fall = previous - v;
      while (fall > 0) {
        Open& top = open.back();
        const uint32_t closed = std::min(top.weight, fall);
        out.push_back({top.begin - centre, x - centre, closed});
        top.weight -= closed;
        fall -= closed;
        if (top.weight == 0) open.pop_back();
      }
    }
    previous = v;
  }
}

}  // namespace

KernelRuns::KernelRuns(const g8Bitmap& kernel)
    : rx_((kernel.GetWidth() - 1) / 2), ry_((kernel.GetHeight() - 1) / 2) {
  const int width = kernel.GetWidth();
  weightRowStart_.push_back(0);
  spanRowStart_.push_back(0);
  for (int y = 0; y < kernel.GetHeight(); ++y) {
    const uint8_t* row = kernel.GetLine(y);
    AppendRowIntervals(row, width, rx_, weightRuns_);
    for (int x = 0; x < width;) {
      if (row[x] == 0) {
        ++x;
        continue;
      }
      int spanEnd = x;
      while (spanEnd < width && row[spanEnd] != 0) ++spanEnd;
      spans_.push_back({x - rx_, spanEnd - rx_, 0});
      x = spanEnd;
    }
    weightRowStart_.push_back(weightRuns_.size());
    spanRowStart_.push_back(spans_.size());
  }
}

SliceKernelRuns::SliceKernelRuns(const BlurKernelTable& table) : kernels_(size_t(table.GetCount())) {
  // Each kernel's runs depend on that kernel only.
  tbb::parallel_for(0, table.GetCount(), [&](int i) { kernels_[size_t(i)] = KernelRuns(table.GetKernel(i)); });
  for (const KernelRuns& k : kernels_) {
    maxRx_ = std::max(maxRx_, k.RadiusX());
    maxRy_ = std::max(maxRy_, k.RadiusY());
  }
}
