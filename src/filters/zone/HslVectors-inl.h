// The HSL conversions of HslPixel.h and Colour.cpp in vector form, lane by lane the same
// expressions in the same order, so that every lane is bit for bit the value the scalar code
// gives: the branches become selections between values computed for every lane. Included once
// per target by the zone filters' vector code (no include guard of its own).

#if defined(FOVARA_HSL_VECTORS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef FOVARA_HSL_VECTORS_INL_H_
#undef FOVARA_HSL_VECTORS_INL_H_
#else
#define FOVARA_HSL_VECTORS_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace fovara_colour {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DD = hn::ScalableTag<double>;
using VD = hn::Vec<DD>;

struct HslLanes {
  VD h;
  VD s;
  VD l;
};

inline VD Constant(double v) { return hn::Set(DD(), v); }

// WrapHue: the fraction of a hue, 0 for a hue that is not finite.
inline VD WrapHue(VD h) {
  const VD fraction = hn::Sub(h, hn::Floor(h));
  const VD wrapped = hn::IfThenZeroElse(hn::Ge(fraction, Constant(1.0)), fraction);
  return hn::IfThenElseZero(hn::IsFinite(h), wrapped);
}

// Unit: into 0..1, NaN to 0.
inline VD Unit(VD v) { return hn::IfThenElseZero(hn::Gt(v, hn::Zero(DD())), hn::Min(v, Constant(1.0))); }

// The saturation of RgbToHsl for a range above 0.
inline VD SaturationOf(VD high, VD low, VD range, VD l) {
  const VD spread =
      hn::IfThenElse(hn::Le(l, Constant(0.5)), hn::Add(high, low), hn::Sub(hn::Sub(Constant(2.0), high), low));
  return hn::IfThenElse(hn::Gt(spread, hn::Zero(DD())), Unit(hn::Div(range, spread)), Constant(1.0));
}

// ConvertRGBToHSL of channels in 0..1 (always finite here).
inline HslLanes RgbToHsl(VD r, VD g, VD b) {
  const DD d;
  const VD high = hn::Max(hn::Max(r, g), b);
  const VD low = hn::Min(hn::Min(r, g), b);
  const VD range = hn::Sub(high, low);
  // Halving is exact: the product by 0.5 is the quotient by 2.
  const VD l = hn::Mul(hn::Add(high, low), Constant(0.5));
  const auto grey = hn::Not(hn::Gt(range, hn::Zero(d)));

  const auto highIsRed = hn::Eq(high, r);
  const auto highIsGreen = hn::Eq(high, g);
  const VD numerator = hn::IfThenElse(highIsRed, hn::Sub(g, b), hn::IfThenElse(highIsGreen, hn::Sub(b, r), hn::Sub(r, g)));
  const VD quotient = hn::Div(numerator, range);
  const VD offset = hn::IfThenElse(highIsGreen, Constant(2.0), Constant(4.0));
  const VD sixths = hn::IfThenElse(highIsRed, quotient, hn::Add(quotient, offset));
  const VD h = WrapHue(hn::Div(sixths, Constant(6.0)));

  return {hn::IfThenZeroElse(grey, h), hn::IfThenZeroElse(grey, SaturationOf(high, low, range, l)), l};
}

// The saturation and lightness of RgbToHsl alone, for a law that replaces the hue (the hue
// lanes are 0).
inline HslLanes RgbToSaturationLightness(VD r, VD g, VD b) {
  const VD high = hn::Max(hn::Max(r, g), b);
  const VD low = hn::Min(hn::Min(r, g), b);
  const VD range = hn::Sub(high, low);
  const VD l = hn::Mul(hn::Add(high, low), Constant(0.5));
  const auto grey = hn::Not(hn::Gt(range, hn::Zero(DD())));
  return {hn::Zero(DD()), hn::IfThenZeroElse(grey, SaturationOf(high, low, range, l)), l};
}

inline VD HueToChannel(VD p, VD q, VD t) {
  t = WrapHue(t);
  const VD qp = hn::Sub(q, p);
  const VD rising = hn::Add(p, hn::Mul(hn::Mul(qp, Constant(6.0)), t));
  const VD falling = hn::Add(p, hn::Mul(hn::Mul(qp, hn::Sub(Constant(2.0 / 3.0), t)), Constant(6.0)));
  const VD upper = hn::IfThenElse(hn::Lt(t, Constant(2.0 / 3.0)), falling, p);
  const VD middle = hn::IfThenElse(hn::Lt(t, Constant(0.5)), q, upper);
  return hn::IfThenElse(hn::Lt(t, Constant(1.0 / 6.0)), rising, middle);
}

