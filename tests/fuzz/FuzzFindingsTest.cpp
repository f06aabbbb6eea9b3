// Inputs the fuzzers found, kept in fuzz/findings/: each must now be refused cleanly, without
// the memory its header asked for and without a decoder that does not return.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzEntries.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

long PeakMemoryMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

TEST(FuzzFindingsTest, EveryImageFindingIsRefused) {
  int count = 0;
  for (const auto& file : fs::directory_iterator(FOVARA_FUZZ_FINDINGS)) {
    std::string name = file.path().filename().string();
    if (name.rfind("image-", 0) != 0) continue;
    std::vector<uint8_t> bytes = Bytes(file.path());
    EXPECT_FALSE(FuzzImageFile(bytes.data(), bytes.size())) << name;
    ++count;
  }
  EXPECT_GE(count, 5);
  EXPECT_LT(PeakMemoryMegabytes(), 1000) << "a finding's header was believed";
}

}  // namespace
