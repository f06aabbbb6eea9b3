#include "platform/image/TemporaryFile.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <random>

#include <fmt/format.h>

#include "platform/framework/FileHelpers.h"

namespace fs = std::filesystem;

namespace {

std::string TemporaryNameBeside(const std::string& target) {
  fs::path t(target);
  // A name no other writer of this process or another one picks: the process, and a number
  // drawn at random. The real extension stays last: some writers look at it.
  std::random_device random;
  const uint64_t drawn = (uint64_t(random()) << 32) | random();
  std::string name = fmt::format(".{}.part-{}-{:x}{}", t.stem().string(), ::getpid(), drawn,
                                 t.extension().string());
  return (t.parent_path() / name).string();
}

}  // namespace

TemporaryFile::TemporaryFile(std::string target)
    : target_(std::move(target)), path_(TemporaryNameBeside(target_)) {}

TemporaryFile::~TemporaryFile() {
  if (committed_) return;
  std::error_code ec;
  fs::remove(path_, ec);
}

bool TemporaryFile::Commit(std::string& error) {
  std::error_code ec;
  if (fs::file_size(path_, ec) == 0 || ec) {
    error = "nothing was written";
    return false;
  }
  std::string failure = ReplaceFileWith(path_, target_);
  if (!failure.empty()) {
    error = failure;
    return false;
  }
  committed_ = true;
  return true;
}
