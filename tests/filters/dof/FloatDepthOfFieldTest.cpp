// Depth of field on float colour: lights brighter than white keep their energy when they spread
// into discs and their value when sharp, a constant picture stays constant, pictures within 0..1
// render as the 8-bit renderer renders their bytes, and the highlights give an 8-bit picture
// bright discs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "DofScenes.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldRenderer.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/Diaph.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/FloatLayers.h"
#include "platform/image/ImageIo.h"
#include "support/ScriptedUserInterface.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;
constexpr float kWall = 0.05f;
constexpr float kLight = 100.0f;
constexpr float kFieldDepth = 10.0f;
constexpr float kFarDepth = 40.0f;
constexpr float kNearDepth = 3.0f;
constexpr int kLightSide = 3;
constexpr int kBlur = 30;

// Where the lights stand: far behind the field, near in front of it, and one sharp in the field.
struct Spot {
  int x, y;
  float depth;
};
constexpr Spot kFarLight{60, 80, kFarDepth};
constexpr Spot kNearLight{180, 100, kNearDepth};
constexpr Spot kSharpLight{180, 30, kFieldDepth};

// A night scene: the left half is far background, the right half a dim wall in focus; 3 x 3
// lights of value 100 (a lamp as a renderer writes it) stand at the spots.
std::unique_ptr<CLayerBitmap> NightScene(float lightValue = kLight) {
  auto colour = std::make_unique<rgbFloatBitmap>(kWidth, kHeight);
  auto depth = std::make_unique<depthBitmap>(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      float value = kWall;
      float d = x < kWidth / 2 ? kFarDepth : kFieldDepth;
      for (const Spot& s : {kFarLight, kNearLight, kSharpLight}) {
        if (std::abs(x - s.x) <= kLightSide / 2 && std::abs(y - s.y) <= kLightSide / 2) value = lightValue, d = s.depth;
      }
      for (int c = 0; c < 3; ++c) colour->GetLine(y)[3 * x + c] = value;
      depth->GetLine(y)[x] = d;
    }
  }
  auto image = std::make_unique<CLayerBitmap>(std::move(colour));
  image->AddLayer(std::move(depth));
  return image;
}

// The field around the wall; the far and near lights blurred kBlur pixels.
DepthOfFieldSettings NightSettings() {
  DepthOfFieldSettings s;
  s.FieldNear = 9.0;
  s.FieldFar = 11.0;
  s.FrontMaxDepth = kNearDepth;
  s.BackMaxDepth = kFarDepth;
  s.SetAmounts(kBlur, kBlur);
  s.FilmWidth = 36.0;
  s.PixelScale = kWidth / 36.0;
  return s;
}

std::unique_ptr<CLayerBitmap> Render(const CLayerBitmap& image, const DepthOfFieldSettings& settings,
                                     DepthOfFieldOptions options = {}) {
  Diaph diaph;
  NoProgress unwatched;
  return DepthOfFieldRenderer(settings, options, diaph.GetPicture()).RenderFrame(image, 1, 1, unwatched);
}

// The red channel's sum over the square of the given half side around a spot.
double SumAround(const rgbFloatBitmap& colour, const Spot& s, int halfSide) {
  double sum = 0.0;
  for (int y = s.y - halfSide; y <= s.y + halfSide; ++y) {
    for (int x = s.x - halfSide; x <= s.x + halfSide; ++x) sum += colour.GetLine(y)[3 * x];
  }
  return sum;
}

// The mean of a byte picture's red channel over the pixels within `radius` of a spot.
double MeanWithin(const rgbBitmap& colour, const Spot& s, double radius) {
  double sum = 0.0;
  int count = 0;
  for (int y = 0; y < colour.GetHeight(); ++y) {
    for (int x = 0; x < colour.GetWidth(); ++x) {
      if (std::hypot(x - s.x, y - s.y) > radius) continue;
      sum += colour.GetLine(y)[3 * x];
      ++count;
    }
  }
  return sum / count;
}

// How far float values x 255 lie from bytes: the largest distance, the mean of float minus byte,
// the share of values more than two levels away and the share below the byte.
struct Deviation {
  double worst = 0.0;
  double meanExcess = 0.0;
  double beyondTwoLevels = 0.0;
  double below = 0.0;  // the share of float values below the byte
};

