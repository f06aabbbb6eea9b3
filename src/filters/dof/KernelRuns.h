#pragma once
// The kernels of a slice as lists of non-zero taps, row by row, which is what the passes walk:
// intervals of constant weight that add up to the row (the blur sums them through row prefix
// sums) and spans of any non-zero weight (the mask stamps them).

#include <cstddef>
#include <cstdint>
#include <vector>

class BlurKernelTable;
class g8Bitmap;

// Offsets [dxBegin, dxEnd) from the centre column.
struct KernelRun {
  int dxBegin = 0;
  int dxEnd = 0;
  uint32_t weight = 0;
};

class KernelRuns {
 public:
  KernelRuns() = default;
  explicit KernelRuns(const g8Bitmap& kernel);

  int RadiusX() const { return rx_; }
  int RadiusY() const { return ry_; }
  // Row dy (from -RadiusY to RadiusY): intervals of positive weight, possibly nested, whose
  // weights add up to the kernel's values; each is at most as wide as the kernel.
  const KernelRun* WeightRunsBegin(int dy) const { return weightRuns_.data() + weightRowStart_[size_t(dy + ry_)]; }
  const KernelRun* WeightRunsEnd(int dy) const { return weightRuns_.data() + weightRowStart_[size_t(dy + ry_ + 1)]; }
  // Row dy: maximal spans of non-zero weight (their weight field is unused).
  const KernelRun* SpansBegin(int dy) const { return spans_.data() + spanRowStart_[size_t(dy + ry_)]; }
  const KernelRun* SpansEnd(int dy) const { return spans_.data() + spanRowStart_[size_t(dy + ry_ + 1)]; }

 private:
  int rx_ = 0;
  int ry_ = 0;
  std::vector<KernelRun> weightRuns_;
  std::vector<size_t> weightRowStart_;
  std::vector<KernelRun> spans_;
  std::vector<size_t> spanRowStart_;
};

// Every kernel of a table, by index (built side by side on all cores).
class SliceKernelRuns {
 public:
  explicit SliceKernelRuns(const BlurKernelTable& table);

  const KernelRuns& Get(int index) const { return kernels_[size_t(index)]; }
  int MaxRadiusX() const { return maxRx_; }
  int MaxRadiusY() const { return maxRy_; }

 private:
  std::vector<KernelRuns> kernels_;
  int maxRx_ = 0;
  int maxRy_ = 0;
};
