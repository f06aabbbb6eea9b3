#pragma once
// Image file reading and writing over OpenImageIO, plus the program's own formats:
//   .qel  - an OpenEXR file under another extension: R, G, B, optional A, float Z;
//   .zpic - raw depth: "ZPIC", u32 version 1, u32 width, u32 height, then width x height
//           float32, row 0 first, all little-endian.
// Every image is read at its display window: data is placed at its offset, and outside the data
// window colour and alpha are 0 and depth is background.
// Colour becomes 8-bit RGB (float colour through the sRGB transfer curve, clamped); an alpha
// channel becomes the alpha layer; a depth channel (Z, *.Z, Depth.V, *.Depth.V, across
// subimages) becomes the depth layer. In memory colour is premultiplied by alpha: a file that
// stores straight colour is premultiplied on reading and divided again on writing to such a
// format. A depth channel whose object depths are all <= 0 is negated; after that, depths of 0
// or below, non-finite depths and depths >= 1e10 are background. Stereo files give their
// default view unless another is asked for.
//
// Every reader checks the sizes a file declares against what the program can hold before
// allocating, and reports a bad file with a message naming it; nothing crashes.

#include <memory>
#include <string>

#include "platform/image/ImageReader.h"
#include "platform/image/ImageWriter.h"
#include "platform/image/LayerBitmap.h"

class UserInterface;

// Reader and writer flags.
constexpr int kIoSaving = 0;
constexpr int kIoOnePicture = 1;  // the main picture only (colour, or grey)
constexpr int kIoWithDepth = 3;   // colour, alpha and depth layers
// A depth file: as kIoWithDepth, but a floating-point file without a depth channel gives its
// first picture channel (R, or its one channel) as depth: a depth pass saved in R, G, B.
constexpr int kIoDepthFile = 7;

// Largest width or height a file may declare.
constexpr int kMaxImageSide = 32768;

class C2DIo {
 public:
  C2DIo(std::string fileName, int flags);
  ~C2DIo();
  C2DIo(const C2DIo&) = delete;
  C2DIo& operator=(const C2DIo&) = delete;

  // The complete current file name (changed by FileDialogBox).
  const std::string& GetFileName() const { return fileName_; }
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  // Why the last operation failed; names the file.
  const std::string& GetError() const { return error_; }
  // A note on data the chosen format cannot keep (alpha in JPEG, say); empty when none.
  const std::string& GetWarning() const { return warning_; }

  // The reader's own file dialog through the user-interface seam: an open dialog for the
  // reading flags, a save dialog for kIoSaving. True when a file was chosen; it becomes the
  // file name.
  bool FileDialogBox(UserInterface& ui, int dialogFlags);

  // --- Reading ---
  // 1 when the file exists, its format is known and its header declares a sane size.
  bool PrepareReading();
  // The size the caller expects; informative.
  void SetNeededBitmapSize(int width, int height);
  // The first image of the file: a new layered image, or null (GetError says why).
  std::unique_ptr<CLayerBitmap> Read();
  // Format name of the prepared file: "targa", "png", "tiff", "jpeg", "openexr", "rla",
  // "qel", "zpic", ...
  const std::string& GetFormatName() const { return formatName_; }
  int GetFileWidth() const { return fileWidth_; }
  int GetFileHeight() const { return fileHeight_; }
  // What the prepared file holds and which of its channels, parts and views are taken.
  const ImageFileInfo& GetFileInfo() const { return fileInfo_; }
  // The view of a stereo file to read; empty (or a view the file lacks): its default view.
  void SetView(std::string view) { view_ = std::move(view); prepared_ = false; }

  // --- Saving ---
  // Announces a save of frameCount frames of images like this one; the format comes from
  // the file name's extension. 1 when that format can be written.
  bool PrepareSaving(const CLayerBitmap& image, int frameCount);
  // OpenEXR files keep float colour as 32-bit floats rather than half floats (default half).
  void SetFullFloat(bool fullFloat) { fullFloat_ = fullFloat; }
  // How hard saved files are compressed (default fast).
  void SetCompression(ImageCompression compression) { compression_ = compression; }
  // Digits of the frame numbers in saved names (default 4).
  void SetNumberWidth(int digits) { numberWidth_ = digits; }
  // The name a frame is saved under: name + number padded to the width + extension;
  // a negative number gives the name itself.
  std::string GetFrameFileName(int number) const;
  // Writes the colour (or grey) layer, the alpha layer as A and, for formats that keep
  // float channels (OpenEXR, .qel, RLA, .zpic), the depth layer as Z. The file is written
  // under a temporary name and renamed when complete. False on failure (GetError says why).
  bool Save(const CLayerBitmap& image, int number);

 private:
  // Sets the error to one line naming the file: "shot.tga: file is truncated".
  void SetError(const std::string& file, const std::string& reason);
  bool CheckReadableFile();

  std::string fileName_;
  int flags_;
  std::string error_;
  std::string warning_;
  std::string formatName_;
  int fileWidth_ = 0;
  int fileHeight_ = 0;
  ImageFileInfo fileInfo_;
  std::string view_;
  int neededWidth_ = 0;
  int neededHeight_ = 0;
  int numberWidth_ = 4;
  ImageCompression compression_ = ImageCompression::Fast;
  bool fullFloat_ = false;
  int frameCount_ = 0;
  bool prepared_ = false;
};

namespace rlaIO {
// Non-zero when an RLA or RPF file (or an OpenEXR file, which may carry depth too) holds
// a channel of the given layer type (kDepthBitmap: a depth channel).
int HasChannels(const std::string& fileName, uint32_t layerType);
}  // namespace rlaIO
