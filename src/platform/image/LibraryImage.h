#pragma once
// A picture file opened through the image library: its headers checked against the file, its
// parts and channels listed, and its channels read as floats a block of neighbours at a time.

#include <memory>
#include <string>
#include <vector>

#include "platform/image/ImageFormats.h"
#include "platform/image/ImageSource.h"
#include "platform/image/ViewChannels.h"

class LibraryImage final : public ImageSource {
 public:
  LibraryImage();
  ~LibraryImage() override;
  LibraryImage(const LibraryImage&) = delete;
  LibraryImage& operator=(const LibraryImage&) = delete;

  // Opens the file and checks what its headers declare. False with the reason in error.
  bool Open(const std::string& path, const ImageFileFormat& format, std::string& error);
  // The parts the picture can use, with their channels; an unusable part has none.
  std::vector<PartChannels> UsableParts() const;
  // The channels about to be read: neighbours of one part are read together when they fit.
  void Want(const std::vector<ChannelRef>& wanted) { wanted_ = wanted; }

  const ImageRect& Display() const override;
  const ImageRect& DataWindow(ChannelRef ref) const override;
  bool IsLinear(ChannelRef ref) const override;
  bool IsFloatingPoint(ChannelRef ref) const { return IsLinear(ref); }  // such files hold linear light
  bool IsStraight(ChannelRef ref) const override;
  std::string ChannelName(ChannelRef ref) const override;
  bool Get(ChannelRef ref, const float*& data, int& stride, std::string& error) override;

 private:
  struct Header;
  struct Block {
    int subimage;
    int begin;
    int end;
  };

  const Header& HeaderOf(int subimage) const;
  bool Holds(ChannelRef ref) const;
  Block BlockFor(ChannelRef ref) const;
  bool Load(const Block& block, std::string& error);

  struct Opened;
  std::unique_ptr<Opened> opened_;
  std::vector<ChannelRef> wanted_;
  std::vector<float> values_;
  int subimage_ = -1;
  int begin_ = 0;
  int end_ = 0;
};
