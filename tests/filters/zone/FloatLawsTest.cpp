// The colour filters on float colour: within 0..1 they give what they give the 8-bit picture of
// the same frame (within a level, after encoding), and light above white stays above white.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "FilterImages.h"
#include "filters/atmosphere/AtmosphericPerspectivePixels.h"
#include "filters/zone/ZHuePixels.h"
#include "filters/zone/ZLuminancePixels.h"
#include "filters/zone/ZSaturationPixels.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/FloatLayers.h"

namespace {

RenderProgress& Unwatched() {
  static NoProgress unwatched;
  return unwatched;
}

template <typename Settings>
Settings StandardZone() {
  Settings s;
  s.ForegroundPoint = 4.0f;
  s.ZoneNear = 8.0f;
  s.ZoneFar = 12.0f;
  s.BackgroundPoint = 17.0f;
  return s;
}

AtmosphericPerspectiveSettings Fog() {
  AtmosphericPerspectiveSettings s;
  s.StartDepth = 6.0f;
  s.Colour = CRGBColor(180, 200, 255);
  return s;
}

// A filter run both ways over one frame: on its bytes, and on its light as float colour.
struct FilterRun {
  const char* name;
  std::function<bool(const CLayerBitmap&, rgbBitmap&)> bytes;
  std::function<bool(const CLayerBitmap&, rgbFloatBitmap&)> floats;
};

std::vector<FilterRun> EveryFilter() {
  const auto zone = ZoneOptions{};
  ZoneOptions raised;
  raised.RaiseBackground = true;
  raised.InvertZone = true;
  const ZHueOptions hue{};
  const AtmosphericPerspectiveOptions fog{};
  return {
      {"Z Saturation", [=](auto& s, auto& d) { return FilterPixels(StandardZone<ZSaturationSettings>(), zone, s, d, Unwatched()); },
       [=](auto& s, auto& d) { return FilterFloatPixels(StandardZone<ZSaturationSettings>(), zone, s, d, Unwatched()); }},
      {"Z Luminance", [=](auto& s, auto& d) { return FilterPixels(StandardZone<ZLuminanceSettings>(), raised, s, d, Unwatched()); },
       [=](auto& s, auto& d) { return FilterFloatPixels(StandardZone<ZLuminanceSettings>(), raised, s, d, Unwatched()); }},
      {"Z Hue", [=](auto& s, auto& d) { return FilterPixels(StandardZone<ZHueSettings>(), hue, s, d, Unwatched()); },
       [=](auto& s, auto& d) { return FilterFloatPixels(StandardZone<ZHueSettings>(), hue, s, d, Unwatched()); }},
      {"fog", [=](auto& s, auto& d) { return FilterPixels(Fog(), fog, s, d, Unwatched()); },
       [=](auto& s, auto& d) { return FilterFloatPixels(Fog(), fog, s, d, Unwatched()); }},
  };
}

// The frame's light: its bytes decoded through the display curve.
CLayerBitmap AsFloat(const CLayerBitmap& image) {
  CLayerBitmap out(DecodeColour(*image.GetLayer<rgbBitmap>(), nullptr));
  out.AddLayer(image.GetLayer<depthBitmap>()->Copy());
  return out;
}

}  // namespace

TEST(FloatLaws, WithinRangeEveryFilterGivesTheEightBitResultWithinALevel) {
  const CLayerBitmap bytes = MakeNoiseImage(96, 64, 7);
  const CLayerBitmap floats = AsFloat(bytes);
  for (const FilterRun& run : EveryFilter()) {
    SCOPED_TRACE(run.name);
    rgbBitmap expected(bytes.GetWidth(), bytes.GetHeight());
    rgbFloatBitmap got(bytes.GetWidth(), bytes.GetHeight());
    ASSERT_TRUE(run.bytes(bytes, expected));
    ASSERT_TRUE(run.floats(floats, got));
    const auto shown = EncodeColour(got, nullptr);
    int worst = 0;
    for (size_t i = 0; i < expected.GetValueCount(); ++i) {
      worst = std::max(worst, std::abs(int(shown->GetData()[i]) - int(expected.GetData()[i])));
    }
    EXPECT_LE(worst, 1);
  }
}

// Above white a zone law acts on the pixel's colour at white and keeps its scale: a light k times
// as bright as a colour at white comes out k times what that colour gives. The fog adds its colour.
TEST(FloatLaws, LightAboveWhiteStaysAboveWhite) {
  std::vector<float> depths;
  for (float d = 2.0f; d <= 20.0f; d += 1.0f) depths.push_back(d);
  const CLayerBitmap atWhite = AsFloat(MakeRowImage(Rgb{255, 200, 120}, depths));
  CLayerBitmap light = AsFloat(MakeRowImage(Rgb{255, 200, 120}, depths));
  constexpr float kScale = 100.0f;
  auto* colour = light.GetLayer<rgbFloatBitmap>();
  for (size_t i = 0; i < colour->GetValueCount(); ++i) colour->GetData()[i] *= kScale;
  for (const FilterRun& run : EveryFilter()) {
    SCOPED_TRACE(run.name);
    rgbFloatBitmap white(light.GetWidth(), 1);
    rgbFloatBitmap bright(light.GetWidth(), 1);
    ASSERT_TRUE(run.floats(atWhite, white));
    ASSERT_TRUE(run.floats(light, bright));
    for (size_t i = 0; i < bright.GetValueCount(); ++i) {
      const float in = colour->GetData()[i];
      if (std::string(run.name) == "fog") {
        EXPECT_GE(bright.GetData()[i], in) << i;
      } else {
        EXPECT_NEAR(bright.GetData()[i], kScale * white.GetData()[i], 1e-4f * kScale) << i;
      }
    }
  }
  // Saturation gone beyond the background point: a grey far above white, not clipped to white.
  rgbFloatBitmap grey(light.GetWidth(), 1);
  ASSERT_TRUE(FilterFloatPixels(StandardZone<ZSaturationSettings>(), ZoneOptions{}, light, grey, Unwatched()));
  const float* last = grey.GetLine(0) + 3 * (grey.GetWidth() - 1);
  EXPECT_NEAR(last[0], last[1], 1e-3f * last[0]);
  EXPECT_NEAR(last[1], last[2], 1e-3f * last[0]);
  EXPECT_GT(last[0], 10.0f);
}
