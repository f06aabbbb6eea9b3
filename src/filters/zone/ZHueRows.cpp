// ZHueLaw in vector form, compiled once for each instruction set that the vector library
// targets; the first call picks the best one that the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/zone/ZHueRows.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include "filters/PixelLanes-inl.h"
#include "filters/zone/HslVectors-inl.h"
#include "filters/zone/ZHueRows.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_zone {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using fovara_colour::HWY_NAMESPACE::Constant;
using fovara_colour::HWY_NAMESPACE::HslLanes;
using fovara_pixels::HWY_NAMESPACE::DD;
using fovara_pixels::HWY_NAMESPACE::PixelLanes;
using fovara_pixels::HWY_NAMESPACE::TruncateToByte;
using fovara_pixels::HWY_NAMESPACE::VD;
using DF = hn::Rebind<float, DD>;

// A byte as a channel, through the float product of the scalar law.
VD HueChannel(VD byte) {
  return hn::PromoteTo(DD(), hn::Mul(hn::DemoteTo(DF(), byte), hn::Set(DF(), kByteToChannel)));
}

void ApplyZHue(const ZHueLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count) {
  const fovara_colour::HWY_NAMESPACE::FixedHue hue(law.Hue());
  const VD foregroundPoint = Constant(law.ForegroundPoint());
  const VD backgroundPoint = Constant(law.BackgroundPoint());
  const VD zoneNear = Constant(law.ZoneNear());
  const VD zoneFar = Constant(law.ZoneFar());
  const VD frontLength = Constant(law.FrontLength());
  const VD backLength = Constant(law.BackLength());
  const bool inverted = law.Inverted();
  namespace px = fovara_pixels::HWY_NAMESPACE;
  const DD dd;
  // The pixels' saturation, lightness and share of their own colour, from the first pass (its
  // divisions) to the second.
  HWY_ALIGN double saturation[px::kStretch];
  HWY_ALIGN double lightness[px::kStretch];
  HWY_ALIGN double share[px::kStretch];
  const auto divide = [&](const PixelLanes& pixels, int slot) {
    const VD d = pixels.depth;
    // The tint keeps the pixel's saturation and lightness and takes the law's hue.
    const HslLanes c = fovara_colour::HWY_NAMESPACE::RgbToSaturationLightness(
        HueChannel(pixels.channel[0]), HueChannel(pixels.channel[1]), HueChannel(pixels.channel[2]));
    hn::Store(c.s, dd, saturation + slot);
    hn::Store(c.l, dd, lightness + slot);
    // The share of the input colour: one division, of each side's numerator by its length.
    const auto front = hn::Lt(d, zoneNear);
    const VD numerator = inverted ? hn::IfThenElse(front, hn::Sub(zoneNear, d), hn::Sub(d, zoneFar))
                                  : hn::IfThenElse(front, hn::Sub(d, foregroundPoint), hn::Sub(backgroundPoint, d));
    hn::Store(hn::Div(numerator, hn::IfThenElse(front, frontLength, backLength)), dd, share + slot);
  };
  px::ForPixelGroupsInTwoPasses(in, depth, out, count, divide, [&](const PixelLanes& pixels, int slot, VD(&result)[3]) {
    const VD d = pixels.depth;
    VD channels[3];
    hue.ToRgb(hn::Load(dd, saturation + slot), hn::Load(dd, lightness + slot), channels[0], channels[1], channels[2]);
    const auto inZone = hn::And(hn::Le(zoneNear, d), hn::Le(d, zoneFar));
    const auto front = hn::Lt(d, zoneNear);
    const auto beyond = hn::Or(hn::And(front, hn::Lt(d, foregroundPoint)), hn::AndNot(front, hn::Gt(d, backgroundPoint)));
    const VD w = hn::Load(dd, share + slot);
    for (int i = 0; i < 3; ++i) {
      const VD scaled = hn::Mul(channels[i], Constant(255.0));
      const VD tinted = hn::PromoteTo(DD(), hn::DemoteTo(DF(), scaled));  // held as a float
      const VD blend = TruncateToByte(hn::Add(hn::Mul(pixels.channel[i], w), hn::Mul(hn::Sub(Constant(1.0), w), tinted)));
      const VD beyondValue = inverted ? pixels.channel[i] : TruncateToByte(tinted);
      const VD zoneValue = inverted ? TruncateToByte(scaled) : pixels.channel[i];
      const VD outside = hn::IfThenElse(beyond, beyondValue, blend);
      result[i] = hn::IfThenElse(inZone, zoneValue, outside);
    }
  });
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_zone
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fovara_zone {
HWY_EXPORT(ApplyZHue);
}  // namespace fovara_zone

void ApplyZHue(const ZHueLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count) {
  HWY_DYNAMIC_DISPATCH(fovara_zone::ApplyZHue)(law, in, depth, out, count);
}
#endif
