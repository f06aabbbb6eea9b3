#pragma once
// The atmospheric perspective law: beyond the start depth (in front of it with InForeground)
// the colour is added to each pixel with an intensity that follows t^Density from
// NearIntensity at the start depth to FarIntensity at the far end of the ramp, t running from
// 0 to 1 along the ramp.

#include <cmath>
#include <cstdint>

#include "filters/RowPass.h"
#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"

class AtmosphereLaw {
 public:
  // minDepth and maxDepth: the depth range of the image's objects.
  AtmosphereLaw(const AtmosphericPerspectiveSettings& settings, bool inForeground, float minDepth, float maxDepth)
      : colour_{double(settings.Colour.Red()), double(settings.Colour.Green()), double(settings.Colour.Blue())},
        startDepth_(settings.StartDepth),
        rampLength_(inForeground ? settings.StartDepth - minDepth : maxDepth - settings.StartDepth),
        density_(settings.Density),
        nearIntensity_(settings.NearIntensity),
        intensityRange_(double(settings.FarIntensity) - settings.NearIntensity),
        inForeground_(inForeground) {}

  void operator()(const uint8_t* in, float d, uint8_t* out) const {
    const float t = RampPosition(d);
    // A ramp of length 0 leaves the pixels at the start depth without a position (0 / 0);
    // a negative position only comes from a start depth outside the depth range, which
    // affects no pixel.
    if (!Affects(d) || !(t >= 0.0f)) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
      return;
    }
    AddColour(in, Intensity(t), out);
  }

  // The same on display values (RowPass.h), without rounding or clipping: the colour, as a
  // display value, is added.
  void ApplyFloat(const float* in, float d, float* out) const {
    const float t = RampPosition(d);
    const bool affected = Affects(d) && t >= 0.0f;
    const double intensity = affected ? Intensity(t) : 0.0;
    constexpr double kByteToDisplay = 1.0 / 255.0;
    for (int i = 0; i < 3; ++i) {
      const double added = colour_[i] * intensity * kByteToDisplay;
      out[i] = float(in[i] + (added > 0.0 ? added : 0.0));
    }
  }

  bool Affects(float d) const { return inForeground_ ? d <= startDepth_ : d >= startDepth_; }
  // The position along the ramp: 0 at the start depth.
  float RampPosition(float d) const {
    const float x = inForeground_ ? startDepth_ - d : d - startDepth_;
    return x / rampLength_;
  }

  // t^Density from NearIntensity to FarIntensity. With equal intensities the curve is flat,
  // which also holds for background pixels far past the ramp (t infinite).
  double Intensity(float t) const {
    if (intensityRange_ == 0.0) return nearIntensity_;
    return std::pow(double(t), density_) * intensityRange_ + nearIntensity_;
  }

  void AddColour(const uint8_t* in, double intensity, uint8_t* out) const {
    for (int i = 0; i < 3; ++i) out[i] = TruncateToByte(in[i] + AddedChannel(i, intensity));
  }
  // What a channel of the colour adds at an intensity: truncated, and never negative (a colour
  // is only ever added).
  double AddedChannel(int i, double intensity) const {
    const double added = std::trunc(colour_[i] * intensity);
    return added > 0.0 ? added : 0.0;
  }

  // The constants, for the law's vector form (AtmosphereRows.cpp).
  float StartDepth() const { return startDepth_; }
  float RampLength() const { return rampLength_; }
  bool InForeground() const { return inForeground_; }
  double Colour(int i) const { return colour_[i]; }
  double Density() const { return density_; }
  double NearIntensity() const { return nearIntensity_; }
  double IntensityRange() const { return intensityRange_; }

 private:
  double colour_[3];
  float startDepth_;
  float rampLength_;
  double density_;
  double nearIntensity_;
  double intensityRange_;
  bool inForeground_;
};
