// Inputs the fuzzers found, kept in fuzz/findings/: each must now be refused cleanly, without
// the memory its header asked for and without a decoder that does not return.

#include <gtest/gtest.h>

#include <filesystem>

#include "FuzzEntries.h"
#include "support/FileChecks.h"

namespace fs = std::filesystem;

namespace {

TEST(FuzzFindingsTest, EveryImageFindingIsRefused) {
  int count = 0;
  for (const auto& file : fs::directory_iterator(FOVARA_FUZZ_FINDINGS)) {
    std::string name = file.path().filename().string();
    if (name.rfind("image-", 0) != 0) continue;
    std::string bytes = ReadFileBytes(file.path().string());
    EXPECT_FALSE(FuzzImageFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) << name;
    ++count;
  }
  EXPECT_GE(count, 5);
  EXPECT_LT(PeakMemoryMegabytes(), 1000) << "a finding's header was believed";
}

}  // namespace
