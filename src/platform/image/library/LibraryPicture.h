#pragma once
// A picture file read through the image library (inside the image library's module).

#include <memory>
#include <string>
#include <vector>

#include "platform/image/LibraryImage.h"

class LibraryPicture final : public LibraryImage {
 public:
  LibraryPicture();
  ~LibraryPicture() override;
  LibraryPicture(const LibraryPicture&) = delete;
  LibraryPicture& operator=(const LibraryPicture&) = delete;

  bool Open(const std::string& path, const ImageFileFormat& format, std::string& error) override;
  std::vector<PartChannels> UsableParts() const override;
  void Want(const std::vector<ChannelRef>& wanted) override { wanted_ = wanted; }

  const ImageRect& Display() const override;
  const ImageRect& DataWindow(ChannelRef ref) const override;
  bool IsLinear(ChannelRef ref) const override;
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
