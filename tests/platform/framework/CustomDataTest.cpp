#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"
#include "platform/framework/Preferences.h"

namespace {

CCustomData RoundTrip(CCustomData record) {
  CArchive out;
  record.Serialize(out);
  CArchive in(out.GetBytes());
  CCustomData read;
  read.Serialize(in);
  EXPECT_EQ(in.Remaining(), 0u);
  return read;
}

std::vector<uint8_t> Encode(CCustomData record) {
  CArchive out;
  record.Serialize(out);
  return out.GetBytes();
}

}  // namespace

TEST(CustomData, EveryTypeRoundTripsThroughAnArchive) {
  CCustomData record;
  record.SetBool(FourCC("FRNB"), 12345);  // a bool entry keeps the whole int
  record.SetInt(FourCC("NERB"), -15);
  record.SetUInt(FourCC("FXID"), 0xFFFFFFFFu);
  record.SetULong(FourCC("COLR"), 0x0000FFFFull);
  record.SetFloat(FourCC("ZMIN"), 0.1f);
  record.SetDouble(FourCC("DMIN"), 0.30000001192092896);
  record.SetString(FourCC("IPTH"), "../images/");
  record.SetStringArray(FourCC("FLNM"), {"shot0001.tga", "shot0002.tga", ""});

  CCustomData read = RoundTrip(record);
  EXPECT_EQ(read.Size(), 8u);
  EXPECT_EQ(read.GetBool(FourCC("FRNB"), 0), 12345);
  EXPECT_EQ(read.GetInt(FourCC("NERB"), 0), -15);
  EXPECT_EQ(read.GetUInt(FourCC("FXID"), 0), 0xFFFFFFFFu);
  EXPECT_EQ(read.GetULong(FourCC("COLR"), 0), 0x0000FFFFull);
  EXPECT_EQ(read.GetFloat(FourCC("ZMIN"), 0), 0.1f);
  EXPECT_EQ(read.GetDouble(FourCC("DMIN"), 0), 0.30000001192092896);
  EXPECT_EQ(read.GetString(FourCC("IPTH"), ""), "../images/");
  EXPECT_EQ(read.GetStringArray(FourCC("FLNM"), {}), (std::vector<std::string>{"shot0001.tga", "shot0002.tga", ""}));
  // Order of entries is the order of first setting.
  EXPECT_EQ(read.Entries()[0].key, FourCC("FRNB"));
  EXPECT_EQ(read.Entries()[7].key, FourCC("FLNM"));
}

