#pragma once
// The channels a picture file receives from what PlanSave chose, and the value each pixel of
// each channel takes: shared by the program's own writers and the image library's.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image/ImageFormats.h"
#include "platform/image/ImageWriter.h"

// How a channel's values are stored in the file.
enum class StoredType { Byte, Half, Float };

// One channel of the file: its name, stored type and where its values come from.
struct SavedChannel {
  std::string name;
  StoredType type = StoredType::Byte;
  const Bitmap* source = nullptr;  // null: written as 0 (RLA colour of a depth-only image)
  int component = 0;
  enum Kind { Colour, Alpha, Depth } kind = Colour;
};

// How colour is stored beside alpha. Memory colour is premultiplied. OpenEXR keeps linear
// premultiplied colour and RLA its 8-bit colour premultiplied, as they are read; the other
// picture formats (PNG, Targa, TIFF, ...) keep straight colour, divided by alpha on writing.
struct ColourStorage {
  bool linear = false;
  bool straight = false;
  const Bitmap* alpha = nullptr;  // null: no alpha is written, colour is written as held
};

ColourStorage StorageFor(const ImageFileFormat& format, const SaveContent& content);

// Red, green and blue (or Y for grey), then A, then Z, as the content holds them.
std::vector<SavedChannel> ChannelsFor(const ImageFileFormat& format, const SaveContent& content);

// Whether the picture channels hold an 8-bit picture (which a floating-point file marks, to be
// read back as those bytes).
bool HoldsBytePicture(const std::vector<SavedChannel>& channels);

// The value written for one pixel of one channel, as a float: what the file's type is
// converted from.
float ChannelValue(const SavedChannel& ch, const ColourStorage& storage, int64_t pixel);

// The values of a channel written as they are held (depth, float colour and alpha): the first
// pixel's, with `stride` floats from one pixel to the next. Null for the others.
const float* HeldFloatValues(const SavedChannel& ch, int& stride);
