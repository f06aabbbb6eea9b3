#include "platform/image/ExrWriter.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <Imath/half.h>
#include <ImfStringAttribute.h>
#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "platform/image/FloatLayers.h"
#include "platform/image/HalfConversion.h"
#include "platform/image/SavedChannels.h"

namespace {

// Rows converted at a time: the buffers stay small whatever the image size.
constexpr int kRowsPerStrip = 64;
constexpr int kFastZipLevel = 1;

std::string FirstLine(const std::string& s) { return s.substr(0, s.find('\n')); }

// One channel's values for a strip of rows, in the type the file stores.
struct ChannelStrip {
  const SavedChannel* channel;
  std::vector<half> halves;
  std::vector<float> floats;
};

Imf::Header HeaderFor(int width, int height, const std::vector<SavedChannel>& channels,
                      ImageCompression compression) {
  Imf::Header header(width, height);
  // Zip is as fast as any other lossless codec of the format on rendered frames and gives the
  // smallest files. Its fastest level (as for PNG) costs half the library's default on a 1080p
  // float frame, for files a few per cent larger.
  header.compression() = compression == ImageCompression::None ? Imf::NO_COMPRESSION : Imf::ZIP_COMPRESSION;
  if (compression == ImageCompression::Fast) header.zipCompressionLevel() = kFastZipLevel;
  for (const SavedChannel& ch : channels) {
    header.channels().insert(ch.name, Imf::Channel(ch.type == StoredType::Half ? Imf::HALF : Imf::FLOAT));
  }
  // An 8-bit picture in a floating-point file says so, to be read back as those bytes.
  if (HoldsBytePicture(channels)) header.insert(kPictureAttribute, Imf::StringAttribute(kEightBitPicture));
  return header;
}

// Fills the strips with rows [y0, y1) and points the frame buffer at them.
void FillStrips(std::vector<ChannelStrip>& strips, const ColourStorage& storage, int width, int y0, int y1,
                Imf::FrameBuffer& frame) {
  const size_t values = size_t(y1 - y0) * size_t(width);
  const int64_t first = int64_t(y0) * width;
  for (ChannelStrip& strip : strips) {
    const bool halves = strip.channel->type == StoredType::Half;
    int stride = 0;
    const float* held = HeldFloatValues(*strip.channel, stride);
    auto value = [&](size_t i) {
      return held ? held[(first + int64_t(i)) * stride] : ChannelValue(*strip.channel, storage, first + int64_t(i));
    };
    strip.floats.resize(values);
    for (size_t i = 0; i < values; ++i) strip.floats[i] = value(i);
    if (halves) {
      strip.halves.resize(values);
      FloatsToHalves(strip.floats.data(), values, strip.halves.data());
    }
    // The library addresses pixel (x, y) from a base of row 0: the strip's first row is y0.
    const size_t size = halves ? sizeof(half) : sizeof(float);
    char* data = halves ? reinterpret_cast<char*>(strip.halves.data()) : reinterpret_cast<char*>(strip.floats.data());
    char* base = data - std::ptrdiff_t(y0) * width * std::ptrdiff_t(size);
    frame.insert(strip.channel->name,
                 Imf::Slice(halves ? Imf::HALF : Imf::FLOAT, base, size, size * size_t(width)));
  }
}

}  // namespace

bool WriteExr(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
              ImageCompression compression, std::string& error) {
  const Bitmap* any = content.picture ? content.picture : content.depth ? static_cast<const Bitmap*>(content.depth)
                                                                         : content.alpha;
  const int width = any->GetWidth(), height = any->GetHeight();
  const std::vector<SavedChannel> channels = ChannelsFor(format, content);
  const ColourStorage storage = StorageFor(format, content);
  std::vector<ChannelStrip> strips;
  for (const SavedChannel& ch : channels) strips.push_back({&ch, {}, {}});
  try {
    Imf::OutputFile file(path.c_str(), HeaderFor(width, height, channels, compression));
    for (int y0 = 0; y0 < height; y0 += kRowsPerStrip) {
      const int y1 = std::min(height, y0 + kRowsPerStrip);
      Imf::FrameBuffer frame;
      FillStrips(strips, storage, width, y0, y1, frame);
      file.setFrameBuffer(frame);
      file.writePixels(y1 - y0);
    }
  } catch (const std::exception& e) {
    error = fmt::format("cannot write the file ({})", FirstLine(e.what()));
    return false;
  }
  return true;
}
