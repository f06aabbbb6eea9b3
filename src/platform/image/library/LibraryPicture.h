#pragma once
// A picture file read through the image library (inside the image library's module).

#include <cstdint>
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
  // Channels stored as 8-bit integers are also given as their bytes, without a float plane.
  bool HoldsBytes(ChannelRef ref) const override;
  bool GetBytes(ChannelRef ref, const uint8_t*& data, int& stride, std::string& error) override;

 private:
  struct Header;
  struct Block {
    int subimage = -1;
    int begin = 0;
    int end = 0;
    bool Holds(ChannelRef ref) const { return ref.subimage == subimage && ref.channel >= begin && ref.channel < end; }
  };

  const Header& HeaderOf(int subimage) const;
  Block BlockFor(ChannelRef ref) const;
  // Reads the block's channels as values of the type into values; held is the block then
  // held, or nothing after a failure.
  template <typename Value>
  bool Load(const Block& block, std::vector<Value>& values, Block& held, std::string& error);

  struct Opened;
  std::unique_ptr<Opened> opened_;
  std::vector<ChannelRef> wanted_;
  std::vector<float> values_;
  Block held_;
  std::vector<uint8_t> bytes_;
  Block heldBytes_;
};
