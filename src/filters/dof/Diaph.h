#pragma once
// The aperture shape of the blur: one of the built-in diaphs or a picture file (grey, or colour
// by its luminance), always kept as a 55 x 55 grey picture from which the kernels are resampled.

#include <memory>
#include <string>

#include "platform/image/LayerBitmap.h"

class Diaph {
 public:
  static constexpr int kPictureSide = 55;
  static constexpr int kFromFile = 0;
  static constexpr int kDisc = 1;

  // Starts with the disc.
  Diaph();

  // Number 0 loads the named picture file (a colour one by its luminance), asking for one when
  // the name is empty; 1 to 8 a built-in diaph (other numbers mean 1). False when the file
  // cannot be used (a cancelled choice, a file that is no picture, a picture under 55 pixels
  // both ways): the diaph stays as it was, and a file chosen in the dialog says why.
  bool Load(const std::string& name, int number);

  int GetNumber() const { return number_; }
  // The complete name of the last file diaph read. A built-in diaph keeps it, so that a
  // project remembers its file diaph.
  const std::string& GetPath() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }
  const g8Bitmap& GetPicture() const { return *picture_; }

 private:
  bool LoadFile(const std::string& name);
  // The picture's grey or colour layer as grey; null when it has neither.
  static std::unique_ptr<g8Bitmap> GreyPicture(const CLayerBitmap& picture);
  void Install(const g8Bitmap& source, int number);

  int number_ = kDisc;
  std::string path_;
  std::unique_ptr<g8Bitmap> picture_;
};
