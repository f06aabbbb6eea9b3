#pragma once
// The aperture shape of the blur: one of the built-in diaphs or a picture file (grey, or colour
// by its luminance), always kept as a 55 x 55 grey picture from which the kernels are resampled.
// Copies share the picture.

#include <memory>
#include <string>

#include "platform/framework/StringTable.h"
#include "platform/image/LayerBitmap.h"

class Diaph {
 public:
  static constexpr int kPictureSide = 55;
  static constexpr int kFromFile = 0;
  static constexpr int kDisc = 1;

  // Starts with the disc.
  Diaph();

  // Number 0 loads the named picture file, 1 to 8 a built-in diaph (other numbers mean 1).
  // False when the file cannot be used: the diaph stays as it was.
  bool Load(const std::string& path, int number);
  // Loads a picture file: a colour one by its luminance. Why it cannot be used, in the
  // language (a file that is no picture, a picture under 55 pixels both ways); "" when it was
  // loaded. The diaph stays as it was when it cannot.
  std::string LoadFile(const std::string& path, Language language);

  int GetNumber() const { return number_; }
  // The complete name of the last file diaph read. A built-in diaph keeps it, so that a
  // project remembers its file diaph.
  const std::string& GetPath() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }
  const g8Bitmap& GetPicture() const { return *picture_; }

 private:
  // The picture's grey or colour layer as grey; null when it has neither.
  static std::unique_ptr<g8Bitmap> GreyPicture(const CLayerBitmap& picture);
  void Install(const g8Bitmap& source, int number);

  int number_ = kDisc;
  std::string path_;
  std::shared_ptr<const g8Bitmap> picture_;
};
