#pragma once
// The law shared by Z Saturation and Z Luminance: one HSL component (saturation or lightness)
// is kept inside the constant zone and ramps from the zone edges to the foreground and
// background points. By default it falls to 0 at the points; a raise option makes it grow
// instead (to twice its value at the point); InvertZone takes it away in the zone and gives it
// back toward the points.

#include "filters/zone/HslPixel.h"
#include "filters/zone/ZoneOptions.h"
#include "filters/zone/ZoneSettings.h"

// The component the law ramps.
enum class HslComponent { Saturation, Lightness };

class ZoneRampLaw {
 public:
  ZoneRampLaw(const ZoneSettings& settings, const ZoneOptions& options)
      : foregroundPoint_(settings.ForegroundPoint),
        backgroundPoint_(settings.BackgroundPoint),
        zoneNear_(settings.ZoneNear),
        zoneFar_(settings.ZoneFar),
        frontLength_(settings.FrontLength()),
        backLength_(settings.BackLength()),
        options_(options) {}

  // One pixel: its bytes, its depth, the bytes it becomes.
  template <HslComponent kComponent>
  void Apply(const uint8_t* in, float depth, uint8_t* out) const {
    if (KeepsPixel(depth)) return CopyPixel(in, out);
    Hsl c = PixelToHsl(in);
    double& value = kComponent == HslComponent::Saturation ? c.s : c.l;
    value = RampedValue(depth, value);
    WriteHslPixel(c, out);
  }

  // The same on display values in 0..1 (RowPass.h), without rounding.
  template <HslComponent kComponent>
  void ApplyFloat(const float* in, float depth, float* out) const {
    if (KeepsPixel(depth)) {
      out[0] = in[0], out[1] = in[1], out[2] = in[2];
      return;
    }
    Hsl c = ChannelsToHsl(in);
    double& value = kComponent == HslComponent::Saturation ? c.s : c.l;
    value = RampedValue(depth, value);
    WriteHslChannels(c, out);
  }

  // True when the pixel's bytes pass unchanged (inside the zone, not inverted).
  bool KeepsPixel(float depth) const { return !options_.InvertZone && IsInZone(depth); }

  // The component's new value at this depth, held to 0..1 (0 when the ramp gives no number).
  float RampedValue(float depth, double value) const {
    double ramped;
    if (IsInZone(depth)) {
      ramped = 0.0;  // only reached with InvertZone
    } else if (depth < zoneNear_) {
      ramped = FrontValue(depth, value);
    } else {
      ramped = BackValue(depth, value);
    }
    const float v = float(ramped);
    if (!(v >= 0.0f)) return 0.0f;
    return v > 1.0f ? 1.0f : v;
  }

  // The constants, for the law's vector form (ZoneRampRows.cpp), which evaluates the same
  // expressions.
  double ForegroundPoint() const { return foregroundPoint_; }
  double BackgroundPoint() const { return backgroundPoint_; }
  float ZoneNear() const { return zoneNear_; }
  float ZoneFar() const { return zoneFar_; }
  double FrontLength() const { return frontLength_; }
  double BackLength() const { return backLength_; }
  const ZoneOptions& Options() const { return options_; }

 private:
  // A reversed zone (ZoneNear > ZoneFar) holds no depth.
  bool IsInZone(float d) const { return zoneNear_ <= d && d <= zoneFar_; }

  double FrontValue(double d, double v) const {
    if (!options_.InvertZone) {
      if (options_.RaiseForeground) return (zoneNear_ - d) * v / frontLength_ + v;
      return (d - foregroundPoint_) / frontLength_ * v;
    }
    const double t = (zoneNear_ - d) / frontLength_;
    return (t < 1.0 || options_.RaiseForeground) ? t * v : v;
  }

  double BackValue(double d, double v) const {
    if (!options_.InvertZone) {
      if (options_.RaiseBackground) return (d - zoneFar_) * v / backLength_ + v;
      return (backgroundPoint_ - d) / backLength_ * v;
    }
    const double t = (d - zoneFar_) / backLength_;
    return (t < 1.0 || options_.RaiseBackground) ? t * v : v;
  }

  // Read once per image; the ramps are evaluated in double from the float settings.
  double foregroundPoint_;
  double backgroundPoint_;
  float zoneNear_;
  float zoneFar_;
  double frontLength_;
  double backLength_;
  ZoneOptions options_;
};
