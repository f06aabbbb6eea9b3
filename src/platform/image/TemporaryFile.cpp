#include "platform/image/TemporaryFile.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>

#include <fmt/format.h>

#include "platform/framework/FileHelpers.h"

namespace fs = std::filesystem;

namespace {

std::string TemporaryNameBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  fs::path t(target);
  // The real extension stays last: some writers look at it.
  std::string name = fmt::format(".{}.part-{}-{}{}", t.stem().string(), ::getpid(), counter++,
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
