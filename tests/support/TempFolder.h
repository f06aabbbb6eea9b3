#pragma once
// A fresh folder for one test, removed afterwards.

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, with its trailing separator.
  const std::string& Path() const { return path_; }
  // Path() + name.
  std::string File(const std::string& name) const { return path_ + name; }
  // Writes bytes to a file in the folder and returns its complete name.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};