template <typename FloatImage, typename ByteImage>
Deviation Compare(const FloatImage& got, const ByteImage& expected) {
  Deviation d;
  const size_t n = got.GetValueCount();
  for (size_t i = 0; i < n; ++i) {
    const double excess = got.GetData()[i] * 255.0 - expected.GetData()[i];
    d.worst = std::max(d.worst, std::fabs(excess));
    d.beyondTwoLevels += std::fabs(excess) > 2.0 ? 1.0 : 0.0;
    d.below += excess < -1e-4 ? 1.0 : 0.0;
    d.meanExcess += excess;
  }
  d.beyondTwoLevels /= double(n);
  d.below /= double(n);
  d.meanExcess /= double(n);
  return d;
}

}  // namespace

TEST(FloatDepthOfField, LightsKeepTheirEnergyWhenBlurredAndTheirValueWhenSharp) {
  ScriptedUserInterface ui;
  const auto scene = NightScene();
  const auto result = Render(*scene, NightSettings());
  ASSERT_TRUE(result);
  const auto* in = scene->GetLayer<rgbFloatBitmap>();
  const auto* out = result->GetLayer<rgbFloatBitmap>();
  ASSERT_TRUE(out) << "a float frame renders to float colour";
  const double lightEnergy = kLight * kLightSide * kLightSide;
  for (const Spot& s : {kFarLight, kNearLight}) {
    SCOPED_TRACE(s.depth);
    const int reach = kBlur / 2 + 4;
    EXPECT_NEAR(SumAround(*out, s, reach), SumAround(*in, s, reach), 0.01 * lightEnergy);
    // Spread, not kept: the centre holds a small share of the light.
    EXPECT_LT(out->GetLine(s.y)[3 * s.x], kLight / 20);
  }
  EXPECT_NEAR(out->GetLine(kSharpLight.y)[3 * kSharpLight.x], kLight, kLight * 1e-6);
}

// A sun glint as renderers write it (near the largest half float): the dim wall of its rows keeps
// its value to a millionth; a pixel that is not a number, or infinite, spreads nothing that is.
TEST(FloatDepthOfField, AGlintLeavesTheDimPixelsOfItsRowsAsTheyAreAndNonNumbersDoNotSpread) {
  ScriptedUserInterface ui;
  constexpr float kGlint = 60000.0f;
  const auto scene = NightScene(kGlint);
  auto* colour = scene->GetLayer<rgbFloatBitmap>();
  colour->GetLine(10)[3 * 200] = std::numeric_limits<float>::quiet_NaN();
  colour->GetLine(12)[3 * 40 + 1] = std::numeric_limits<float>::infinity();
  const auto result = Render(*scene, NightSettings());
  ASSERT_TRUE(result);
  const auto* out = result->GetLayer<rgbFloatBitmap>();
  ASSERT_TRUE(out);
  for (size_t i = 0; i < out->GetValueCount(); ++i) {
    const float v = out->GetData()[i];
    ASSERT_TRUE(std::isfinite(v) && v >= 0.0f && v <= kGlint) << "value " << i << ": " << v;
  }
  // The wall in focus on the far glint's row and on the near one's, away from their discs.
  for (const Spot& s : {kFarLight, kNearLight}) {
    const int x = s.x < kWidth / 2 ? kWidth - 10 : kWidth / 2 + 5;
    EXPECT_NEAR(out->GetLine(s.y)[3 * x], kWall, kWall * 1e-6) << "row " << s.y;
  }
  const double energy = double(kGlint) * kLightSide * kLightSide;
  EXPECT_NEAR(SumAround(*out, kFarLight, kBlur / 2 + 4), SumAround(*colour, kFarLight, kBlur / 2 + 4), 0.01 * energy);
}

