#pragma once
// The general image library, kept out of the programs until a file needs it: it brings a few
// hundred shared libraries with it, and binding them costs every process about a quarter of a
// second before it starts. Its reader, writer and format lists live in a module of their own,
// opened on first need (ImageLibrary()).

#include <memory>
#include <string>
#include <vector>

#include "platform/image/ImageFormats.h"
#include "platform/image/ImageSource.h"
#include "platform/image/ImageWriter.h"
#include "platform/image/ViewChannels.h"

// A picture file opened through the image library: its headers checked against the file, its
// parts and channels listed, and its channels read as floats a block of neighbours at a time.
class LibraryImage : public ImageSource {
 public:
  // Opens the file and checks what its headers declare. False with the reason in error.
  virtual bool Open(const std::string& path, const ImageFileFormat& format, std::string& error) = 0;
  // The parts the picture can use, with their channels; an unusable part has none.
  virtual std::vector<PartChannels> UsableParts() const = 0;
  // The channels about to be read: neighbours of one part are read together when they fit.
  virtual void Want(const std::vector<ChannelRef>& wanted) = 0;
  // Such files hold linear light.
  bool IsFloatingPoint(ChannelRef ref) const { return IsLinear(ref); }
};

class ImageLibraryModule {
 public:
  virtual ~ImageLibraryModule() = default;
  virtual std::unique_ptr<LibraryImage> NewImage() = 0;
  // The library's readable extensions: "openexr:exr,sxr;tiff:tif,tiff;...".
  virtual std::string ExtensionList() = 0;
  // The formats it writes: "openexr,tiff,...".
  virtual std::string OutputFormatList() = 0;
  virtual bool KeepsAlpha(const std::string& plugin) = 0;
  // Writes the content to path in the format (ImageWriter's WriteImageFile).
  virtual bool Write(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
                     ImageCompression compression, std::string& error) = 0;
};

// The module, opened the first time it is asked for (and then kept); null with the reason in
// error when it cannot be found or opened. Safe from any thread.
ImageLibraryModule* ImageLibrary(std::string& error);

// The module's one exported function.
extern "C" ImageLibraryModule* FovaraImageLibraryModule();
constexpr const char* kImageLibraryEntry = "FovaraImageLibraryModule";
