// The per-pixel laws of Z Saturation, Z Luminance and Z Hue, at the depths where they change.

#include <gtest/gtest.h>

#include <cmath>

#include "support/ScriptedUserInterface.h"
#include "FilterImages.h"
#include "filters/zone/ZHuePixels.h"
#include "filters/zone/ZLuminancePixels.h"
#include "filters/zone/ZSaturationPixels.h"
#include "platform/framework/Progress.h"

namespace {
// Renders here show in the scripted user interface's progress, as the program's do in its own.
ScriptedProgress uiProgress;
}  // namespace

namespace {

// Foreground point 1, zone 2 to 4, background point 5: both ramps one unit long.
template <typename Settings>
Settings ZoneOf(float foreground, float zoneNear, float zoneFar, float background) {
  Settings s;
  s.ForegroundPoint = foreground;
  s.ZoneNear = zoneNear;
  s.ZoneFar = zoneFar;
  s.BackgroundPoint = background;
  return s;
}

template <typename Settings>
Settings StandardZone() {
  return ZoneOf<Settings>(1.0f, 2.0f, 4.0f, 5.0f);
}

ZoneOptions Options(bool invert, bool raiseBackground, bool raiseForeground) {
  ZoneOptions o;
  o.InvertZone = invert;
  o.RaiseBackground = raiseBackground;
  o.RaiseForeground = raiseForeground;
  return o;
}

std::vector<ZoneOptions> EveryOptionSet() {
  std::vector<ZoneOptions> all;
  for (int bits = 0; bits < 8; ++bits) all.push_back(Options(bits & 1, bits & 2, bits & 4));
  return all;
}

// A colour that the trip through HSL and truncation would change, so a copy is recognisable.
const Rgb kOddColour = {201, 33, 97};
// Lightness 0.5, saturation about 0.8 and 0.4.
const Rgb kStrongRed = {229, 25, 25};
const Rgb kMildRed = {178, 76, 76};

constexpr double kTolerance = 0.012;  // a byte's worth of saturation or lightness, and a little

}  // namespace

TEST(ZSaturationLaw, ZoneEdgesAreCopiedByteForByteWhateverTheRaiseOptions) {
  const auto image = MakeRowImage(kOddColour, {2.0f, 3.0f, 4.0f});
  for (bool raise : {false, true}) {
    const auto out = Filter(StandardZone<ZSaturationSettings>(), Options(false, raise, raise), image);
    for (const Rgb& p : out) EXPECT_EQ(p, kOddColour);
  }
}

TEST(ZSaturationLaw, DefaultOptionsTurnGreyAtAndBeyondThePoints) {
  const auto image = MakeRowImage(kStrongRed, {1.0f, 0.5f, -3.0f, 5.0f, 9.0f, 1e10f});
  const double lightness = HslOf(kStrongRed).l;
  for (const Rgb& p : Filter(StandardZone<ZSaturationSettings>(), ZoneOptions{}, image)) {
    EXPECT_TRUE(IsGrey(p)) << int(p[0]) << " " << int(p[1]) << " " << int(p[2]);
    EXPECT_NEAR(p[0] / 255.0, lightness, kTolerance);
  }
}

TEST(ZSaturationLaw, RampsScaleTheSaturationHalfwayAndKeepHueAndLightness) {
  const auto image = MakeRowImage({kMildRed, kMildRed, kStrongRed, kMildRed}, {1.5f, 4.5f, 1.5f, 5.0f});
  const HslValue mild = HslOf(kMildRed);
  const HslValue strong = HslOf(kStrongRed);

  const auto falling = Filter(StandardZone<ZSaturationSettings>(), ZoneOptions{}, image);
  EXPECT_NEAR(HslOf(falling[0]).s, 0.5 * mild.s, kTolerance);
  EXPECT_NEAR(HslOf(falling[1]).s, 0.5 * mild.s, kTolerance);
  EXPECT_NEAR(HslOf(falling[0]).h, mild.h, kTolerance);
  EXPECT_NEAR(HslOf(falling[0]).l, mild.l, kTolerance);

  // Raised: 1.5 S halfway in front (clamped to 1 for the strong red), 2 S at the background point.
  const auto raised = Filter(StandardZone<ZSaturationSettings>(), Options(false, true, true), image);
  EXPECT_NEAR(HslOf(raised[0]).s, 1.5 * mild.s, kTolerance);
  EXPECT_NEAR(HslOf(raised[1]).s, 1.5 * mild.s, kTolerance);
  EXPECT_NEAR(HslOf(raised[2]).s, 1.0, kTolerance);
  EXPECT_GT(1.5 * strong.s, 1.0);
  EXPECT_NEAR(HslOf(raised[3]).s, std::min(1.0, 2.0 * mild.s), kTolerance);
  EXPECT_NEAR(HslOf(raised[2]).l, strong.l, kTolerance);
}

