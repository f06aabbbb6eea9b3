#pragma once
// What the composites of a slice share, whatever the pixel type: which rows hold pixels to
// render, and how a row's pixels to render fall into runs that take one kernel.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/SlicePasses.h"

// What a row of the mask holds: the slice's own pixels, border pixels, both or neither.
constexpr uint8_t kRowHasOwn = 1;
constexpr uint8_t kRowHasBorder = 2;

// The row work of every row of the mask, found over all cores.
std::vector<uint8_t> FindSliceRowWork(const g8Bitmap& mask);

// Runs of neighbouring pixels to render that take one kernel: the slice's own pixels of one
// depth (neighbours mostly share it), or border pixels stamped with one value; at most
// `longest` pixels a run.
class KernelRunFinder {
 public:
  KernelRunFinder(const DepthOfFieldSettings& settings, const BlurKernelTable& table) : settings_(settings), table_(table) {
    // A border value records the truncated diameter of the border pixel that stamped it.
    for (int v = kMaskBorderBase; v < kMaskOwn; ++v) borderKernel_[size_t(v)] = table.LookupIndex(v - kMaskBorderBase);
  }

  // Calls run(kernel, first, end, own) for each run of the row, left to right.
  template <typename Run>
  void ForEachRun(const uint8_t* mask, const float* depth, int width, int longest, Run&& run) const {
    float lastDepth = 0.0f;
    int lastKernel = -1;
    auto ownKernel = [&](int x) {
      if (lastKernel < 0 || !(depth[x] == lastDepth)) {
        lastKernel = table_.LookupIndex(settings_.BlurPixels(depth[x], true));
        lastDepth = depth[x];
      }
      return lastKernel;
    };
    for (int x = 0; x < width;) {
      const uint8_t v = mask[x];
      if (v < kMaskBorderBase) {
        ++x;
        continue;
      }
      const bool own = v == kMaskOwn;
      const int kernel = own ? ownKernel(x) : borderKernel_[v];
      int end = x + 1;
      while (end < width && end - x < longest && mask[end] == v && (!own || ownKernel(end) == kernel)) ++end;
      run(kernel, x, end, own);
      x = end;
    }
  }

 private:
  const DepthOfFieldSettings& settings_;
  const BlurKernelTable& table_;
  std::array<int, 256> borderKernel_{};  // kernel index by mask value, for 128 to 254
};

// Where a kernel's taps start row by row, in one list of all its rows' taps: the rows of a
// window clipped at the top or bottom of the image are then a contiguous part of the list.
class KernelTapRows {
 public:
  KernelTapRows() = default;
  // Calls add(run, dy) for each interval of the kernel, row by row from the top.
  template <typename Add>
  KernelTapRows(const KernelRuns& kernel, Add&& add) : radiusY_(kernel.RadiusY()) {
    size_t taps = 0;
    for (int dy = -radiusY_; dy <= radiusY_; ++dy) {
      rowStart_.push_back(taps);
      for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r, ++taps) add(*r, dy);
    }
    rowStart_.push_back(taps);
  }

  // The taps [first, last) of the window centred on row y of an image `height` rows high.
  struct Span {
    size_t first;
    size_t last;
  };
  Span At(int y, int height) const {
    const int dyFirst = std::max(-radiusY_, -y);
    const int dyLast = std::min(radiusY_, height - 1 - y);
    return {rowStart_[size_t(dyFirst + radiusY_)], rowStart_[size_t(dyLast + radiusY_ + 1)]};
  }

  // Calls each(dy, taps) for the rows of that window from the top: a row's offset from the
  // centre and how many taps it holds.
  template <typename Each>
  void ForEachRow(int y, int height, Each&& each) const {
    for (int dy = std::max(-radiusY_, -y); dy <= std::min(radiusY_, height - 1 - y); ++dy) {
      each(dy, rowStart_[size_t(dy + radiusY_ + 1)] - rowStart_[size_t(dy + radiusY_)]);
    }
  }

 private:
  int radiusY_ = 0;
  std::vector<size_t> rowStart_;  // taps of row dy: [rowStart_[dy + radiusY_], rowStart_[dy + radiusY_ + 1])
};
