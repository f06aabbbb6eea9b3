// Zone filter settings: reset from the depth range, blending, records, options and the
// exchange with the depth tools.

#include <gtest/gtest.h>

#include "FilterImages.h"
#include "filters/zone/ZHueSettings.h"
#include "filters/zone/ZLuminanceSettings.h"
#include "filters/zone/ZSaturationSettings.h"
#include "filters/zone/ZoneDepthTools.h"
#include "filters/zone/ZoneOptions.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace {

// Writes with Serialize and reads back into a fresh object of the same type.
template <typename Settings>
Settings RoundTrip(Settings& stored) {
  CArchive out;
  stored.Serialize(out);
  CArchive in(out.GetBytes());
  Settings read;
  read.Serialize(in);
  EXPECT_EQ(in.Remaining(), 0u);
  return read;
}

// An archive holding a base record and an empty record of the type's own.
template <typename Settings>
Settings ReadFromEmptyRecord() {
  CArchive out;
  CCustomData base;
  base.SetBool(FourCC("FRNB"), 3);
  base.Serialize(out);
  CCustomData empty;
  empty.Serialize(out);
  CArchive in(out.GetBytes());
  Settings read;
  read.Serialize(in);
  return read;
}

std::vector<uint32_t> KeysOf(const CCustomData& record) {
  std::vector<uint32_t> keys;
  for (const auto& entry : record.Entries()) keys.push_back(entry.key);
  return keys;
}

}  // namespace

TEST(ZoneSettings, ResetFollowsTheDepthRangeAndKeepsTheZoneNearTheNearestObjects) {
  ZSaturationSettings deep;
  deep.SetFrameNumber(12);
  deep.Reset(MakeRowImage(Rgb{}, {1.0f, 50.0f, 100.0f}));
  EXPECT_EQ(deep.GetFrameNumber(), 0);
  EXPECT_FLOAT_EQ(deep.ForegroundPoint, 1.4f);
  EXPECT_FLOAT_EQ(deep.ZoneNear, 2.0f);
  EXPECT_FLOAT_EQ(deep.ZoneFar, 4.0f);
  EXPECT_FLOAT_EQ(deep.BackgroundPoint, 90.0f);

  ZHueSettings shallow;
  shallow.Colour = CRGBColor(1, 2, 3);
  shallow.Reset(MakeRowImage(Rgb{}, {20.0f, 10.0f, 15.0f, 1e10f}));  // the background pixel does not count
  EXPECT_FLOAT_EQ(shallow.ForegroundPoint, 11.0f);
  EXPECT_FLOAT_EQ(shallow.ZoneNear, 12.5f);
  EXPECT_FLOAT_EQ(shallow.ZoneFar, 17.5f);
  EXPECT_FLOAT_EQ(shallow.BackgroundPoint, 18.0f);
  EXPECT_EQ(shallow.Colour, CRGBColor(255, 255, 0));
}

TEST(ZoneSettings, InterpolateBlendsEveryFieldAndCloneCopiesThem) {
  ZLuminanceSettings a, b, out;
  a.ForegroundPoint = 1.0f;
  a.ZoneNear = 2.0f;
  a.ZoneFar = 4.0f;
  a.BackgroundPoint = 8.0f;
  b.ForegroundPoint = 3.0f;
  b.ZoneNear = 6.0f;
  b.ZoneFar = 8.0f;
  b.BackgroundPoint = 16.0f;
  out.Interpolate(nullptr, a, b, 0.25);
  EXPECT_FLOAT_EQ(out.ForegroundPoint, 1.5f);
  EXPECT_FLOAT_EQ(out.ZoneNear, 3.0f);
  EXPECT_FLOAT_EQ(out.ZoneFar, 5.0f);
  EXPECT_FLOAT_EQ(out.BackgroundPoint, 10.0f);

  ZHueSettings red, green, hue;
  red.Colour = CRGBColor(200, 0, 0);
  green.Colour = CRGBColor(0, 100, 0);
  hue.Interpolate(nullptr, red, green, 0.5);
  EXPECT_EQ(hue.Colour, CRGBColor(100, 50, 0));
  hue.Interpolate(nullptr, red, green, 1.0);
  EXPECT_EQ(hue.Colour, green.Colour);

  red.SetFrameNumber(4);
  red.ZoneFar = 7.5f;
  auto clone = red.Clone();
  auto* copy = dynamic_cast<ZHueSettings*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetFrameNumber(), -1);
  EXPECT_EQ(copy->GetTypeCode(), FourCC("ZHUE"));
  EXPECT_FLOAT_EQ(copy->ZoneFar, 7.5f);
  EXPECT_EQ(copy->Colour, red.Colour);
}

