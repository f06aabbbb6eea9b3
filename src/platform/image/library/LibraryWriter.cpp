#include "platform/image/library/LibraryWriter.h"

#include <OpenImageIO/imageio.h>
#include <fmt/format.h>

#include <algorithm>
#include <vector>

#include "platform/image/FloatLayers.h"
#include "platform/image/RlaRowEnds.h"
#include "platform/image/SavedChannels.h"

namespace {

constexpr int kRowsPerStrip = 64;

// Timed on rendered 1080p frames: PNG level 1 with one row filter costs next to nothing where
// the library's default (level 6, every filter tried) costs about 0.1 s of CPU a frame, for
// files about a third larger. OpenEXR's zip and TIFF's zip are as fast as any other lossless
// codec there and give the smallest files: they stay for every setting but none.
constexpr int kFastPngLevel = 1;
constexpr int kSmallPngLevel = 6;
constexpr int kPngFilterSub = 0x10;  // PNG_FILTER_SUB

std::string FirstLine(const std::string& s) { return s.substr(0, s.find('\n')); }


OIIO::TypeDesc LibraryType(StoredType type) {
  switch (type) {
    case StoredType::Half: return OIIO::TypeDesc::HALF;
    case StoredType::Float: return OIIO::TypeDesc::FLOAT;
    case StoredType::Byte: break;
  }
  return OIIO::TypeDesc::UINT8;
}

void SetCompression(const ImageFileFormat& format, ImageCompression compression, OIIO::ImageSpec& imageSpec) {
  const bool none = compression == ImageCompression::None;
  if (format.plugin == "png") {
    imageSpec.attribute("png:compressionLevel", none ? 0 : compression == ImageCompression::Fast ? kFastPngLevel
                                                                                                  : kSmallPngLevel);
    // Trying every row filter on every row is most of the library's default cost.
    if (compression == ImageCompression::Fast) imageSpec.attribute("png:filter", kPngFilterSub);
  } else if (format.IsOpenExr() || format.plugin == "tiff") {
    imageSpec.attribute("compression", none ? "none" : "zip");
  } else if (format.plugin == "targa") {
    imageSpec.attribute("compression", compression == ImageCompression::Small ? "rle" : "none");
  }
}

OIIO::ImageSpec SpecFor(const ImageFileFormat& format, int width, int height,
                        const std::vector<SavedChannel>& channels, ImageCompression compression) {
  OIIO::ImageSpec imageSpec(width, height, int(channels.size()), LibraryType(channels[0].type));
  imageSpec.channelnames.clear();
  bool mixed = false;
  for (int c = 0; c < int(channels.size()); ++c) {
    imageSpec.channelnames.push_back(channels[c].name);
    imageSpec.channelformats.push_back(LibraryType(channels[c].type));
    mixed = mixed || channels[c].type != channels[0].type;
    if (channels[c].kind == SavedChannel::Alpha) imageSpec.alpha_channel = c;
    if (channels[c].kind == SavedChannel::Depth) imageSpec.z_channel = c;
  }
  if (!mixed) imageSpec.channelformats.clear();
  // The values given are those to store: the library must not divide colour by alpha itself.
  if (!format.HasLinearColour()) imageSpec.attribute("oiio:UnassociatedAlpha", 1);
  // Without any Exif field the TIFF writer fails on an empty Exif directory; sRGB is true anyway.
  if (format.plugin == "tiff") imageSpec.attribute("Exif:ColorSpace", 1);
  // An 8-bit picture in a floating-point file says so, to be read back as those bytes.
  if (format.IsOpenExr() && HoldsBytePicture(channels)) imageSpec.attribute(kPictureAttribute, kEightBitPicture);
  SetCompression(format, compression, imageSpec);
  // Rendered frames are final pictures: full chroma and high quality.
  if (format.plugin == "jpeg") {
    imageSpec.attribute("Compression", "jpeg:95");
    imageSpec.attribute("jpeg:subsampling", "4:4:4");
  }
  return imageSpec;
}

// The byte stored for the last pixel of a row in an 8-bit channel (RLA keeps no linear colour).
uint8_t LastByteOfRow(const SavedChannel& ch, int width, int y) {
  if (!ch.source) return 0;
  return ch.source->GetLineBytes(y)[size_t(width - 1) * ch.source->GetChannels() + ch.component];
}

bool RepairRowEnds(const std::string& path, int width, int height, const std::vector<SavedChannel>& channels,
                   std::string& error) {
  std::vector<bool> byteChannels;
  for (const auto& ch : channels) byteChannels.push_back(ch.type == StoredType::Byte);
  return RepairRlaRowEnds(path, width, height, byteChannels,
                          [&](int y, int c) { return LastByteOfRow(channels[c], width, y); }, error);
}

}  // namespace

bool WriteWithLibrary(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
                      ImageCompression compression, std::string& error) {
  const Bitmap* any = content.picture ? content.picture : content.depth ? static_cast<const Bitmap*>(content.depth)
                                                                         : content.alpha;
  int width = any->GetWidth(), height = any->GetHeight();
  std::vector<SavedChannel> channels = ChannelsFor(format, content);
  OIIO::ImageSpec imageSpec = SpecFor(format, width, height, channels, compression);

  auto output = OIIO::ImageOutput::create(format.plugin);
  if (!output) {
    error = fmt::format("no writer for the {} format ({})", format.name, FirstLine(OIIO::geterror()));
    return false;
  }
  if (!output->open(path, imageSpec)) {
    error = fmt::format("cannot create the file ({})", FirstLine(output->geterror()));
    return false;
  }
  // Strips of rows keep the float buffer small whatever the image size.
  const ColourStorage storage = StorageFor(format, content);
  int nch = int(channels.size());
  std::vector<float> strip(size_t(kRowsPerStrip) * width * nch);
  for (int y0 = 0; y0 < height; y0 += kRowsPerStrip) {
    int y1 = std::min(height, y0 + kRowsPerStrip);
    for (int64_t p = int64_t(y0) * width, i = 0; p < int64_t(y1) * width; ++p, ++i) {
      for (int c = 0; c < nch; ++c) strip[i * nch + c] = ChannelValue(channels[c], storage, p);
    }
    if (!output->write_scanlines(y0, y1, 0, OIIO::TypeDesc::FLOAT, strip.data())) {
      error = fmt::format("cannot write the pixels ({})", FirstLine(output->geterror()));
      return false;
    }
  }
  if (!output->close() || output->has_error()) {
    error = fmt::format("cannot complete the file ({})", FirstLine(output->geterror()));
    return false;
  }
  if (format.IsRla()) return RepairRowEnds(path, width, height, channels, error);
  return true;
}

