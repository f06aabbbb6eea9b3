// AtmosphereLaw in vector form, compiled once for each instruction set that the vector library
// targets; the first call picks the best one that the processor supports.
//
// What the fog adds to a channel is a whole number that depends on the pixel's depth alone, so
// a group of pixels, as many as a vector has float lanes, computes its additions in float lanes
// and adds them to the row's bytes with saturation (the law's TruncateToByte of the channel plus
// the addition, which is never negative, holds the sum to 255).
//
// The power t^Density has no vector form that gives the C library's bits. The vector code
// takes exp(Density log t) in float, whose relative error stays below a few tenths of a
// millionth for the positions of a ramp (0 < t <= 1, where t^Density <= 1). The intensity and
// the addition (at most 255 times the intensity) add a few float roundings of at most 2^-24
// each, so the addition stays within two ten-thousandths of the exact one: its whole part is
// decided whenever it lies farther than kDecisionMargin from a whole number, and the bytes are
// then those of the exact power too. The other pixels (a fraction of a percent) and the
// positions whose power is not computed that way go through the law itself. Positions 0, 1 and
// infinity, met on whole regions of an image, and a flat curve take the law's own additions,
// computed once.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/atmosphere/AtmosphereRows.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <hwy/contrib/math/math-inl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "filters/atmosphere/AtmosphereRows.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_atmosphere {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DF = hn::ScalableTag<float>;
using VF = hn::Vec<DF>;
using MF = hn::Mask<DF>;
using DI = hn::RebindToSigned<DF>;
using D8 = hn::Rebind<uint8_t, DF>;
using V8 = hn::Vec<D8>;

constexpr int kMaxLanes = HWY_MAX_BYTES / sizeof(float);

// How far, in bytes, an approximate addition must lie from a whole number to be decided: five
// times the approximation's error bound.
constexpr float kDecisionMargin = 1e-3f;
// The positions and exponents the approximation takes; the others are left to the law.
constexpr float kSmallestPosition = 1e-30f;
constexpr float kLargestExponent = 80.0f;

// The law's addition to channel i at an intensity, as the byte a saturating addition takes.
float AddedByte(const AtmosphereLaw& law, int i, double intensity) {
  return float(std::min(255.0, law.AddedChannel(i, intensity)));
}

class AtmosphereLanes {
 public:
  explicit AtmosphereLanes(const AtmosphereLaw& law)
      : law_(law),
        startDepth_(hn::Set(DF(), law.StartDepth())),
        rampLength_(hn::Set(DF(), law.RampLength())),
        density_(hn::Set(DF(), float(law.Density()))),
        intensityRange_(hn::Set(DF(), float(law.IntensityRange()))),
        nearIntensity_(hn::Set(DF(), float(law.NearIntensity()))),
        inForeground_(law.InForeground()),
        flat_(law.IntensityRange() == 0.0),
        // The error bound holds for a curve within 0..1 (which the settings keep).
        approximate_(std::fabs(law.IntensityRange()) <= 1.0 && std::fabs(law.NearIntensity()) <= 1.0) {
    const double atZero = law.Intensity(0.0f);
    const double atOne = law.Intensity(1.0f);
    const double atInfinity = law.Intensity(std::numeric_limits<float>::infinity());
    for (int i = 0; i < 3; ++i) {
      colour_[i] = hn::Set(DF(), float(law.Colour(i)));
      addedAtZero_[i] = hn::Set(DF(), AddedByte(law, i, atZero));
      addedAtOne_[i] = hn::Set(DF(), AddedByte(law, i, atOne));
      addedAtInfinity_[i] = hn::Set(DF(), AddedByte(law, i, atInfinity));
    }
  }

  // A group of pixels, as many as a vector has float lanes: their bytes at `in` and their
  // depths, the bytes they become at `out`. Lanes whose addition the vector code cannot decide
  // are given by the law itself.
  void operator()(const uint8_t* in, const float* depth, uint8_t* out) const {
    const DF df;
    const D8 d8;
    V8 added[3];
    const MF redo = Additions(hn::LoadU(df, depth), added);
    V8 r, g, b;
    hn::LoadInterleaved3(d8, in, r, g, b);
    hn::StoreInterleaved3(hn::SaturatedAdd(r, added[0]), hn::SaturatedAdd(g, added[1]), hn::SaturatedAdd(b, added[2]),
                          d8, out);
    if (hn::AllFalse(df, redo)) return;
    uint8_t bits[(kMaxLanes + 7) / 8] = {};
    hn::StoreMaskBits(df, redo, bits);
    const int lanes = int(hn::Lanes(df));
    for (int p = 0; p < lanes; ++p) {
      if (bits[p / 8] & (1 << (p % 8))) law_(in + 3 * p, depth[p], out + 3 * p);
    }
  }

