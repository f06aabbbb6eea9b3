// AtmosphereLaw in vector form, compiled once for each instruction set that the vector library
// targets; the first call picks the best one that the processor supports.
//
// The power t^Density has no vector form that gives the C library's bits. The vector code
// takes exp(Density log t) in float, whose relative error stays below a few tenths of a
// millionth for the positions of a ramp (0 < t <= 1, where t^Density <= 1); an addition
// (at most 255 times the power) is then within a ten-thousandth of the exact one, so its whole
// part is decided whenever it lies farther than kDecisionMargin from a whole number: the bytes
// are then those of the exact power too. The other pixels (a fraction of a percent) and the
// positions whose power is not computed that way go through the law itself. Positions 0 and
// 1, met on whole regions of an image, have exact powers.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/atmosphere/AtmosphereRows.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <hwy/contrib/math/math-inl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "filters/PixelLanes-inl.h"
#include "filters/atmosphere/AtmosphereRows.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_atmosphere {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using fovara_pixels::HWY_NAMESPACE::DD;
using fovara_pixels::HWY_NAMESPACE::PixelLanes;
using fovara_pixels::HWY_NAMESPACE::TruncateToByte;
using fovara_pixels::HWY_NAMESPACE::VD;
using DF = hn::Rebind<float, DD>;

// How far, in bytes, an approximate addition must lie from a whole number to be decided: ten
// times the approximation's error bound.
constexpr double kDecisionMargin = 1e-3;
// The positions and exponents the approximation takes; the others are left to the law.
constexpr float kSmallestPosition = 1e-30f;
constexpr float kLargestExponent = 80.0f;

class AtmosphereLanes {
 public:
  AtmosphereLanes(const AtmosphereLaw& law, float startDepth, float rampLength, bool inForeground)
      : law_(law),
        startDepth_(hn::Set(DF(), startDepth)),
        rampLength_(hn::Set(DF(), rampLength)),
        inForeground_(inForeground),
        flat_(law.IntensityRange() == 0.0),
        // The error bound holds for a curve within 0..1 (which the settings keep).
        approximate_(std::fabs(law.IntensityRange()) <= 1.0 && std::fabs(law.NearIntensity()) <= 1.0),
        powerOfZero_(std::pow(0.0, law.Density())),
        powerOfInfinity_(std::pow(std::numeric_limits<double>::infinity(), law.Density())) {}