TEST(FloatDepthOfField, ABlurredLightIsABrightDiscOfTheDiaphsShapeInAnEightBitFile) {
  ScriptedUserInterface ui;
  TempFolder dir;
  const auto result = Render(*NightScene(), NightSettings());
  ASSERT_TRUE(result);
  WriteImage(dir.File("night.png"), *result);
  const auto png = ReadLayered(dir.File("night.png"));
  ASSERT_TRUE(png && png->GetLayer<rgbBitmap>());
  const rgbBitmap& bytes = *png->GetLayer<rgbBitmap>();
  const double radius = kBlur / 2.0;
  EXPECT_GE(MeanWithin(bytes, kFarLight, radius / 2), 200.0);
  // The disc's edge: bright inside, the dim wall's level well outside.
  EXPECT_GE(bytes.GetLine(kFarLight.y)[3 * int(kFarLight.x + 0.8 * radius)], 200);
  EXPECT_LE(bytes.GetLine(kFarLight.y)[3 * int(kFarLight.x + 1.3 * radius)], 80);
  EXPECT_LE(bytes.GetLine(int(kFarLight.y + 1.3 * radius))[3 * kFarLight.x], 80);
}

TEST(FloatDepthOfField, AConstantPictureStaysConstantAndAlphaWithIt) {
  ScriptedUserInterface ui;
  const auto scene = MakeDofScene(kWidth, kHeight, true);
  for (float value : {0.37f, 5000.0f}) {
    SCOPED_TRACE(value);
    CLayerBitmap image;
    auto colour = std::make_unique<rgbFloatBitmap>(kWidth, kHeight);
    auto alpha = std::make_unique<alphaFloatBitmap>(kWidth, kHeight);
    std::fill(colour->GetData(), colour->GetData() + colour->GetValueCount(), value);
    std::fill(alpha->GetData(), alpha->GetData() + alpha->GetValueCount(), 1.0f);
    image.AddLayer(std::move(colour));
    image.AddLayer(std::move(alpha));
    image.AddLayer(scene->GetLayer<depthBitmap>()->Copy());
    DepthOfFieldOptions options;
    options.ApplyOnAlpha = true;
    const auto result = Render(image, DofSceneSettings(image, 20, 30), options);
    ASSERT_TRUE(result);
    const auto* out = result->GetLayer<rgbFloatBitmap>();
    const auto* outAlpha = result->GetLayer<alphaFloatBitmap>();
    ASSERT_TRUE(out && outAlpha);
    double worst = 0.0, worstAlpha = 0.0;
    for (size_t i = 0; i < out->GetValueCount(); ++i) worst = std::max(worst, std::fabs(out->GetData()[i] / value - 1.0));
    for (size_t i = 0; i < outAlpha->GetValueCount(); ++i) {
      worstAlpha = std::max(worstAlpha, std::fabs(double(outAlpha->GetData()[i]) - 1.0));
    }
    EXPECT_LE(worst, 1e-5);
    EXPECT_LE(worstAlpha, 1e-5);
  }
}

TEST(FloatDepthOfField, FloatValuesWithinRangeRenderAsTheEightBitRendererRendersTheirBytes) {
  ScriptedUserInterface ui;
  for (bool withAlpha : {false, true}) {
    SCOPED_TRACE(withAlpha);
    const auto bytes = MakeDofScene(kWidth, kHeight, withAlpha);
    // The same numbers as floats: each byte over 255.
    CLayerBitmap floats;
    const rgbBitmap& colour = *bytes->GetLayer<rgbBitmap>();
    auto floatColour = std::make_unique<rgbFloatBitmap>(kWidth, kHeight);
    for (size_t i = 0; i < colour.GetValueCount(); ++i) floatColour->GetData()[i] = colour.GetData()[i] / 255.0f;
    floats.AddLayer(std::move(floatColour));
    floats.AddLayer(bytes->GetLayer<depthBitmap>()->Copy());
    if (withAlpha) floats.AddLayer(DecodeAlpha(*bytes->GetLayer<alphaBitmap>()));
    DepthOfFieldOptions options;
    options.ApplyOnAlpha = withAlpha;
    const DepthOfFieldSettings settings = DofSceneSettings(*bytes, 12, 25);
    const auto byteResult = Render(*bytes, settings, options);
    const auto floatResult = Render(floats, settings, options);
    ASSERT_TRUE(byteResult && floatResult);
    const auto* expected = byteResult->GetLayer<rgbBitmap>();
    const auto* got = floatResult->GetLayer<rgbFloatBitmap>();
    ASSERT_TRUE(expected && got);
    // The 8-bit renderer truncates each average and each blend toward zero; where slices blend
    // over one another those losses add up. So the float values are never below the bytes, lie
    // half a level above them on average, and rarely more than two.
    const Deviation colourDeviation = Compare(*got, *expected);
    EXPECT_EQ(colourDeviation.below, 0.0);
    EXPECT_LT(colourDeviation.meanExcess, 0.6);
    EXPECT_LE(colourDeviation.beyondTwoLevels, 0.002);
    EXPECT_LE(colourDeviation.worst, 3.0);
    if (withAlpha) {
      const auto* expectedAlpha = byteResult->GetLayer<alphaBitmap>();
      const auto* gotAlpha = floatResult->GetLayer<alphaFloatBitmap>();
      ASSERT_TRUE(expectedAlpha && gotAlpha);
      const Deviation alphaDeviation = Compare(*gotAlpha, *expectedAlpha);
      EXPECT_EQ(alphaDeviation.below, 0.0);
      EXPECT_LE(alphaDeviation.beyondTwoLevels, 0.002);
      EXPECT_LE(alphaDeviation.worst, 3.0);
    }
  }
}

