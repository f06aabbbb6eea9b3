// Atmospheric perspective: the law, the slider mappings and the settings records.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "FilterImages.h"
#include "filters/atmosphere/AtmosphereSliders.h"
#include "filters/atmosphere/AtmosphericPerspectivePixels.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace {

const Rgb kDim = {10, 50, 100};

AtmosphericPerspectiveSettings StartingAt(float startDepth) {
  AtmosphericPerspectiveSettings s;  // white, intensities 0 to 1, density 0.5
  s.StartDepth = startDepth;
  return s;
}

AtmosphericPerspectiveOptions Foreground() {
  AtmosphericPerspectiveOptions o;
  o.InForeground = true;
  return o;
}

Rgb Plus(const Rgb& p, int added) {
  Rgb out;
  for (int c = 0; c < 3; ++c) out[c] = uint8_t(std::min(255, p[c] + added));
  return out;
}

}  // namespace

TEST(AtmosphereLaw, AddsTheColourAlongThePowerCurveBehindTheStartDepth) {
  // Depth range 20..100, start 20: ramp of 80, halfway at 60.
  const auto image = MakeRowImage(kDim, {20.0f, 100.0f, 60.0f, 19.0f});
  const auto out = Filter(StartingAt(20.0f), AtmosphericPerspectiveOptions{}, image);
  EXPECT_EQ(out[0], kDim);                    // NearIntensity 0 at the start depth
  EXPECT_EQ(out[1], (Rgb{255, 255, 255}));    // full intensity at the far end
  EXPECT_EQ(out[2], Plus(kDim, 180));         // trunc(255 x 0.5^0.5)
  EXPECT_EQ(out[3], kDim);                    // in front of the start depth
}

TEST(AtmosphereLaw, ForegroundModeRampsTowardTheNearestDepth) {
  const auto image = MakeRowImage(kDim, {20.0f, 40.0f, 60.0f, 80.0f});
  auto settings = StartingAt(60.0f);
  settings.NearIntensity = 0.2f;
  const auto out = Filter(settings, Foreground(), image);
  EXPECT_EQ(out[0], (Rgb{255, 255, 255}));
  EXPECT_EQ(out[1], Plus(kDim, int(255 * (0.2 + 0.8 * std::sqrt(0.5)))));
  EXPECT_EQ(out[2], Plus(kDim, int(255 * double(0.2f))));  // the start depth gets NearIntensity
  EXPECT_EQ(out[3], kDim);
}

TEST(AtmosphereLaw, ZeroLengthRampCopiesThePixelsAtTheStartDepth) {
  auto settings = StartingAt(100.0f);
  settings.NearIntensity = 0.5f;
  const auto image = MakeRowImage(kDim, {20.0f, 100.0f, 100.0f});
  const auto out = Filter(settings, AtmosphericPerspectiveOptions{}, image);
  for (const Rgb& p : out) EXPECT_EQ(p, kDim);
}

TEST(AtmosphereLaw, EqualIntensitiesAddAConstantColourAndBlackAddsNothing) {
  auto settings = StartingAt(20.0f);
  settings.NearIntensity = 0.4f;
  settings.FarIntensity = 0.4f;
  settings.Density = 3.0f;
  settings.Colour = CRGBColor(200, 100, 0);
  const std::vector<float> depths = {20.0f, 35.0f, 77.0f, 100.0f, 1e10f};
  const auto out = Filter(settings, AtmosphericPerspectiveOptions{}, MakeRowImage(kDim, depths));
  for (const Rgb& p : out) EXPECT_EQ(p, (Rgb{90, 90, 100}));

  settings = StartingAt(20.0f);
  settings.Colour = CRGBColor(0, 0, 0);
  const auto image = MakeNoiseImage(40, 5, 3);
  rgbBitmap source = *BitmapCast<rgbBitmap>(image.GetLayerByType(kRgbBitmap));
  EXPECT_EQ(Filter(settings, AtmosphericPerspectiveOptions{}, image), PixelsOf(source));
}

TEST(AtmosphereLaw, BackgroundPixelsNeverGetDarkerNorCaughtByAStartBeyondTheRange) {
  // Intensity falling from 1 to 0.5: the curve extended to a background pixel far behind the
  // range would be hugely negative; a colour is only ever added.
  auto falling = StartingAt(20.0f);
  falling.NearIntensity = 1.0f;
  falling.FarIntensity = 0.5f;
  const auto image = MakeRowImage(kDim, {20.0f, 100.0f, 1e10f});
  const auto out = Filter(falling, AtmosphericPerspectiveOptions{}, image);
  EXPECT_EQ(out[0], (Rgb{255, 255, 255}));
  EXPECT_EQ(out[1], Plus(kDim, 127));
  EXPECT_EQ(out[2], kDim);

  // A start behind the farthest object affects no pixel, the background included, even when
  // an even density would square away the negative position.
  auto beyond = StartingAt(150.0f);
  beyond.Density = 2.0f;
  for (const Rgb& p : Filter(beyond, AtmosphericPerspectiveOptions{}, image)) EXPECT_EQ(p, kDim);
}