// ConvertHSLToRGB: the channels in 0..1.
inline void HslToRgb(HslLanes c, VD& r, VD& g, VD& b) {
  const VD h = WrapHue(c.h);
  const VD s = Unit(c.s);
  const VD l = Unit(c.l);
  const VD q = hn::IfThenElse(hn::Lt(l, Constant(0.5)), hn::Mul(l, hn::Add(Constant(1.0), s)),
                              hn::Sub(hn::Add(l, s), hn::Mul(l, s)));
  const VD p = hn::Sub(hn::Mul(Constant(2.0), l), q);
  const auto grey = hn::Eq(s, hn::Zero(DD()));
  r = hn::IfThenElse(grey, l, HueToChannel(p, q, hn::Add(h, Constant(1.0 / 3.0))));
  g = hn::IfThenElse(grey, l, HueToChannel(p, q, h));
  b = hn::IfThenElse(grey, l, HueToChannel(p, q, hn::Sub(h, Constant(1.0 / 3.0))));
}

// One channel of HslToRgb at a hue that every lane shares: HueToChannel's branch and its
// factor are chosen once, and the lanes evaluate that branch's expression alone.
class FixedHueChannel {
 public:
  // t: the channel's hue position as HslToRgb hands it to HueToChannel (before wrapping).
  explicit FixedHueChannel(double t) {
    t = hn::GetLane(WrapHue(Constant(t)));
    if (t < 1.0 / 6.0) {
      branch_ = Branch::kRising;
      factor_ = t;
    } else if (t < 0.5) {
      branch_ = Branch::kHigh;
    } else if (t < 2.0 / 3.0) {
      branch_ = Branch::kFalling;
      factor_ = 2.0 / 3.0 - t;
    } else {
      branch_ = Branch::kLow;
    }
  }

  VD operator()(VD p, VD q) const {
    switch (branch_) {
      case Branch::kRising:
        return hn::Add(p, hn::Mul(hn::Mul(hn::Sub(q, p), Constant(6.0)), Constant(factor_)));
      case Branch::kHigh:
        return q;
      case Branch::kFalling:
        return hn::Add(p, hn::Mul(hn::Mul(hn::Sub(q, p), Constant(factor_)), Constant(6.0)));
      case Branch::kLow:
        break;
    }
    return p;
  }

 private:
  enum class Branch { kRising, kHigh, kFalling, kLow };
  Branch branch_ = Branch::kLow;
  double factor_ = 0.0;
};

// The three channels of HslToRgb at one hue for every lane (ConvertHSLToRGB's order: red at
// the hue plus a third, green at the hue, blue at the hue less a third).
class FixedHue {
 public:
  explicit FixedHue(double h)
      : red_(hn::GetLane(WrapHue(Constant(h))) + 1.0 / 3.0),
        green_(hn::GetLane(WrapHue(Constant(h)))),
        blue_(hn::GetLane(WrapHue(Constant(h))) - 1.0 / 3.0) {}

  // HslToRgb of {the hue, s, l}.
  void ToRgb(VD s, VD l, VD& r, VD& g, VD& b) const {
    s = Unit(s);
    l = Unit(l);
    const VD q = hn::IfThenElse(hn::Lt(l, Constant(0.5)), hn::Mul(l, hn::Add(Constant(1.0), s)),
                                hn::Sub(hn::Add(l, s), hn::Mul(l, s)));
    const VD p = hn::Sub(hn::Mul(Constant(2.0), l), q);
    const auto grey = hn::Eq(s, hn::Zero(DD()));
    r = hn::IfThenElse(grey, l, red_(p, q));
    g = hn::IfThenElse(grey, l, green_(p, q));
    b = hn::IfThenElse(grey, l, blue_(p, q));
  }

 private:
  FixedHueChannel red_;
  FixedHueChannel green_;
  FixedHueChannel blue_;
};

}  // namespace HWY_NAMESPACE
}  // namespace fovara_colour
HWY_AFTER_NAMESPACE();

#endif
