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
  // the name is empty; 1 to 8 a built-in diaph (other numbers mean 1). Whatever cannot be used
  // falls back to the disc: a cancelled choice, an unreadable file, and, with a warning, a
  // picture under 55 pixels both ways.
  void Load(const std::string& name, int number);

  int GetNumber() const { return number_; }
  // The complete name of the last file diaph read. A built-in diaph keeps it, so that a
  // project remembers its file diaph.
  const std::string& GetPath() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }
  const g8Bitmap& GetPicture() const { return *picture_; }

 private:
  // True when the file was dealt with (installed or fallen back); false when it was read but
  // holds no picture layer, in which case the disc follows.
  bool LoadFile(const std::string& name);
  // The picture's grey or colour layer as grey; null when it has neither.
  static std::unique_ptr<g8Bitmap> GreyPicture(const CLayerBitmap& picture);
  void Install(const g8Bitmap& source, int number);

  int number_ = kDisc;
  std::string path_;
  std::unique_ptr<g8Bitmap> picture_;
};
