#include "filters/atmosphere/AtmosphereSliders.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kLastIntensityPosition = 100;
// Intensities read from the sliders are the float nearest a hundredth, which can lie just
// below it: without this margin a value would show one position lower than the one that set
// it, and the next write from the panel would lower the setting.
constexpr double kIntensityMargin = 1e-3;

// Positions of the sliders themselves; also keeps values from other sources (or not numbers)
// on the slider.
int HoldToRange(double position, int first, int last) {
  if (!(position >= first)) return first;
  return position > last ? last : int(position);
}
}  // namespace

// Single precision throughout: that keeps every position's density showing that same position.
float DensityFromSliderPosition(int position) {
  const int v = 101 - position;
  if (v > 50) return float(v - 45) * 0.18181819f;
  return float(v) * 0.02f;
}

int SliderPositionFromDensity(float density) {
  const float v = density <= 1.0f ? 50.0f * density : 5.5f * density + 45.0f;
  return HoldToRange(std::trunc(101.0f - v), kFirstDensityPosition, kLastDensityPosition);
}

float IntensityFromSliderPosition(int position) { return float(position * 0.01); }

int SliderPositionFromIntensity(float intensity) {
  return HoldToRange(std::trunc(double(intensity) * 100.0 + kIntensityMargin), 0, kLastIntensityPosition);
}