TEST(ZSaturationLaw, InvertedZoneIsGreyAndColourReturnsTowardThePoints) {
  const auto image = MakeRowImage(kMildRed, {2.0f, 3.0f, 4.0f, 4.5f, 1.25f, 6.0f, 0.0f});
  const HslValue mild = HslOf(kMildRed);

  const auto out = Filter(StandardZone<ZSaturationSettings>(), Options(true, false, false), image);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsGrey(out[i])) << i;
  EXPECT_NEAR(HslOf(out[3]).s, 0.5 * mild.s, kTolerance);
  EXPECT_NEAR(HslOf(out[4]).s, 0.75 * mild.s, kTolerance);
  EXPECT_NEAR(HslOf(out[5]).s, mild.s, kTolerance);  // beyond the points: saturation kept
  EXPECT_NEAR(HslOf(out[6]).s, mild.s, kTolerance);

  // With the raise options the ramp goes on beyond the points: t = 2 there.
  const auto raised = Filter(StandardZone<ZSaturationSettings>(), Options(true, true, true), image);
  EXPECT_NEAR(HslOf(raised[5]).s, 2.0 * mild.s, kTolerance);
  EXPECT_NEAR(HslOf(raised[6]).s, 2.0 * mild.s, kTolerance);
}

TEST(ZSaturationLaw, PointOnTheZoneEdgeMakesEveryPixelInFrontBeyondIt) {
  // ForegroundPoint = ZoneNear: the front ramp is 0.0001 long.
  const auto settings = ZoneOf<ZSaturationSettings>(2.0f, 2.0f, 4.0f, 5.0f);
  const auto image = MakeRowImage(kMildRed, {1.9f, 1.99f, 2.0f});
  const auto out = Filter(settings, ZoneOptions{}, image);
  EXPECT_TRUE(IsGrey(out[0]));
  EXPECT_TRUE(IsGrey(out[1]));
  EXPECT_EQ(out[2], kMildRed);
  const auto raised = Filter(settings, Options(false, false, true), image);
  EXPECT_NEAR(HslOf(raised[0]).s, 1.0, kTolerance);
}

TEST(ZSaturationLaw, ReversedZoneHoldsNoPixel) {
  // ZoneNear 4 > ZoneFar 2: depth 3 lies in front (ramp 1..4), depth 4 behind (ramp 2..5).
  const auto settings = ZoneOf<ZSaturationSettings>(1.0f, 4.0f, 2.0f, 5.0f);
  const auto image = MakeRowImage(kMildRed, {3.0f, 4.0f});
  const auto out = Filter(settings, ZoneOptions{}, image);
  const double s = HslOf(kMildRed).s;
  EXPECT_NEAR(HslOf(out[0]).s, 2.0 / 3.0 * s, kTolerance);
  EXPECT_NEAR(HslOf(out[1]).s, 1.0 / 3.0 * s, kTolerance);
}

TEST(ZSaturationLaw, GreyPixelsStayGreyEverywhere) {
  const std::vector<float> depths = {0.0f, 1.0f, 1.5f, 2.0f, 3.0f, 4.0f, 4.5f, 5.0f, 8.0f};
  for (uint8_t g : {uint8_t(0), uint8_t(77), uint8_t(128), uint8_t(255)}) {
    const auto image = MakeRowImage(Rgb{g, g, g}, depths);
    for (const ZoneOptions& o : EveryOptionSet()) {
      for (const Rgb& p : Filter(StandardZone<ZSaturationSettings>(), o, image)) {
        EXPECT_TRUE(IsGrey(p));
        EXPECT_NEAR(p[0], g, 1);
      }
    }
  }
}

TEST(ZLuminanceLaw, DarkensToBlackAtThePointsAndKeepsTheZone) {
  const auto image = MakeRowImage(kOddColour, {1.0f, 0.0f, 5.0f, 7.0f, 2.0f, 4.0f, 1.5f});
  const auto out = Filter(StandardZone<ZLuminanceSettings>(), ZoneOptions{}, image);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], (Rgb{0, 0, 0})) << i;
  EXPECT_EQ(out[4], kOddColour);
  EXPECT_EQ(out[5], kOddColour);
  const HslValue half = HslOf(out[6]);
  EXPECT_NEAR(half.l, 0.5 * HslOf(kOddColour).l, kTolerance);
  EXPECT_NEAR(half.h, HslOf(kOddColour).h, kTolerance);
}

