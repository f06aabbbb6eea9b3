#pragma once
// The Z Hue law: inside the zone a pixel keeps its colour; toward the points it blends into
// its tinted version (its own saturation and lightness with the chosen colour's hue), which it
// is fully beyond them. InvertZone tints the zone and gives the colour back toward the points.

#include <cstdint>

#include "filters/zone/HslPixel.h"
#include "filters/zone/ZHueSettings.h"
#include "filters/zone/ZoneOptions.h"

class ZHueLaw {
 public:
  ZHueLaw(const ZHueSettings& settings, const ZHueOptions& options)
      : hue_(HueOf(settings.Colour)),
        foregroundPoint_(settings.ForegroundPoint),
        backgroundPoint_(settings.BackgroundPoint),
        zoneNear_(settings.ZoneNear),
        zoneFar_(settings.ZoneFar),
        frontLength_(settings.FrontLength()),
        backLength_(settings.BackLength()),
        invert_(options.InvertZone) {}

  void operator()(const uint8_t* in, float d, uint8_t* out) const {
    if (zoneNear_ <= d && d <= zoneFar_) {
      if (!invert_) return CopyPixel(in, out);
      return WriteHslPixel(Tinted(in), out);
    }
    double channels[3];
    HslToChannels(Tinted(in), channels);
    float tinted[3];
    for (int i = 0; i < 3; ++i) tinted[i] = float(channels[i] * 255.0);

    // w is the share of the input colour: 1 at the zone edge and 0 at the point, or the
    // reverse when the zone is the tinted part.
    double w;
    if (d < zoneNear_) {
      if (d < foregroundPoint_) return Beyond(in, tinted, out);
      w = invert_ ? (zoneNear_ - double(d)) / frontLength_ : (double(d) - foregroundPoint_) / frontLength_;
    } else {
      if (d > backgroundPoint_) return Beyond(in, tinted, out);
      w = invert_ ? (double(d) - zoneFar_) / backLength_ : (backgroundPoint_ - double(d)) / backLength_;
    }
    for (int i = 0; i < 3; ++i) out[i] = TruncateToByte(in[i] * w + (1.0 - w) * tinted[i]);
  }

  // The same on display values in 0..1 (RowPass.h), without rounding.
  void ApplyFloat(const float* in, float d, float* out) const {
    const bool inZone = zoneNear_ <= d && d <= zoneFar_;
    if (inZone && !invert_) {
      out[0] = in[0], out[1] = in[1], out[2] = in[2];
      return;
    }
    Hsl c = ChannelsToHsl(in);
    c.h = hue_;
    float tinted[3];
    WriteHslChannels(c, tinted);
    double w = 0.0;  // the share of the input colour
    if (inZone) {
      w = 0.0;
    } else if (d < zoneNear_) {
      w = d < foregroundPoint_ ? (invert_ ? 1.0 : 0.0)
                               : invert_ ? (zoneNear_ - double(d)) / frontLength_
                                         : (double(d) - foregroundPoint_) / frontLength_;
    } else {
      w = d > backgroundPoint_ ? (invert_ ? 1.0 : 0.0)
                               : invert_ ? (double(d) - zoneFar_) / backLength_
                                         : (backgroundPoint_ - double(d)) / backLength_;
    }
    for (int i = 0; i < 3; ++i) out[i] = float(in[i] * w + (1.0 - w) * tinted[i]);
  }

  // The constants, for the law's vector form (ZHueRows.cpp), which evaluates the same
  // expressions.
  double Hue() const { return hue_; }
  float ForegroundPoint() const { return foregroundPoint_; }
  float BackgroundPoint() const { return backgroundPoint_; }
  float ZoneNear() const { return zoneNear_; }
  float ZoneFar() const { return zoneFar_; }
  double FrontLength() const { return frontLength_; }
  double BackLength() const { return backLength_; }
  bool Inverted() const { return invert_; }

 private:
  // The hue of a colour, from its bytes as they are: the hue does not depend on a common scale
  // of the channels, so light and dark colours of one hue tint alike.
  static double HueOf(const CRGBColor& colour) {
    double h, s, l;
    ConvertRGBToHSL(colour.Red(), colour.Green(), colour.Blue(), h, s, l);
    return h;
  }

  Hsl Tinted(const uint8_t* in) const {
    Hsl c = PixelToHsl(in);
    c.h = hue_;
    return c;
  }

  // Beyond a point the pixel is fully tinted, or untouched when the zone is the tinted part.
  void Beyond(const uint8_t* in, const float tinted[3], uint8_t* out) const {
    if (invert_) return CopyPixel(in, out);
    for (int i = 0; i < 3; ++i) out[i] = TruncateToByte(tinted[i]);
  }

  double hue_;
  float foregroundPoint_;
  float backgroundPoint_;
  float zoneNear_;
  float zoneFar_;
  double frontLength_;
  double backLength_;
  bool invert_;
};
