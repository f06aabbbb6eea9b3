// Each colour filter's pass (its law in vector form over the opaque runs) against its law
// applied pixel by pixel, byte for byte, on a noise image with alpha and with depths on and
// around every bound of the laws, on every instruction set of the vector code this processor
// runs.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

#include "FilterImages.h"
#include "filters/RowPass.h"
#include "filters/atmosphere/AtmosphereLaw.h"
#include "filters/atmosphere/AtmosphericPerspectivePixels.h"
#include "filters/zone/ZHuePixels.h"
#include "filters/zone/ZHueLaw.h"
#include "filters/zone/ZLuminancePixels.h"
#include "filters/zone/ZSaturationPixels.h"
#include "filters/zone/ZoneRampLaw.h"

namespace {

constexpr float kZoneNear = 8.0f;
constexpr float kZoneFar = 12.0f;
constexpr float kForegroundPoint = 3.0f;
constexpr float kBackgroundPoint = 18.0f;
constexpr float kFogStart = 6.0f;

// Noise colours over a depth ramp (FilterImages.h), with: alpha in long opaque runs, runs of
// transparent pixels and single translucent ones; greys and pure colours; and depths exactly on
// the laws' bounds, a float step either side, and NaN and infinity.
CLayerBitmap MakeTestImage(int width, int height, unsigned seed) {
  CLayerBitmap image = MakeNoiseImage(width, height, seed);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, 999);
  auto alpha = std::make_unique<alphaBitmap>(width, height);
  float* depth = image.GetLayer<depthBitmap>()->GetData();
  uint8_t* colour = image.GetLayer<rgbBitmap>()->GetData();
  const float bounds[] = {kZoneNear, kZoneFar, kForegroundPoint, kBackgroundPoint, kFogStart, 1.0f, 21.0f};
  for (int i = 0; i < width * height; ++i) {
    const int x = i % width;
    const int r = pick(random);
    // Opaque runs of 40 pixels, transparent runs of 7, translucent pixels between.
    alpha->GetData()[i] = x % 60 < 40 ? 255 : (x % 60 < 47 ? 0 : uint8_t(1 + r % 254));
    if (r < 60) {
      const float b = bounds[r % 7];
      depth[i] = r % 3 == 0 ? b : std::nextafter(b, r % 3 == 1 ? 0.0f : 99.0f);
    } else if (r < 62) {
      depth[i] = std::numeric_limits<float>::quiet_NaN();
    } else if (r < 64) {
      depth[i] = std::numeric_limits<float>::infinity();
    } else if (r < 80) {
      const uint8_t v = uint8_t(r * 7);
      colour[3 * i] = colour[3 * i + 1] = colour[3 * i + 2] = v;  // grey
    } else if (r < 90) {
      colour[3 * i] = 255, colour[3 * i + 1] = 0, colour[3 * i + 2] = uint8_t(r);
    }
    // Premultiplied colour never exceeds its alpha.
    for (int c = 0; c < 3; ++c) colour[3 * i + c] = uint8_t(colour[3 * i + c] * alpha->GetData()[i] / 255);
  }
  image.AddLayer(std::move(alpha));
  return image;
}

std::vector<Rgb> ByPixel(const CLayerBitmap& image, const auto& law) {
  rgbBitmap destination(image.GetWidth(), image.GetHeight());
  NoProgress unwatched;
  EXPECT_TRUE(RunPixelPass(image, destination, unwatched, law));
  return PixelsOf(destination);
}

// Where two results first differ, or "".
std::string FirstDifference(const std::vector<Rgb>& expected, const std::vector<Rgb>& actual, int width) {
  if (expected.size() != actual.size()) return "sizes differ";
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      return "pixel (" + std::to_string(i % size_t(width)) + ", " + std::to_string(i / size_t(width)) + ")";
    }
  }
  return "";
}

template <typename Settings>
Settings ZoneSettingsForTest() {
  Settings s;
  s.ForegroundPoint = kForegroundPoint;
  s.ZoneNear = kZoneNear;
  s.ZoneFar = kZoneFar;
  s.BackgroundPoint = kBackgroundPoint;
  return s;
}

