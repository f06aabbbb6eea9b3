// Inputs the fuzzers found, kept in fuzz/findings/, replayed one after the other in one process
// as the fuzzer met them: none may take the memory its header asks for, hang or damage the heap
// for the files read after it. Files named *-reads-* are whole pictures whose fault lay in a
// field the picture does not need, and read; every other one is refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "FuzzEntries.h"
#include "support/FileChecks.h"

namespace fs = std::filesystem;

namespace {

TEST(FuzzFindingsTest, EveryImageFindingIsReadOrRefusedInOneProcess) {
  std::vector<std::string> names;
  for (const auto& file : fs::directory_iterator(FOVARA_FUZZ_FINDINGS)) {
    std::string name = file.path().filename().string();
    if (name.rfind("image-", 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_GE(names.size(), 9u);
  // Twice: a heap damaged by one input shows when later reads reuse its memory.
  for (int round = 0; round < 2; ++round) {
    for (const std::string& name : names) {
      std::string bytes = ReadFileBytes(std::string(FOVARA_FUZZ_FINDINGS) + "/" + name);
      bool reads = name.find("-reads-") != std::string::npos;
      EXPECT_EQ(FuzzImageFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), reads) << name;
    }
  }
  EXPECT_LT(PeakMemoryMegabytes(), 1000) << "a finding's header was believed";
}

}  // namespace
