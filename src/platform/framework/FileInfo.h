#pragma once
// File-name analysis as artists name frames: "shot0012.tga" is root "shot", number 12,
// four digits, extension ".tga".

#include <string>
#include <string_view>

// The frame digits of a base name (no folder, no extension): the last run of digits.
// A run whose value does not fit an int (a date stamp, say) is not a frame number.
struct FrameDigits {
  std::string root;    // the name without those digits
  int number = -1;     // -1 when the name has no frame digits
  int width = 0;       // count of digits, leading zeros included; 0 when none
  bool atEnd = false;  // the digits close the name ("shot0012", not "shot0012.z")
};
FrameDigits AnalyseFrameDigits(std::string_view baseName);

class CFileInfo {
 public:
  CFileInfo() = default;
  explicit CFileInfo(const std::string& path) { Init(path); }

  void Init(const std::string& path);

  // Folder part with its trailing separator ("" when the name has no folder).
  std::string GetPath() const;
  // Name without folder and without extension.
  std::string GetNameWithoutExt() const;
  // Extension with its dot (".tga"), or "" when there is none. Only the last dot counts:
  // "shot.z.tga" has the extension ".tga" and the name "shot.z". A leading dot (".hidden")
  // starts the name, not an extension.
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
  // Both modes strip the extension, so they agree; callers pass the mode that says what
  // they hold. number gets the frame number, or -1 when the name has no digits (the root is
  // then the whole name); width the number of digits (0 when none).
  std::string GetDigitInfo(int& number, int& width, int mode) const;

 private:
  std::string path_;
};
