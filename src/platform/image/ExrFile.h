#pragma once
// OpenEXR files (and .qel, the same content) read through the format's own library: the depth
// files and linear renders of most pipelines, without the general image library.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/image/ImageSource.h"
#include "platform/image/ViewChannels.h"

// Every part of the file, its headers checked against the file's bytes; channels read as floats,
// the wanted channels of one part together.
class ExrImage final : public ImageSource {
 public:
  ExrImage();
  ~ExrImage() override;
  ExrImage(const ExrImage&) = delete;
  ExrImage& operator=(const ExrImage&) = delete;

  // Opens the file and checks what its headers declare. False with the reason in error.
  bool Open(const std::string& path, std::string& error);
  // The parts the picture can use, with their channels; an unusable part has none.
  std::vector<PartChannels> UsableParts() const;
  // The channels about to be read.
  void Want(const std::vector<ChannelRef>& wanted) { wanted_ = wanted; }
  bool IsFloatingPoint(ChannelRef ref) const { return IsLinear(ref); }

  const ImageRect& Display() const override;
  const ImageRect& DataWindow(ChannelRef ref) const override;
  bool IsLinear(ChannelRef ref) const override;
  bool IsStraight(ChannelRef) const override { return false; }  // OpenEXR colour is premultiplied
  bool HoldsEightBitPicture(ChannelRef ref) const override;
  std::string ChannelName(ChannelRef ref) const override;
  bool Get(ChannelRef ref, const float*& data, int& stride, std::string& error) override;
  bool ReadsInto(ChannelRef ref) const override;
  bool ReadInto(ChannelRef ref, float* plane, std::string& error) override;

 private:
  struct Part;
  struct Opened;
  bool Load(int part, std::string& error);
  bool ReadFloats(int part, const std::vector<std::pair<int, float*>>& channels, size_t step, std::string& error);

  std::unique_ptr<Opened> opened_;
  std::vector<ChannelRef> wanted_;
  int loadedPart_ = -1;
  std::vector<int> loadedChannels_;  // channel -> its place in values_, or -1
  int loadedCount_ = 0;
  std::vector<float> values_;
};