TEST(ZLuminanceLaw, InvertedZoneIsBlackAndRaisedBackgroundTurnsWhite) {
  const Rgb lightRed = {200, 60, 60};  // lightness just above 0.5
  const auto image = MakeRowImage({kOddColour, kOddColour, lightRed, Rgb{60, 40, 40}}, {2.0f, 3.5f, 5.0f, 5.0f});
  const auto inverted = Filter(StandardZone<ZLuminanceSettings>(), Options(true, false, false), image);
  EXPECT_EQ(inverted[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(inverted[1], (Rgb{0, 0, 0}));

  // At the background point L' = 2 L: lightness 0.5 becomes white, a dark pixel twice as light.
  const auto raised = Filter(StandardZone<ZLuminanceSettings>(), Options(false, true, false), image);
  EXPECT_EQ(raised[2], (Rgb{255, 255, 255}));
  EXPECT_NEAR(HslOf(raised[3]).l, 2.0 * HslOf(Rgb{60, 40, 40}).l, kTolerance);
}

TEST(ZLuminanceLaw, BlackStaysBlackEverywhere) {
  const auto image = MakeRowImage(Rgb{0, 0, 0}, {0.0f, 1.0f, 1.5f, 3.0f, 4.5f, 5.0f, 9.0f});
  for (const ZoneOptions& o : EveryOptionSet()) {
    for (const Rgb& p : Filter(StandardZone<ZLuminanceSettings>(), o, image)) EXPECT_EQ(p, (Rgb{0, 0, 0}));
  }
}

TEST(ZHueLaw, TintsFullyAtThePointsAndBlendsHalfwayBetween) {
  // Pixels 0 and 1 are fully tinted (at and beyond the foreground point), 2 halfway, 3 and 4
  // the zone edges, 5 beyond the background point.
  const auto image = MakeRowImage(kMildRed, {1.0f, 0.0f, 1.5f, 2.0f, 4.0f, 6.0f});
  const auto out = Filter(StandardZone<ZHueSettings>(), ZHueOptions{}, image);
  const HslValue mild = HslOf(kMildRed);
  const HslValue tinted = HslOf(out[0]);
  EXPECT_NEAR(tinted.h, 1.0 / 6.0, kTolerance);  // the hue of yellow
  EXPECT_NEAR(tinted.s, mild.s, kTolerance);
  EXPECT_NEAR(tinted.l, mild.l, kTolerance);
  EXPECT_EQ(out[1], out[0]);
  EXPECT_EQ(out[5], out[0]);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[2][c], (kMildRed[c] + out[0][c]) / 2.0, 1.0) << c;
  EXPECT_EQ(out[3], kMildRed);
  EXPECT_EQ(out[4], kMildRed);
}

TEST(ZHueLaw, TheBlendOfColourAndTintIsTruncated) {
  // A quarter of the way from the point to the zone: a quarter of the colour, three quarters
  // of its yellow tint (178, 178, 76). Green is 0.25 x 76 + 0.75 x 178 = 152.5, which
  // truncates to 152.
  const auto image = MakeRowImage(kMildRed, {1.25f});
  const auto out = Filter(StandardZone<ZHueSettings>(), ZHueOptions{}, image);
  EXPECT_EQ(out[0], (Rgb{178, 152, 76}));
}

TEST(ZHueLaw, InvertedZoneIsTintedAndColoursReturnBeyondThePoints) {
  const auto image = MakeRowImage(kOddColour, {3.0f, 0.5f, 6.0f, 1.5f});
  const auto plain = Filter(StandardZone<ZHueSettings>(), ZHueOptions{}, image);
  ZHueOptions invert;
  invert.InvertZone = true;
  const auto out = Filter(StandardZone<ZHueSettings>(), invert, image);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[0][c], plain[1][c], 1.0) << c;  // zone as tinted as beyond a point
  EXPECT_EQ(out[1], kOddColour);
  EXPECT_EQ(out[2], kOddColour);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[3][c], plain[3][c], 1.0) << c;  // w = 0.5 both ways
}

TEST(ZHueLaw, OnlyTheHueOfTheColourCounts) {
  const auto image = MakeNoiseImage(64, 8, 7);
  auto light = StandardZone<ZHueSettings>();
  light.ZoneNear = 8.0f;
  light.ZoneFar = 12.0f;
  light.BackgroundPoint = 16.0f;
  light.Colour = CRGBColor(120, 255, 200);
  auto dark = light;
  dark.Colour = CRGBColor(24, 51, 40);
  EXPECT_EQ(Filter(light, ZHueOptions{}, image), Filter(dark, ZHueOptions{}, image));
}

TEST(ZHueLaw, DefaultColourTurnsBlueYellowAndGreyStaysGrey) {
  const auto image = MakeRowImage({Rgb{0, 0, 255}, Rgb{90, 90, 90}, Rgb{90, 90, 90}}, {0.5f, 0.5f, 1.5f});
  const auto out = Filter(StandardZone<ZHueSettings>(), ZHueOptions{}, image);
  EXPECT_EQ(out[0], (Rgb{255, 255, 0}));
  for (int i = 1; i < 3; ++i) {
    EXPECT_TRUE(IsGrey(out[i]));
    EXPECT_NEAR(out[i][0], 90, 1);
  }
}

TEST(ZoneFilters, RefuseASourceWithoutDepthOrOfAnotherSize) {
  CLayerBitmap colourOnly(std::make_unique<rgbBitmap>(4, 2));
  rgbBitmap destination(4, 2);
  EXPECT_FALSE(FilterPixels(StandardZone<ZSaturationSettings>(), ZoneOptions{}, colourOnly, destination, uiProgress));

  const auto image = MakeRowImage(kOddColour, {1.0f, 2.0f, 3.0f});
  rgbBitmap wider(5, 1);
  EXPECT_FALSE(FilterPixels(StandardZone<ZHueSettings>(), ZHueOptions{}, image, wider, uiProgress));
  EXPECT_FALSE(FilterPixels(StandardZone<ZLuminanceSettings>(), ZoneOptions{}, image, wider, uiProgress));
}
