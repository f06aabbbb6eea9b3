#include "filters/dof/DepthSlices.h"

#include <cmath>

#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/DepthTiles.h"

namespace {

// Steps finer than this cannot change a render but would multiply the passes over the image.
constexpr double kFinestStep = 0.01;

}  // namespace

std::unique_ptr<DepthSliceList> BuildSlices(const DepthOfFieldSettings& settings, const depthBitmap& depth,
                                            double step) {
  return BuildSlices(settings, DepthTiles(depth), step);
}

std::unique_ptr<DepthSliceList> BuildSlices(const DepthOfFieldSettings& settings, const DepthTiles& depth,
                                            double step) {
  auto list = std::make_unique<DepthSliceList>();
  const double P = settings.EffectivePixelScale();
  const double m = depth.MinDepth();
  const double g = depth.BackgroundDepth();
  const int64_t minPixels = int64_t(depth.GetWidth()) * depth.GetHeight() / 20;
  if (!(step >= kFinestStep)) step = kFinestStep;
  const double s = step / P;
  const double maxBlur = DepthOfFieldSettings::kMaxBlurPixels;

  // Blur of the nearest and of the farthest depth, within the 50 pixel clamp. The other side
  // of each is clamped too: it only matters when the field lies beyond every depth, where it
  // keeps the step count bounded.
  double bN = settings.BlurAt(m);
  if (bN * P > maxBlur) bN = maxBlur / P;
  else if (bN * P < -maxBlur) bN = -(maxBlur / P);
  double bF = settings.BlurAt(g);
  if (bF * P < -maxBlur) bF = -(maxBlur / P);
  else if (bF * P > maxBlur) bF = maxBlur / P;

  const double steps = std::ceil((std::fabs(bF) + std::fabs(bN)) / s);
  const int n = steps > 0.0 ? int(steps) : 0;
  if (n <= 0) {
    list->Add(m, g);
    return list;
  }

  double b = bF;
  double prev = g;
  int64_t acc = 0;
  for (int i = 0; i < n; ++i) {
    b = b + s;
    double z = settings.DepthForBlur(b);
    // A law left undefined by a zero limit gives no boundary here.
    if (std::isnan(z)) z = prev;
    if (settings.FieldNear <= z && z <= settings.FieldFar) z = settings.FieldNear;
    acc += depth.CountBetween(float(z), float(prev));
    const bool last = i == n - 1;
    // Thin slices merge with the next step.
    if (!last && acc <= minPixels && z > m) continue;
    list->Add(last ? m : z, prev);
    prev = z;
    if (z < m) break;
    acc = 0;
  }
  return list;
}
