#pragma once
// File-name analysis as artists name frames: "shot0012.tga" is root "shot", number 12,
// four digits, extension ".tga".

#include <string>

class CFileInfo {
 public:
  CFileInfo() = default;
  explicit CFileInfo(const std::string& path) { Init(path); }

  void Init(const std::string& path);

  // Folder part with its trailing separator ("" when the name has no folder).
  std::string GetPath() const;
  // Name without folder and without extension.
  std::string GetNameWithoutExt() const;
  // Extension with its dot (".tga"), or "" when there is none.
  std::string GetExtension() const;
  // Name without folder, extension included.
  std::string GetCompleteName() const;
  // The path as given.
  const std::string& GetFullPath() const { return path_; }

  // Frame digits of the name (without folder and extension): the last run of digits,
  // at the end of the name or followed only by non-digits.
  //   mode 0: returns the name without extension and without those digits
  //           ("shot0012" -> "shot"; "shot_0012_final" -> "shot__final");
  //   mode 1: the same, for a name given with its extension.
  // number gets the frame number, or -1 when the name has no digits; width the number of
  // digits (0 when none).
  std::string GetDigitInfo(int& number, int& width, int mode) const;

 private:
  std::string path_;
};
