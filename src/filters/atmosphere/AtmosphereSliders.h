#pragma once
// Conversions between the atmospheric perspective settings and the panel's slider positions.
// Kept apart from the panel so that they are testable without a display.

constexpr int kFirstDensityPosition = 1;
constexpr int kLastDensityPosition = 100;

// Density slider, positions 1 to 100: the left half covers densities 10 down to about 1.09
// in steps of 2/11, the right half 1.0 down to 0.02 in steps of 0.02.
float DensityFromSliderPosition(int position);
int SliderPositionFromDensity(float density);

// Intensity sliders, positions 0 to 100 in hundredths.
float IntensityFromSliderPosition(int position);
int SliderPositionFromIntensity(float intensity);