 private:
  // Each channel's addition (0 where the pixel keeps its colour); the lanes to redo.
  MF Additions(VF d, V8 (&added)[3]) const {
    const DF df;
    // Affects and RampPosition, in float as the law has them.
    const auto affects = inForeground_ ? hn::Le(d, startDepth_) : hn::Ge(d, startDepth_);
    const VF x = inForeground_ ? hn::Sub(startDepth_, d) : hn::Sub(d, startDepth_);
    const VF t = hn::Div(x, rampLength_);
    const MF changes = hn::And(affects, hn::Ge(t, hn::Zero(df)));
    if (flat_) {
      for (int i = 0; i < 3; ++i) added[i] = ToBytes(hn::IfThenElseZero(changes, addedAtZero_[i]));
      return hn::FirstN(df, 0);  // none
    }
    const VF one = hn::Set(df, 1.0f);
    const MF zero = hn::Eq(t, hn::Zero(df));
    const MF atOne = hn::Eq(t, one);
    const MF infinite = hn::Eq(t, hn::Set(df, std::numeric_limits<float>::infinity()));
    const VF exponent = hn::Mul(density_, hn::Log(df, t));
    const VF intensity = hn::Add(hn::Mul(hn::Exp(df, exponent), intensityRange_), nearIntensity_);
    const MF approximate = hn::AndNot(hn::Or(hn::Or(zero, infinite), atOne), changes);
    // The power of -0 may take the sign of the zero: the law decides those.
    const MF negativeZero = hn::And(zero, hn::Lt(hn::CopySign(one, t), hn::Zero(df)));
    const MF inRamp = hn::And(hn::Ge(t, hn::Set(df, kSmallestPosition)), hn::Le(t, one));
    const MF tame = hn::Lt(hn::Abs(exponent), hn::Set(df, kLargestExponent));
    // Every approximate lane, when the intensities lie outside 0..1.
    const MF outOfReach = approximate_ ? hn::Not(hn::And(inRamp, tame)) : approximate;
    MF redo = hn::Or(hn::And(approximate, outOfReach), hn::And(changes, negativeZero));
    const VF margin = hn::Set(df, kDecisionMargin);
    for (int i = 0; i < 3; ++i) {
      const VF product = hn::Mul(colour_[i], intensity);
      const VF truncated = hn::Trunc(product);
      // An approximate product decides its whole part only away from whole numbers.
      const MF undecided = hn::Not(hn::Eq(hn::Floor(hn::Sub(product, margin)), hn::Floor(hn::Add(product, margin))));
      redo = hn::Or(redo, hn::And(approximate, undecided));
      const VF exact = hn::IfThenElse(zero, addedAtZero_[i], hn::IfThenElse(atOne, addedAtOne_[i], addedAtInfinity_[i]));
      const VF approximated = hn::Min(hn::IfThenElseZero(hn::Gt(truncated, hn::Zero(df)), truncated), hn::Set(df, 255.0f));
      added[i] = ToBytes(hn::IfThenElseZero(changes, hn::IfThenElse(approximate, approximated, exact)));
    }
    return redo;
  }

  // Whole numbers from 0 to 255 as bytes.
  static V8 ToBytes(VF whole) { return hn::DemoteTo(D8(), hn::ConvertTo(DI(), whole)); }

  const AtmosphereLaw& law_;
  const VF startDepth_;
  const VF rampLength_;
  const VF density_;
  const VF intensityRange_;
  const VF nearIntensity_;
  VF colour_[3];
  VF addedAtZero_[3];
  VF addedAtOne_[3];
  VF addedAtInfinity_[3];
  const bool inForeground_;
  const bool flat_;
  const bool approximate_;
};

void ApplyAtmosphere(const AtmosphereLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count) {
  const AtmosphereLanes lanes(law);
  const int group = int(hn::Lanes(DF()));
  int x = 0;
  for (; x + group <= count; x += group) lanes(in + 3 * x, depth + x, out + 3 * x);
  if (x >= count) return;
  const int rest = std::min(count - x, kMaxLanes);
  // The last pixels through a copy, the lanes past them at a depth that changes nothing.
  uint8_t bytes[3 * kMaxLanes] = {};
  uint8_t result[3 * kMaxLanes];
  float depths[kMaxLanes];
  std::fill(depths, depths + kMaxLanes, std::numeric_limits<float>::quiet_NaN());
  std::copy_n(in + 3 * x, 3 * rest, bytes);
  std::copy_n(depth + x, rest, depths);
  lanes(bytes, depths, result);
  std::copy_n(result, 3 * rest, out + 3 * x);
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