// Every filter with every option, on images of several widths (one narrower than any vector).
void ExpectEveryFilterMatchesItsLaw() {
  for (int width : {301, 5}) {
    const CLayerBitmap image = MakeTestImage(width, 37, unsigned(width));
    for (int bits = 0; bits < 8; ++bits) {
      ZoneOptions options;
      options.InvertZone = bits & 1;
      options.RaiseForeground = bits & 2;
      options.RaiseBackground = bits & 4;
      const std::string what = "width " + std::to_string(width) + ", options " + std::to_string(bits);
      const auto saturation = ZoneSettingsForTest<ZSaturationSettings>();
      const ZoneRampLaw saturationLaw(saturation, options);
      EXPECT_EQ(FirstDifference(ByPixel(image,
                                        [&](const uint8_t* in, float d, uint8_t* out) {
                                          saturationLaw.Apply<HslComponent::Saturation>(in, d, out);
                                        }),
                                Filter(saturation, options, image), width),
                "")
          << "Z Saturation, " << what;
      const auto luminance = ZoneSettingsForTest<ZLuminanceSettings>();
      const ZoneRampLaw luminanceLaw(luminance, options);
      EXPECT_EQ(FirstDifference(ByPixel(image,
                                        [&](const uint8_t* in, float d, uint8_t* out) {
                                          luminanceLaw.Apply<HslComponent::Lightness>(in, d, out);
                                        }),
                                Filter(luminance, options, image), width),
                "")
          << "Z Luminance, " << what;
    }
    for (bool invert : {false, true}) {
      auto hue = ZoneSettingsForTest<ZHueSettings>();
      hue.Colour = CRGBColor(40, 90, 230);
      ZHueOptions options;
      options.InvertZone = invert;
      EXPECT_EQ(FirstDifference(ByPixel(image, ZHueLaw(hue, options)), Filter(hue, options, image), width), "")
          << "Z Hue, width " << width << (invert ? ", inverted" : "");
    }
    // Fog: powers below and above 1, a flat curve, the foreground ramp, a ramp of length 0.
    const depthBitmap& depth = *image.GetLayer<depthBitmap>();
    struct Fog {
      float density, nearIntensity, farIntensity, start;
      bool inForeground;
    };
    const Fog fogs[] = {{0.5f, 0.0f, 1.0f, kFogStart, false},  {2.7f, 0.1f, 0.9f, kFogStart, false},
                        {0.13f, 1.0f, 0.2f, kFogStart, true},  {1.0f, 0.4f, 0.4f, kFogStart, false},
                        {0.8f, 0.0f, 1.0f, depth.GetMaxDepth(), false}};
    for (const Fog& f : fogs) {
      AtmosphericPerspectiveSettings fog;
      fog.Density = f.density;
      fog.NearIntensity = f.nearIntensity;
      fog.FarIntensity = f.farIntensity;
      fog.StartDepth = f.start;
      fog.Colour = CRGBColor(180, 200, 255);
      AtmosphericPerspectiveOptions options;
      options.InForeground = f.inForeground;
      const AtmosphereLaw law(fog, f.inForeground, depth.GetMinDepth(), depth.GetMaxDepth());
      EXPECT_EQ(FirstDifference(ByPixel(image, law), Filter(fog, options, image), width), "")
          << "fog of density " << f.density << ", width " << width;
    }
  }
}

}  // namespace

TEST(VectorLaws, EveryFilterGivesItsLawsBytesOnEveryInstructionSet) {
  const std::vector<int64_t> targets = hwy::SupportedAndGeneratedTargets();
  EXPECT_GE(targets.size(), 2u);
  for (int64_t target : targets) {
    hwy::SetSupportedTargetsForTest(target);
    SCOPED_TRACE(hwy::TargetName(target));
    ExpectEveryFilterMatchesItsLaw();
  }
  hwy::SetSupportedTargetsForTest(0);
}

// The fog's vector form decides most additions from a float approximation of the power: over
// many depths along the ramp, steep and shallow curves, and colours whose products land near
// whole numbers, every byte must still be the law's.
TEST(VectorLaws, FogGivesItsLawsBytesAlongTheWholeRamp) {
  const CLayerBitmap image = MakeNoiseImage(509, 263, 7u);
  const depthBitmap& depth = *image.GetLayer<depthBitmap>();
  const std::vector<int64_t> targets = hwy::SupportedAndGeneratedTargets();
  for (int64_t target : targets) {
    hwy::SetSupportedTargetsForTest(target);
    SCOPED_TRACE(hwy::TargetName(target));
    for (float density : {0.05f, 0.5f, 1.0f, 3.0f, 12.0f}) {
      for (const CRGBColor& colour : {CRGBColor(255, 255, 255), CRGBColor(1, 128, 254)}) {
        AtmosphericPerspectiveSettings fog;
        fog.Density = density;
        fog.NearIntensity = 0.05f;
        fog.FarIntensity = 0.95f;
        fog.StartDepth = 2.0f;
        fog.Colour = colour;
        const AtmosphereLaw law(fog, false, depth.GetMinDepth(), depth.GetMaxDepth());
        EXPECT_EQ(FirstDifference(ByPixel(image, law), Filter(fog, AtmosphericPerspectiveOptions{}, image), 509), "")
            << "density " << density << ", colour " << int(colour.Green());
      }
    }
  }
  hwy::SetSupportedTargetsForTest(0);
}
