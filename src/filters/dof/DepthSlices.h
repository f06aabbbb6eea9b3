#pragma once
// The depth range of a frame cut into slices by blur amount, from the farthest to the nearest.
// Slice k + 1 starts (hi) where slice k ends (lo); the first ends at the background depth.

#include <memory>
#include <vector>

#include "platform/image/Bitmap.h"

class DepthOfFieldSettings;
class DepthTiles;

struct DepthSlice {
  double lo = 0.0;  // near bound
  double hi = 0.0;  // far bound
};

class DepthSliceList {
 public:
  virtual ~DepthSliceList() = default;

  int GetCount() const { return int(slices_.size()); }
  const DepthSlice& Get(int index) const { return slices_[size_t(index)]; }
  void Add(double lo, double hi) { slices_.push_back({lo, hi}); }

 private:
  std::vector<DepthSlice> slices_;
};

// Boundaries fall every `step` pixels of blur from the background toward the viewer; a slice
// closes once it holds more than a twentieth of the pixels, at the last step, or when the
// minimum depth is passed. The whole sharp field falls into one slice. Always at least one slice.
std::unique_ptr<DepthSliceList> BuildSlices(const DepthOfFieldSettings& settings, const depthBitmap& depth,
                                            double step);
// The same from the depth layer's summary, for a render that has one.
std::unique_ptr<DepthSliceList> BuildSlices(const DepthOfFieldSettings& settings, const DepthTiles& depth,
                                            double step);