TEST(FloatDepthOfField, HighlightsGiveAnEightBitPictureBrightDiscsAndAreOffByDefault) {
  ScriptedUserInterface ui;
  // The night scene as an 8-bit picture: the lights are white, the wall dim.
  const auto night = NightScene();
  auto bytes = EncodeFloatLayers(*night);
  DepthOfFieldSettings settings = NightSettings();
  ASSERT_FALSE(settings.HighlightsOn());
  const auto plain = Render(*bytes, settings);
  settings.HighlightGain = 60.0;
  const auto lifted = Render(*bytes, settings);
  ASSERT_TRUE(plain && lifted);
  ASSERT_TRUE(lifted->GetLayer<rgbBitmap>()) << "an 8-bit frame renders to 8 bits";
  const double radius = kBlur / 2.0;
  const double plainMean = MeanWithin(*plain->GetLayer<rgbBitmap>(), kFarLight, radius / 2);
  const double liftedMean = MeanWithin(*lifted->GetLayer<rgbBitmap>(), kFarLight, radius / 2);
  EXPECT_LT(plainMean, 120.0);
  EXPECT_GE(liftedMean, 200.0);
  // The dim wall in focus is below the threshold: untouched.
  const Spot wall{200, 140, kFieldDepth};
  EXPECT_NEAR(MeanWithin(*lifted->GetLayer<rgbBitmap>(), wall, 3), MeanWithin(*plain->GetLayer<rgbBitmap>(), wall, 3),
              1.0);
}

TEST(FloatDepthOfField, HighlightKeysAreStoredOnlyWhenSetAndSetKnowsThem) {
  DepthOfFieldSettings settings;
  CCustomData stored;
  settings.StoreRecord(stored);
  EXPECT_FALSE(stored.Has(FourCC("HLGN")));
  EXPECT_FALSE(stored.Has(FourCC("HLTH")));
  CCustomData every;
  settings.StoreEveryField(every);
  EXPECT_TRUE(every.Has(FourCC("HLGN")) && every.Has(FourCC("HLTH")));

  settings.HighlightGain = 12.5;
  settings.HighlightThreshold = 0.75;
  CCustomData set;
  settings.StoreRecord(set);
  DepthOfFieldSettings back;
  back.LoadRecord(set);
  EXPECT_EQ(back.HighlightGain, 12.5);
  EXPECT_EQ(back.HighlightThreshold, 0.75);
  // An older record, without the keys, reads as highlights off.
  DepthOfFieldSettings old;
  old.HighlightGain = 3.0;
  old.LoadRecord(stored);
  EXPECT_FALSE(old.HighlightsOn());
  // Out of range is refused as the panel would.
  back.HighlightGain = -1.0;
  EXPECT_NE(back.CheckValues().find("HLGN"), std::string::npos);
}