TEST(CustomData, MissingKeysGiveDefaultsAndSettingAgainReplacesInPlace) {
  CCustomData record;
  EXPECT_EQ(record.GetUInt(FourCC("ZMDE"), 0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(record.GetString(FourCC("ZEXT"), ".qel"), ".qel");
  record.SetInt(FourCC("AAAA"), 1);
  record.SetInt(FourCC("BBBB"), 2);
  record.SetInt(FourCC("AAAA"), 3);
  ASSERT_EQ(record.Size(), 2u);
  EXPECT_EQ(record.Entries()[0].key, FourCC("AAAA"));
  EXPECT_EQ(record.GetInt(FourCC("AAAA"), 0), 3);
  // A string is not a number: the default comes back.
  record.SetString(FourCC("CCCC"), "12");
  EXPECT_EQ(record.GetInt(FourCC("CCCC"), -1), -1);
  // Numbers convert between widths.
  EXPECT_EQ(record.GetDouble(FourCC("BBBB"), 0), 2.0);
}

TEST(CustomData, MalformedRecordsAreArchiveErrors) {
  CCustomData record;
  record.SetString(FourCC("IPTH"), "folder");
  record.SetStringArray(FourCC("FLNM"), {"a", "b"});
  std::vector<uint8_t> good = Encode(record);

  // Every truncation of a valid record fails cleanly.
  for (size_t n = 0; n < good.size(); ++n) {
    CArchive in(std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
    CCustomData read;
    EXPECT_THROW(read.Serialize(in), ArchiveError) << "truncated at " << n;
  }

  auto corrupt = [&](size_t offset, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[offset] = value;
    CArchive in(bytes);
    CCustomData read;
    read.Serialize(in);
  };
  EXPECT_THROW(corrupt(0, 'X'), ArchiveError);      // not a record
  EXPECT_THROW(corrupt(4, 9), ArchiveError);        // unknown version
  EXPECT_THROW(corrupt(9, 0xFF), ArchiveError);     // entry count beyond the bytes left
  EXPECT_THROW(corrupt(14, 42), ArchiveError);      // unknown entry type
  EXPECT_THROW(corrupt(18, 0xFF), ArchiveError);    // string length beyond the bytes left
}

TEST(CustomData, PreferencesKeepRecordsPerApplicationAndSection) {
  CCustomData options;
  options.SetUInt(FourCC("FFRM"), 3);
  options.SetUInt(FourCC("FLST"), 9);
  options.SetFloat(FourCC("GAMM"), 0.37f);
  options.SetString(FourCC("NAME"), "take 2");
  ASSERT_TRUE(options.SaveToPrefs(FourCC("FOVD"), FourCC("RDRO")));

  CCustomData other;
  other.SetInt(FourCC("MODE"), 0);
  ASSERT_TRUE(other.SaveToPrefs(FourCC("FOVD"), FourCC("ZBUF")));

  CCustomData read;
  read.LoadFromPrefs(FourCC("FOVD"), FourCC("RDRO"));
  EXPECT_EQ(read.GetUInt(FourCC("FFRM"), 0), 3u);
  EXPECT_EQ(read.GetUInt(FourCC("FLST"), 0), 9u);
  EXPECT_EQ(read.GetFloat(FourCC("GAMM"), 0), 0.37f);
  EXPECT_EQ(read.GetString(FourCC("NAME"), ""), "take 2");
  EXPECT_FALSE(read.Has(FourCC("MODE")));

  CCustomData absent;
  absent.LoadFromPrefs(FourCC("FOVD"), FourCC("NONE"));
  EXPECT_EQ(absent.Size(), 0u);
}

TEST(CustomData, ACorruptPreferencesFileReadsAsDefaults) {
  std::filesystem::create_directories(Preferences::ConfigFolder());
  std::ofstream(Preferences::FilePath()) << "{ this is not json";
  CCustomData read;
  read.LoadFromPrefs(FourCC("FOVD"), FourCC("RDRO"));
  EXPECT_EQ(read.Size(), 0u);
  EXPECT_EQ(Preferences::GetValue("settings", "dir", "fallback"), "fallback");

  // Writing repairs it.
  CCustomData record;
  record.SetInt(FourCC("LINE"), 1);
  ASSERT_TRUE(record.SaveToPrefs(FourCC("FOVD"), FourCC("ZBFV")));
  read.LoadFromPrefs(FourCC("FOVD"), FourCC("ZBFV"));
  EXPECT_EQ(read.GetInt(FourCC("LINE"), 0), 1);
}

TEST(CustomData, NumbersBeyondTheAskedTypeGiveTheDefault) {
  CCustomData record;
  record.SetDouble(FourCC("HUGE"), 1e300);
  record.SetDouble(FourCC("NOTN"), std::nan(""));
  record.SetFloat(FourCC("MINF"), -INFINITY);
  record.SetDouble(FourCC("FITS"), -3.9);
  EXPECT_EQ(record.GetInt(FourCC("HUGE"), 7), 7);
  EXPECT_EQ(record.GetUInt(FourCC("HUGE"), 7u), 7u);
  EXPECT_EQ(record.GetULong(FourCC("HUGE"), 7u), 7u);
  EXPECT_EQ(record.GetFloat(FourCC("HUGE"), 7.0f), 7.0f);
  EXPECT_EQ(record.GetInt(FourCC("NOTN"), 7), 7);
  EXPECT_EQ(record.GetBool(FourCC("MINF"), 7), 7);
  EXPECT_EQ(record.GetUInt(FourCC("FITS"), 7u), 7u);  // no negative unsigned value
  EXPECT_EQ(record.GetInt(FourCC("FITS"), 7), -3);    // truncated toward zero
  EXPECT_EQ(record.GetFloat(FourCC("MINF"), 0.0f), -INFINITY);
}

TEST(CustomData, PreferencesOutOfRangeOrNotUtf8AreLeftOutNeverThrown) {
  std::filesystem::create_directories(Preferences::ConfigFolder());
  std::ofstream(Preferences::FilePath()) << R"({"records": {"FOVD.RDRO": {
      "FFRM": {"type": "uint", "value": -4}, "FLST": {"type": "int", "value": 1e300},
      "RNDM": {"type": "uint", "value": 99999999999}, "GAMM": {"type": "float", "value": 1e300},
      "GOOD": {"type": "int", "value": 12}}}})";
  CCustomData read;
  read.LoadFromPrefs(FourCC("FOVD"), FourCC("RDRO"));
  EXPECT_EQ(read.GetUInt(FourCC("FFRM"), 5u), 5u);
  EXPECT_EQ(read.GetInt(FourCC("FLST"), 5), 5);
  EXPECT_EQ(read.GetUInt(FourCC("RNDM"), 2u), 2u);
  EXPECT_EQ(read.GetFloat(FourCC("GAMM"), 0.5f), 0.5f);
  EXPECT_EQ(read.GetInt(FourCC("GOOD"), 0), 12);

  // A name that is not UTF-8 cannot be stored as it is: it is left out, the rest is saved.
  const std::string latin1 = "/shots/caf\xe9.fvz";
  CCustomData record;
  record.SetString(FourCC("DPAT"), latin1);
  record.SetInt(FourCC("LINE"), 3);
  ASSERT_TRUE(record.SaveToPrefs(FourCC("FOVD"), FourCC("ZBFV")));
  read.LoadFromPrefs(FourCC("FOVD"), FourCC("ZBFV"));
  EXPECT_FALSE(read.Has(FourCC("DPAT")));
  EXPECT_EQ(read.GetInt(FourCC("LINE"), 0), 3);
  EXPECT_FALSE(Preferences::AddRecentFile(latin1));
  EXPECT_TRUE(Preferences::AddRecentFile("/shots/café.fvz"));
  EXPECT_EQ(Preferences::GetRecentFiles().front(), "/shots/café.fvz");
}
