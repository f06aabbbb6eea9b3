#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <cmath>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/KernelRuns.h"

SliceResult ProcessSlice(const DepthOfFieldSettings& settings, double kernelStep, const SliceLayers& layers,
                         const depthBitmap& depth, const DepthTiles& tiles, const g8Bitmap& diaph, double lo,
                         double hi, SliceWorkspace& workspace, RenderProgress& progress) {
  const double rh = settings.BlurPixels(hi, false);
  const double rl = settings.BlurPixels(lo, false);
  double mn = std::min(rh, rl);
  double mx = std::max(rh, rl);
  if (mn < 0.0 && mx > 0.0) {
    // The slice holds the sharp field: kernels from one pixel up to its largest blur.
    mx = std::max({std::fabs(mn), mx, 1.0});
    mn = 1.0;
  }
  const double a = std::min(std::fabs(mn), std::fabs(mx));
  const double b = std::max(std::fabs(mn), std::fabs(mx));
  const auto table = BlurKernelTable::Build(a, b, kernelStep, diaph);
  if (!workspace.mask) workspace.mask = std::make_unique<g8Bitmap>(depth.GetWidth(), depth.GetHeight());
  const SliceKernelRuns runs(*table);
  if (!BuildSliceMask(settings, depth, tiles, *table, runs, lo, hi, *workspace.mask, progress)) {
    return SliceResult::Cancelled;
  }
  return CompositeSlice(settings, layers, depth, *workspace.mask, *table, runs, workspace, progress);
}
