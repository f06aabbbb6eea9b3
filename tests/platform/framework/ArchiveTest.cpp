#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "platform/framework/Archive.h"
#include "platform/framework/FourCC.h"
#include "support/TempFolder.h"

TEST(FourCC, FirstCharacterIsTheMostSignificantByte) {
  EXPECT_EQ(FourCC("ZOOM"), 0x5A4F4F4Du);
  EXPECT_EQ(FourCC("RLA "), 0x524C4120u);
  EXPECT_EQ(FourCCToString(0x46584445u), "FXDE");
  EXPECT_EQ(FourCCFromString("DOFF"), FourCC("DOFF"));
  EXPECT_FALSE(FourCCFromString("TOOLONG").has_value());
  EXPECT_FALSE(FourCCFromString("abc").has_value());
}

TEST(Archive, EveryPrimitiveRoundTripsLittleEndian) {
  CArchive out;
  out.WriteU8(0xAB);
  out.WriteU16(0x1234);
  out.WriteU32(0xDEADBEEF);
  out.WriteU64(0x0102030405060708ull);
  out.WriteI32(-7);
  out.WriteF32(-1.5f);
  out.WriteF64(std::numeric_limits<double>::denorm_min());
  out.WriteString("héllo");
  out.WriteString("");

  const auto& bytes = out.GetBytes();
  ASSERT_GE(bytes.size(), 7u);
  EXPECT_EQ(bytes[1], 0x34);  // low byte first
  EXPECT_EQ(bytes[2], 0x12);
  EXPECT_EQ(bytes[3], 0xEF);

  CArchive in(bytes);
  EXPECT_TRUE(in.IsLoading());
  EXPECT_EQ(in.ReadU8(), 0xAB);
  EXPECT_EQ(in.ReadU16(), 0x1234);
  EXPECT_EQ(in.ReadU32(), 0xDEADBEEFu);
  EXPECT_EQ(in.ReadU64(), 0x0102030405060708ull);
  EXPECT_EQ(in.ReadI32(), -7);
  EXPECT_EQ(in.ReadF32(), -1.5f);
  EXPECT_EQ(in.ReadF64(), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(in.ReadString(), "héllo");
  EXPECT_EQ(in.ReadString(), "");
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(Archive, ReadingPastTheEndOrAnImpossibleLengthIsAnArchiveError) {
  CArchive three(std::vector<uint8_t>{1, 2, 3});
  EXPECT_THROW(three.ReadU32(), ArchiveError);

  // A string that claims four billion bytes must be refused before any allocation.
  CArchive huge(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 'a'});
  EXPECT_THROW(huge.ReadString(), ArchiveError);

  CArchive empty(std::vector<uint8_t>{});
  EXPECT_THROW(empty.ReadU8(), ArchiveError);
}

TEST(Archive, AtomicWriteReplacesTheFileOnlyWhenComplete) {
  TempFolder dir;
  std::string path = dir.File("project.fvz");
  ASSERT_EQ(WriteFileAtomically(path, {1, 2, 3}), "");
  CArchive first = OpenArchiveForReading(path);
  EXPECT_EQ(first.Remaining(), 3u);
  EXPECT_EQ(first.GetFilePath(), path);

  // A target that cannot be replaced (here: a folder) reports the failure and keeps what was there.
  std::string folderTarget = dir.File("sub");
  std::filesystem::create_directory(folderTarget);
  std::ofstream(folderTarget + "/keep") << "x";
  EXPECT_NE(WriteFileAtomically(folderTarget, {9}), "");
  EXPECT_TRUE(std::filesystem::exists(folderTarget + "/keep"));

  // Nothing is left behind beside the target.
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 2);

  EXPECT_NE(WriteFileAtomically(dir.File("missing/folder/x.fvz"), {1}), "");
  EXPECT_THROW(OpenArchiveForReading(dir.File("absent.fvz")), ArchiveError);
}

TEST(Archive, AReplacedFileKeepsItsPermissions) {
  TempFolder dir;
  std::string path = dir.File("shared.fvz");
  ASSERT_EQ(WriteFileAtomically(path, {1}), "");
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(WriteFileAtomically(path, {2, 3}), "");
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(OpenArchiveForReading(path).Remaining(), 2u);
}