TEST(AtmosphereSliders, DensityMapsBothWaysAtEveryPosition) {
  EXPECT_EQ(DensityFromSliderPosition(76), 0.5f);
  EXPECT_EQ(DensityFromSliderPosition(45), 2.0f);
  EXPECT_EQ(DensityFromSliderPosition(51), 1.0f);
  EXPECT_EQ(DensityFromSliderPosition(1), 10.0f);
  EXPECT_EQ(DensityFromSliderPosition(100), 0.02f);
  EXPECT_EQ(SliderPositionFromDensity(0.5f), 76);
  EXPECT_EQ(SliderPositionFromDensity(2.0f), 45);
  for (int p = 1; p <= 100; ++p) EXPECT_EQ(SliderPositionFromDensity(DensityFromSliderPosition(p)), p) << p;
  // Densities from elsewhere stay on the slider.
  EXPECT_EQ(SliderPositionFromDensity(50.0f), 1);
  EXPECT_EQ(SliderPositionFromDensity(0.0f), 100);
}

TEST(AtmosphereSliders, IntensityPositionsComeBackUnchanged) {
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(SliderPositionFromIntensity(IntensityFromSliderPosition(p)), p) << p;
  EXPECT_EQ(SliderPositionFromIntensity(0.567f), 56);  // truncated, not rounded
  EXPECT_EQ(SliderPositionFromIntensity(1.5f), 100);
  EXPECT_EQ(SliderPositionFromIntensity(-0.2f), 0);
}

TEST(AtmosphereSettings, ResetBlendRecordsAndDepthPick) {
  AtmosphericPerspectiveSettings settings;
  settings.Density = 3.0f;
  settings.Colour = CRGBColor(1, 2, 3);
  settings.Reset(MakeRowImage(Rgb{}, {10.0f, 30.0f, 50.0f}));
  EXPECT_EQ(settings.GetFrameNumber(), 0);
  EXPECT_FLOAT_EQ(settings.StartDepth, 20.0f);
  EXPECT_EQ(settings.Density, 0.5f);
  EXPECT_EQ(settings.NearIntensity, 0.0f);
  EXPECT_EQ(settings.FarIntensity, 1.0f);
  EXPECT_EQ(settings.Colour, CRGBColor(255, 255, 255));

  AtmosphericPerspectiveSettings later;
  later.Density = 1.5f;
  later.StartDepth = 40.0f;
  later.Colour = CRGBColor(55, 0, 255);
  AtmosphericPerspectiveSettings blend;
  blend.Interpolate(nullptr, settings, later, 0.5);
  EXPECT_FLOAT_EQ(blend.Density, 1.0f);
  EXPECT_FLOAT_EQ(blend.StartDepth, 30.0f);
  EXPECT_EQ(blend.Colour, CRGBColor(155, 127, 255));  // each channel's sum truncated once

  CCustomData record;
  later.StoreRecord(record);
  std::vector<uint32_t> keys;
  for (const auto& entry : record.Entries()) keys.push_back(entry.key);
  EXPECT_EQ(keys, (std::vector<uint32_t>{FourCC("ZFOG"), FourCC("DENS"), FourCC("NEAR"), FourCC("FARI"),
                                         FourCC("COLR")}));
  EXPECT_EQ(record.GetULong(FourCC("COLR"), 0), 0x00FF0037u);

  later.SetFrameNumber(9);
  later.NearIntensity = 0.25f;
  CArchive out;
  later.Serialize(out);
  CArchive in(out.GetBytes());
  AtmosphericPerspectiveSettings read;
  read.Serialize(in);
  EXPECT_EQ(read.GetFrameNumber(), 9);
  EXPECT_EQ(read.StartDepth, 40.0f);
  EXPECT_EQ(read.Density, 1.5f);
  EXPECT_EQ(read.NearIntensity, 0.25f);
  EXPECT_EQ(read.Colour, later.Colour);

  AtmosphericPerspectiveSettings fromEmpty;
  fromEmpty.Density = 7.0f;
  fromEmpty.Colour = CRGBColor(0, 0, 0);
  fromEmpty.LoadRecord(CCustomData{});
  EXPECT_EQ(fromEmpty.Density, 0.5f);
  EXPECT_EQ(fromEmpty.StartDepth, 0.0f);
  EXPECT_EQ(fromEmpty.FarIntensity, 1.0f);
  EXPECT_EQ(fromEmpty.Colour, CRGBColor(255, 255, 255));

  ApplyAtmospherePointPick(read, 12.75);
  EXPECT_EQ(read.StartDepth, 12.75f);
}

TEST(AtmosphereOptions, OnlyInForegroundIsRecorded) {
  AtmosphericPerspectiveOptions options;
  options.InForeground = true;
  CArchive out;
  options.Serialize(out);
  CArchive in(out.GetBytes());
  CCustomData record;
  record.Serialize(in);
  ASSERT_EQ(record.Size(), 1u);
  EXPECT_EQ(record.GetBool(FourCC("FORE"), 0), 1);
  AtmosphericPerspectiveOptions read;
  read.LoadRecord(record);
  EXPECT_TRUE(read.InForeground);
  read.LoadRecord(CCustomData{});
  EXPECT_FALSE(read.InForeground);
}
