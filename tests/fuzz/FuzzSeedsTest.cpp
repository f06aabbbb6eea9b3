// The fuzz targets' seed corpus: every seed is a valid file of its kind, read as such by the
// entry its target drives, so that fuzzing starts from the inside of each reader.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzEntries.h"
#include "FuzzSeeds.h"
#include "platform/framework/StringTable.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using Entry = bool (*)(const uint8_t*, size_t);

std::vector<uint8_t> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The seeds of one target, each read by its entry; returns how many there were. With
// refuseHalves, the first half of each seed must be refused, never read as something else.
int ExpectEverySeedRead(const std::string& folder, Entry entry, bool refuseHalves = true) {
  int count = 0;
  for (const auto& file : fs::directory_iterator(folder)) {
    std::vector<uint8_t> bytes = Bytes(file.path());
    EXPECT_TRUE(entry(bytes.data(), bytes.size())) << file.path();
    if (refuseHalves) {
      EXPECT_FALSE(entry(bytes.data(), bytes.size() / 2)) << file.path();
    }
    ++count;
  }
  return count;
}

}  // namespace

TEST(FuzzSeeds, EverySeedIsAValidFileOfItsTarget) {
  TempFolder dir;
  std::string error;
  ASSERT_TRUE(WriteFuzzSeeds(dir.Path(), error)) << error;
  EXPECT_EQ(ExpectEverySeedRead(dir.File("project"), FuzzProjectFile), 5);  // one per filter
  EXPECT_EQ(ExpectEverySeedRead(dir.File("record"), FuzzSettingsRecord), 6);
  EXPECT_EQ(ExpectEverySeedRead(dir.File("zpic"), FuzzZpicFile), 1);
  // Every extension the image entry chooses has a seed, but for formats written nowhere.
  // (Some picture formats let the image library read a picture cut short: the entry only has
  // to survive those.)
  EXPECT_GE(ExpectEverySeedRead(dir.File("image"), FuzzImageFile, false), 10);
  // RLA render channels after the colour, as a 3D package lays them out.
  EXPECT_TRUE(fs::exists(dir.File("image/rpf-gbuffer-8.bin")));
  EXPECT_TRUE(fs::exists(dir.File("image/rla-gbuffer-16.bin")));
}