  // The group's result bytes; `redo` marks the lanes whose bytes the law must give.
  void operator()(const PixelLanes& px, VD (&result)[3], VD& redo) const {
    const DD d;
    const DF df;
    // Affects and RampPosition: the comparisons of floats are those of their doubles, the
    // position is computed in float as the law has it.
    const VD start = hn::PromoteTo(d, startDepth_);
    const auto affects = inForeground_ ? hn::Le(px.depth, start) : hn::Ge(px.depth, start);
    const auto depth = hn::DemoteTo(df, px.depth);
    const auto x = inForeground_ ? hn::Sub(startDepth_, depth) : hn::Sub(depth, startDepth_);
    const VD t = hn::PromoteTo(d, hn::Div(x, rampLength_));
    const auto changes = hn::And(affects, hn::Ge(t, hn::Zero(d)));

    VD intensity = hn::Set(d, law_.NearIntensity());
    auto approximate = hn::Lt(t, hn::Zero(d));  // none
    VD uncertain = hn::Zero(d);
    if (!flat_) {
      const VD one = hn::Set(d, 1.0);
      const auto zero = hn::Eq(t, hn::Zero(d));
      const auto infinite = hn::Eq(t, hn::Set(d, std::numeric_limits<double>::infinity()));
      const auto tf = hn::Div(x, rampLength_);
      const auto exponent = hn::Mul(hn::Set(df, float(law_.Density())), hn::Log(df, tf));
      VD power = hn::PromoteTo(d, hn::Exp(df, exponent));
      power = hn::IfThenElse(hn::Eq(t, one), one, power);
      power = hn::IfThenElse(zero, hn::Set(d, powerOfZero_), power);
      power = hn::IfThenElse(infinite, hn::Set(d, powerOfInfinity_), power);
      intensity = hn::Add(hn::Mul(power, hn::Set(d, law_.IntensityRange())), intensity);
      approximate = hn::AndNot(hn::Or(hn::Or(zero, infinite), hn::Eq(t, one)), changes);
      // The power of -0 may take the sign of the zero: the law decides those.
      const auto negativeZero = hn::And(zero, hn::Lt(hn::CopySign(one, t), hn::Zero(d)));
      const auto inRamp = hn::And(hn::Ge(t, hn::Set(d, kSmallestPosition)), hn::Le(t, one));
      const auto tame = hn::Lt(hn::Abs(hn::PromoteTo(d, exponent)), hn::Set(d, kLargestExponent));
      // Every lane, when the intensities lie outside 0..1.
      const auto outOfReach = approximate_ ? hn::Not(hn::And(inRamp, tame)) : hn::Not(hn::Eq(t, hn::Zero(d)));
      uncertain = hn::VecFromMask(d, hn::Or(hn::And(approximate, outOfReach), hn::And(changes, negativeZero)));
    }
    for (int i = 0; i < 3; ++i) {
      const VD product = hn::Mul(hn::Set(d, law_.Colour(i)), intensity);
      const VD truncated = hn::Trunc(product);
      const VD added = hn::IfThenElseZero(hn::Gt(truncated, hn::Zero(d)), truncated);
      // An approximate product decides its whole part only away from whole numbers.
      const VD margin = hn::Set(d, kDecisionMargin);
      const auto undecided =
          hn::Not(hn::Eq(hn::Floor(hn::Sub(product, margin)), hn::Floor(hn::Add(product, margin))));
      uncertain = hn::Or(uncertain, hn::VecFromMask(d, hn::And(approximate, undecided)));
      result[i] = hn::IfThenElse(changes, TruncateToByte(hn::Add(px.channel[i], added)), px.channel[i]);
    }
    redo = uncertain;
  }

 private:
  const AtmosphereLaw& law_;
  const hn::Vec<DF> startDepth_;
  const hn::Vec<DF> rampLength_;
  const bool inForeground_;
  const bool flat_;
  const bool approximate_;
  const double powerOfZero_;
  const double powerOfInfinity_;
};

void ApplyAtmosphere(const AtmosphereLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count) {
  namespace px = fovara_pixels::HWY_NAMESPACE;
  const AtmosphereLanes lanes(law, law.StartDepth(), law.RampLength(), law.InForeground());
  const int group = px::GroupSize();
  HWY_ALIGN double redo[px::kMaxLanes];
  for (int x = 0; x < count; x += group) {
    const int n = std::min(group, count - x);
    const bool followed = x + group < count;
    VD result[3];
    VD uncertain;
    lanes(followed ? px::LoadFollowedPixels(in + 3 * x, depth + x) : px::LoadLastPixels(in + 3 * x, depth + x, n),
          result, uncertain);
    px::StorePixels(result, out + 3 * x, n, followed);
    hn::Store(uncertain, DD(), redo);
    // Lanes marked hold all bits set (a NaN), the others 0.
    for (int p = 0; p < n; ++p) {
      if (!(redo[p] == 0.0)) law(in + 3 * (x + p), depth[x + p], out + 3 * (x + p));
    }
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_atmosphere
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fovara_atmosphere {
HWY_EXPORT(ApplyAtmosphere);
}  // namespace fovara_atmosphere

void ApplyAtmosphere(const AtmosphereLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count) {
  HWY_DYNAMIC_DISPATCH(fovara_atmosphere::ApplyAtmosphere)(law, in, depth, out, count);
}
#endif
