#pragma once
// Colour helpers: HSL conversions and an RGB colour with arithmetic.

#include <cstdint>

// Standard HSL; every value in 0 to 1, hue in [0, 1). A saturation of 0 gives grey (h is
// then 0); a lightness of 0 gives black and 1 white. The hue depends only on ratios of the
// channels, so raw bytes 0..255 give the right hue too (their saturation and lightness mean
// nothing). ConvertHSLToRGB wraps the hue and clamps saturation and lightness into 0..1.
void ConvertRGBToHSL(double r, double g, double b, double& h, double& s, double& l);
void ConvertHSLToRGB(double h, double s, double l, double& r, double& g, double& b);

// An 8-bit RGB colour with a fourth byte carried along. As a 32-bit value: 0x00BBGGRR
// (red in the lowest byte; the fourth byte in the highest).
class CRGBColor {
 public:
  CRGBColor() = default;
  CRGBColor(uint8_t r, uint8_t g, uint8_t b, uint8_t extra = 0) : r_(r), g_(g), b_(b), extra_(extra) {}
  static CRGBColor FromValue(uint32_t value);
  uint32_t ToValue() const;

  uint8_t Red() const { return r_; }
  uint8_t Green() const { return g_; }
  uint8_t Blue() const { return b_; }
  uint8_t Extra() const { return extra_; }

  // Each channel times f, truncated toward zero and clamped to 0..255; the fourth byte is
  // kept.
  CRGBColor operator*(double f) const;
  // Channel sums clamped to 255; the fourth byte is the left operand's.
  CRGBColor operator+(const CRGBColor& o) const;
  bool operator==(const CRGBColor&) const = default;

 private:
  uint8_t r_ = 0;
  uint8_t g_ = 0;
  uint8_t b_ = 0;
  uint8_t extra_ = 0;
};

// The blend of two colours at t (0 gives a, 1 gives b): each channel is
// (1 - t) * a + t * b, truncated toward zero once and clamped to 0..255, so that a channel
// equal on both sides stays equal all the way. The fourth byte is a's.
CRGBColor BlendColours(const CRGBColor& a, const CRGBColor& b, double t);