TEST(ZoneSettings, RecordsUseTheirKeysInOrderAndSurviveTheArchive) {
  ZSaturationSettings saturation;
  CCustomData record;
  saturation.StoreRecord(record);
  EXPECT_EQ(KeysOf(record), (std::vector<uint32_t>{FourCC("ZMIN"), FourCC("ZMAX"), FourCC("SMIN"), FourCC("SMAX")}));

  ZLuminanceSettings luminance;
  luminance.SetFrameNumber(250);
  luminance.ForegroundPoint = 0.5f;
  luminance.ZoneNear = 1.25f;
  luminance.ZoneFar = 3.75f;
  luminance.BackgroundPoint = 1e6f;
  CCustomData lumRecord;
  luminance.StoreRecord(lumRecord);
  EXPECT_EQ(KeysOf(lumRecord), (std::vector<uint32_t>{FourCC("ZMIN"), FourCC("ZMAX"), FourCC("LMIN"), FourCC("LMAX")}));
  const ZLuminanceSettings readLum = RoundTrip(luminance);
  EXPECT_EQ(readLum.GetFrameNumber(), 250);
  EXPECT_EQ(readLum.ForegroundPoint, 0.5f);
  EXPECT_EQ(readLum.ZoneNear, 1.25f);
  EXPECT_EQ(readLum.ZoneFar, 3.75f);
  EXPECT_EQ(readLum.BackgroundPoint, 1e6f);

  ZHueSettings hue;
  hue.ForegroundPoint = 2.0f;
  hue.Colour = CRGBColor(0x12, 0x34, 0x56);
  CCustomData hueRecord;
  hue.StoreRecord(hueRecord);
  EXPECT_EQ(KeysOf(hueRecord), (std::vector<uint32_t>{FourCC("ZMIN"), FourCC("ZMAX"), FourCC("HMIN"), FourCC("HMAX"),
                                                      FourCC("COLR")}));
  EXPECT_EQ(hueRecord.GetULong(FourCC("COLR"), 0), 0x00563412u);
  const ZHueSettings readHue = RoundTrip(hue);
  EXPECT_EQ(readHue.Colour, hue.Colour);
  EXPECT_EQ(readHue.ForegroundPoint, 2.0f);
}

TEST(ZoneSettings, MissingKeysReadAsTheirDefaults) {
  const auto saturation = ReadFromEmptyRecord<ZSaturationSettings>();
  EXPECT_EQ(saturation.GetFrameNumber(), 3);
  EXPECT_EQ(saturation.ForegroundPoint, 0.0f);
  EXPECT_EQ(saturation.ZoneNear, 0.0f);
  EXPECT_EQ(saturation.ZoneFar, 1.0f);
  EXPECT_EQ(saturation.BackgroundPoint, 1.0f);
  const auto hue = ReadFromEmptyRecord<ZHueSettings>();
  EXPECT_EQ(hue.Colour, CRGBColor(255, 255, 0));
  EXPECT_EQ(hue.BackgroundPoint, 1.0f);
}

TEST(ZoneOptions, RecordsHoldTheFilterOwnOptionsAndMissingOnesAreOff) {
  ZoneOptions options;
  options.RaiseForeground = true;
  CCustomData record;
  options.StoreRecord(record);
  EXPECT_EQ(KeysOf(record), (std::vector<uint32_t>{FourCC("INVE"), FourCC("BACK"), FourCC("FORE")}));

  CArchive out;
  options.Serialize(out);
  CArchive in(out.GetBytes());
  ZoneOptions read;
  read.InvertZone = true;
  read.Serialize(in);
  EXPECT_FALSE(read.InvertZone);
  EXPECT_FALSE(read.RaiseBackground);
  EXPECT_TRUE(read.RaiseForeground);

  ZHueOptions hue;
  hue.InvertZone = true;
  CCustomData hueRecord;
  hue.StoreRecord(hueRecord);
  EXPECT_EQ(KeysOf(hueRecord), (std::vector<uint32_t>{FourCC("INVE")}));
  ZoneOptions fromHue;
  fromHue.RaiseBackground = true;
  fromHue.LoadRecord(hueRecord);
  EXPECT_TRUE(fromHue.InvertZone);
  EXPECT_FALSE(fromHue.RaiseBackground);  // absent key: off
}

TEST(ZoneDepthTools, IntervalPickBecomesTheZoneAndPushesThePointsOut) {
  ZSaturationSettings settings;
  settings.ForegroundPoint = 3.0f;
  settings.ZoneNear = 3.2f;
  settings.ZoneFar = 3.8f;
  settings.BackgroundPoint = 4.0f;
  const DepthIntervalPick handed = ZoneIntervalForTool(settings);
  EXPECT_DOUBLE_EQ(handed.first, 3.2f);
  EXPECT_DOUBLE_EQ(handed.second, 3.8f);

  ApplyZoneIntervalPick(settings, {2.0, 5.0});
  EXPECT_EQ(settings.ZoneNear, 2.0f);
  EXPECT_EQ(settings.ZoneFar, 5.0f);
  EXPECT_EQ(settings.ForegroundPoint, 2.0f);
  EXPECT_EQ(settings.BackgroundPoint, 5.0f);

  // Points already outside the new zone stay where they are.
  ApplyZoneIntervalPick(settings, {2.5, 4.5});
  EXPECT_EQ(settings.ForegroundPoint, 2.0f);
  EXPECT_EQ(settings.BackgroundPoint, 5.0f);
}

TEST(ZoneDepthTools, PointPicksSetThePointOfTheirMode) {
  ZHueSettings settings;
  settings.ZoneNear = 2.0f;
  settings.ZoneFar = 4.0f;
  EXPECT_EQ(ZoneReferenceDepthForTool(settings, kZoneBackgroundPointMode), 4.0);
  EXPECT_EQ(ZoneReferenceDepthForTool(settings, kZoneForegroundPointMode), 2.0);
  EXPECT_EQ(ZoneReferenceDepthForTool(settings, 1), 2.0);

  ApplyZonePointPick(settings, kZoneBackgroundPointMode, 9.5);
  ApplyZonePointPick(settings, kZoneForegroundPointMode, 0.5);
  ApplyZonePointPick(settings, 1, 3.0);
  EXPECT_EQ(settings.BackgroundPoint, 9.5f);
  EXPECT_EQ(settings.ForegroundPoint, 0.5f);
  EXPECT_EQ(settings.ZoneNear, 2.0f);
  EXPECT_EQ(settings.ZoneFar, 4.0f);
}
