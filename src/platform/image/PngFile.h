#pragma once
// PNG files read and written through the format's own library: the pictures renders and
// artists exchange most, without the general image library.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/image/ImageSource.h"
#include "platform/image/ImageWriter.h"

// A PNG file's picture: grey (Y), grey and alpha (Y, A), colour (R, G, B) or colour and alpha
// (R, G, B, A), as the file stores them (palettes and transparent colours expanded to channels),
// straight colour, display-encoded. The pixels are decoded on the first Get.
class PngImage final : public ImageSource {
 public:
  PngImage();
  ~PngImage() override;
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;

  // Reads the header and checks its size against the file. False with the reason in error.
  bool Open(const std::string& path, std::string& error);
  const std::vector<std::string>& ChannelNames() const { return names_; }

  const ImageRect& Display() const override { return window_; }
  const ImageRect& DataWindow(ChannelRef) const override { return window_; }
  bool IsLinear(ChannelRef) const override { return false; }
  bool IsStraight(ChannelRef) const override { return true; }
  std::string ChannelName(ChannelRef ref) const override { return names_[size_t(ref.channel)]; }
  bool Get(ChannelRef ref, const float*& data, int& stride, std::string& error) override;
  bool HoldsBytes(ChannelRef) const override { return bytes_; }
  bool GetBytes(ChannelRef ref, const uint8_t*& data, int& stride, std::string& error) override;
  bool DecodesBytesInto(const std::vector<ChannelRef>& channels) const override;
  bool DecodeBytesInto(uint8_t* pixels, std::string& error) override;

 private:
  struct Reader;
  bool Decode(std::string& error);
  bool DecodeRows(uint8_t* pixels, std::string& error);

  std::unique_ptr<Reader> reader_;
  ImageRect window_;
  std::vector<std::string> names_;
  bool bytes_ = false;          // 8-bit samples
  std::vector<uint8_t> pixels_;  // the decoded rows: every channel of every pixel, interleaved
  std::vector<float> values_;    // the same as floats, made when asked for
  bool decodedInto_ = false;     // the rows went into the caller's memory (they read once only)
};

// Writes the content's 8-bit picture (and alpha, as straight colour) as PNG.
bool WritePng(const std::string& path, const SaveContent& content, ImageCompression compression, std::string& error);
