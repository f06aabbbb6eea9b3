#pragma once
// Where the image reader takes its channels from: the image library for most formats, our own
// decoder for RLA. The reader places each channel's data window in the picture and converts it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image/ChannelFinder.h"
#include "platform/image/LayerBitmap.h"

class ImageSource {
 public:
  virtual ~ImageSource() = default;

  // The picture: the display window, in the file's coordinates.
  virtual const ImageRect& Display() const = 0;
  // The data window of the part that holds the channel, in the file's coordinates.
  virtual const ImageRect& DataWindow(ChannelRef ref) const = 0;
  // Colour stored as linear light (else display-encoded values in 0..1).
  virtual bool IsLinear(ChannelRef ref) const = 0;
  // Colour stored straight, unassociated from alpha (else premultiplied).
  virtual bool IsStraight(ChannelRef ref) const = 0;
  // The channel as info names it ("R", "Z", "part:Z", ...).
  virtual std::string ChannelName(ChannelRef ref) const = 0;
  // The channel's values over its data window: pixel i is data[i * stride]. They stay valid until
  // the next call.
  virtual bool Get(ChannelRef ref, const float*& data, int& stride, std::string& error) = 0;
  // A floating-point picture that this program wrote from an 8-bit picture (its header says so):
  // it reads back as those bytes rather than as float colour.
  virtual bool HoldsEightBitPicture(ChannelRef) const { return false; }
  // Whether the channel is stored as bytes (values 0..255 for 0..1) that GetBytes gives as they
  // are, without a float plane.
  virtual bool HoldsBytes(ChannelRef) const { return false; }
  virtual bool GetBytes(ChannelRef, const uint8_t*&, int&, std::string& error) {
    error = "no byte channel";
    return false;
  }

  // Reading straight into the caller's memory, without a plane of the source's own in between
  // (a frame read ahead then costs one copy of its pixels, not two).
  // Whether the channels, in this order, are exactly the file's, stored as bytes and not yet
  // decoded: DecodeBytesInto then fills pixels of that many bytes each, rows without gaps.
  virtual bool DecodesBytesInto(const std::vector<ChannelRef>&) const { return false; }
  virtual bool DecodeBytesInto(uint8_t*, std::string& error) {
    error = "no byte channels";
    return false;
  }
  // Whether the channel covers the whole picture and is not held yet: ReadInto then fills plane
  // (the display window's size) with its values.
  virtual bool ReadsInto(ChannelRef) const { return false; }
  virtual bool ReadInto(ChannelRef, float*, std::string& error) {
    error = "no channel";
    return false;
  }
};
