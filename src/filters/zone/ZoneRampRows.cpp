// ZoneRampLaw in vector form, compiled once for each instruction set that the vector library
// targets; the first call picks the best one that the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/zone/ZoneRampRows.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include "filters/PixelLanes-inl.h"
#include "filters/zone/HslVectors-inl.h"
#include "filters/zone/ZoneRampRows.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_zone {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using fovara_colour::HWY_NAMESPACE::Constant;
using fovara_colour::HWY_NAMESPACE::HslLanes;
using fovara_pixels::HWY_NAMESPACE::DD;
using fovara_pixels::HWY_NAMESPACE::PixelLanes;
using fovara_pixels::HWY_NAMESPACE::VD;
using DF = hn::Rebind<float, DD>;

// A byte as a channel, through the float product of the scalar law.
VD Channel(VD byte) {
  return hn::PromoteTo(DD(), hn::Mul(hn::DemoteTo(DF(), byte), hn::Set(DF(), kByteToChannel)));
}

// The law's constants, as lanes.
class RampLanes {
 public:
  explicit RampLanes(const ZoneRampLaw& law)
      : foregroundPoint_(Constant(law.ForegroundPoint())),
        backgroundPoint_(Constant(law.BackgroundPoint())),
        zoneNear_(Constant(law.ZoneNear())),
        zoneFar_(Constant(law.ZoneFar())),
        frontLength_(Constant(law.FrontLength())),
        backLength_(Constant(law.BackLength())),
        options_(law.Options()) {}

  auto InZone(VD d) const { return hn::And(hn::Le(zoneNear_, d), hn::Le(d, zoneFar_)); }

  // RampedValue: the component's new value, held to 0..1 through a float. FrontValue and
  // BackValue each divide once; the lanes share one division between them, of the numerator
  // and by the length of their side.
  VD RampedValue(VD d, VD v) const {
    const auto front = hn::Lt(d, zoneNear_);
    const VD quotient = hn::Div(hn::IfThenElse(front, FrontNumerator(d, v), BackNumerator(d, v)),
                                hn::IfThenElse(front, frontLength_, backLength_));
    const VD ramped = hn::IfThenElse(front, Finish(quotient, v, options_.RaiseForeground),
                                     Finish(quotient, v, options_.RaiseBackground));
    const VD asFloat = hn::PromoteTo(DD(), hn::DemoteTo(DF(), hn::IfThenZeroElse(InZone(d), ramped)));
    return hn::IfThenElseZero(hn::Ge(asFloat, hn::Zero(DD())), hn::Min(asFloat, Constant(1.0)));
  }

 private:
  // What each side divides by its length:
  //   not inverted, raised:  (zoneNear - d) * v       then + v
  //   not inverted:          d - foregroundPoint      then * v
  //   inverted:              t = zoneNear - d         then t * v, or v from t = 1 on unless raised
  // and the same behind the zone with d - zoneFar and backgroundPoint - d.
  VD FrontNumerator(VD d, VD v) const {
    if (!options_.InvertZone && options_.RaiseForeground) return hn::Mul(hn::Sub(zoneNear_, d), v);
    if (!options_.InvertZone) return hn::Sub(d, foregroundPoint_);
    return hn::Sub(zoneNear_, d);
  }

  VD BackNumerator(VD d, VD v) const {
    if (!options_.InvertZone && options_.RaiseBackground) return hn::Mul(hn::Sub(d, zoneFar_), v);
    if (!options_.InvertZone) return hn::Sub(backgroundPoint_, d);
    return hn::Sub(d, zoneFar_);
  }

  VD Finish(VD quotient, VD v, bool raised) const {
    if (!options_.InvertZone) return raised ? hn::Add(quotient, v) : hn::Mul(quotient, v);
    if (raised) return hn::Mul(quotient, v);
    return hn::IfThenElse(hn::Lt(quotient, Constant(1.0)), hn::Mul(quotient, v), v);
  }

  VD foregroundPoint_;
  VD backgroundPoint_;
  VD zoneNear_;
  VD zoneFar_;
  VD frontLength_;
  VD backLength_;
  ZoneOptions options_;
};

template <HslComponent kComponent>
void ApplyRamp(const ZoneRampLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count) {
  const RampLanes ramp(law);
  const bool inverted = law.Options().InvertZone;
  namespace px = fovara_pixels::HWY_NAMESPACE;
  const DD dd;
  // The pixels' colours in hue, saturation and lightness, from the first pass to the second.
  HWY_ALIGN double hue[px::kStretch];
  HWY_ALIGN double saturation[px::kStretch];
  HWY_ALIGN double lightness[px::kStretch];
  const auto toHsl = [&](const PixelLanes& pixels, int slot) {
    const HslLanes c = fovara_colour::HWY_NAMESPACE::RgbToHsl(
        Channel(pixels.channel[0]), Channel(pixels.channel[1]), Channel(pixels.channel[2]));
    hn::Store(c.h, dd, hue + slot);
    hn::Store(c.s, dd, saturation + slot);
    hn::Store(c.l, dd, lightness + slot);
  };
  px::ForPixelGroupsInTwoPasses(in, depth, out, count, toHsl, [&](const PixelLanes& pixels, int slot, VD(&result)[3]) {
    HslLanes c{hn::Load(dd, hue + slot), hn::Load(dd, saturation + slot), hn::Load(dd, lightness + slot)};
    VD& value = kComponent == HslComponent::Saturation ? c.s : c.l;
    value = ramp.RampedValue(pixels.depth, value);
    VD rgb[3];
    fovara_colour::HWY_NAMESPACE::HslToRgb(c, rgb[0], rgb[1], rgb[2]);
    for (int i = 0; i < 3; ++i) {
      const VD written = fovara_pixels::HWY_NAMESPACE::TruncateToByte(hn::Mul(rgb[i], Constant(255.0)));
      // Inside the zone, unless inverted, the pixel passes unchanged.
      result[i] = inverted ? written : hn::IfThenElse(ramp.InZone(pixels.depth), pixels.channel[i], written);
    }
  });
}

void ApplyZoneRamp(const ZoneRampLaw& law, HslComponent component, const uint8_t* in, const float* depth,
                   uint8_t* out, int count) {
  if (component == HslComponent::Saturation) return ApplyRamp<HslComponent::Saturation>(law, in, depth, out, count);
  ApplyRamp<HslComponent::Lightness>(law, in, depth, out, count);
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_zone
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fovara_zone {
HWY_EXPORT(ApplyZoneRamp);
}  // namespace fovara_zone

void ApplyZoneRamp(const ZoneRampLaw& law, HslComponent component, const uint8_t* in, const float* depth,
                   uint8_t* out, int count) {
  HWY_DYNAMIC_DISPATCH(fovara_zone::ApplyZoneRamp)(law, component, in, depth, out, count);
}
#endif
