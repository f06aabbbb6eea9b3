#include "platform/framework/Colour.h"

#include <algorithm>
#include <cmath>

namespace {

// A value brought into 0..1; NaN becomes 0 so that no caller truncates a NaN into a byte.
double Unit(double v) {
  if (!(v > 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

// The fraction of a hue: any turn count maps into [0, 1).
double WrapHue(double h) {
  if (!std::isfinite(h)) return 0.0;
  h -= std::floor(h);
  return h >= 1.0 ? 0.0 : h;
}

double HueToChannel(double p, double q, double t) {
  t = WrapHue(t);
  if (t < 1.0 / 6.0) return p + (q - p) * 6.0 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3.0) return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
  return p;
}

uint8_t ClampedByte(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 255.0) return 255;
  return uint8_t(v);  // truncation toward zero
}

}  // namespace

void ConvertRGBToHSL(double r, double g, double b, double& h, double& s, double& l) {
  r = Finite(r);
  g = Finite(g);
  b = Finite(b);
  const double high = std::max({r, g, b});
  const double low = std::min({r, g, b});
  const double range = high - low;
  l = (high + low) / 2.0;
  if (!(range > 0.0)) {
    h = 0.0;
    s = 0.0;
    return;
  }

  // The hue uses only ratios of channel differences, so it is the same whatever common
  // scale the channels come in (0..1, or raw bytes 0..255). Saturation and lightness only
  // mean something for channels in 0..1.
  double sixths;
  if (high == r)
    sixths = (g - b) / range;
  else if (high == g)
    sixths = (b - r) / range + 2.0;
  else
    sixths = (r - g) / range + 4.0;
  h = WrapHue(sixths / 6.0);

  const double spread = l <= 0.5 ? high + low : 2.0 - high - low;
  s = spread > 0.0 ? Unit(range / spread) : 1.0;
}

void ConvertHSLToRGB(double h, double s, double l, double& r, double& g, double& b) {
  h = WrapHue(h);
  s = Unit(s);
  l = Unit(l);
  if (s == 0.0) {
    r = g = b = l;
    return;
  }
  const double q = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
  const double p = 2.0 * l - q;
  r = HueToChannel(p, q, h + 1.0 / 3.0);
  g = HueToChannel(p, q, h);
  b = HueToChannel(p, q, h - 1.0 / 3.0);
}

CRGBColor CRGBColor::FromValue(uint32_t value) {
  return CRGBColor(uint8_t(value & 0xFF), uint8_t((value >> 8) & 0xFF), uint8_t((value >> 16) & 0xFF),
                   uint8_t((value >> 24) & 0xFF));
}

uint32_t CRGBColor::ToValue() const {
  return uint32_t(r_) | (uint32_t(g_) << 8) | (uint32_t(b_) << 16) | (uint32_t(extra_) << 24);
}

CRGBColor CRGBColor::operator*(double f) const {
  return CRGBColor(ClampedByte(r_ * f), ClampedByte(g_ * f), ClampedByte(b_ * f), extra_);
}

CRGBColor CRGBColor::operator+(const CRGBColor& o) const {
  const auto sum = [](uint8_t a, uint8_t b) { return uint8_t(std::min(255, int(a) + int(b))); };
  return CRGBColor(sum(r_, o.r_), sum(g_, o.g_), sum(b_, o.b_), extra_);
}

CRGBColor BlendColours(const CRGBColor& a, const CRGBColor& b, double t) {
  // The products carry rounding error (0.7 * 3 + 0.3 * 3 is 2.9999999999999996): a sum
  // within a hair of a whole number is that number before the truncation.
  constexpr double kRoundingError = 1e-9;
  const auto blend = [t](uint8_t x, uint8_t y) { return ClampedByte((1.0 - t) * x + t * y + kRoundingError); };
  return CRGBColor(blend(a.Red(), b.Red()), blend(a.Green(), b.Green()), blend(a.Blue(), b.Blue()), a.Extra());
}
