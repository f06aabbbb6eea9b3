#pragma once
// A file written under a temporary name beside its target and renamed over it once complete,
// so that a failed write never leaves a half-written file under the target's name.

#include <string>

class TemporaryFile {
 public:
  explicit TemporaryFile(std::string target);
  // Removes the temporary file unless it was committed.
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Where to write: a hidden name in the target's folder.
  const std::string& Path() const { return path_; }
  // Renames the temporary file to the target. False with the reason in error.
  bool Commit(std::string& error);

 private:
  std::string target_;
  std::string path_;
  bool committed_ = false;
};
