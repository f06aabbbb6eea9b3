#include "platform/image/library/LibraryPicture.h"

#include <OpenImageIO/imageio.h>
#include <fmt/format.h>

#include <algorithm>
#include <filesystem>

#include "platform/image/BmpHeaderCheck.h"
#include "platform/image/DeclaredSize.h"
#include "platform/image/ExrHeaderCheck.h"
#include "platform/image/ReaderMessages.h"

namespace {

constexpr int kMaxSubimages = 64;
constexpr int kMaxChannels = 1024;
// Channels are read a block at a time; a block holds at most this many floats (256 MB).
constexpr int64_t kMaxBlockValues = int64_t(1) << 26;

std::vector<std::string> StringList(const OIIO::ImageSpec& imageSpec, const char* name) {
  std::vector<std::string> list;
  const OIIO::ParamValue* p = imageSpec.find_attribute(name);
  if (!p || p->type().basetype != OIIO::TypeDesc::STRING) return list;
  for (int i = 0, n = p->nvalues() * std::max(1, p->type().arraylen); i < n; ++i) {
    list.push_back(p->get_string_indexed(i));
  }
  return list;
}

// Whether a part's colour is straight: the library says so for the formats that may hold either
// (TIFF) or that it would otherwise premultiply (PNG, Targa); the format tells for the others.
bool HoldsStraightColour(const OIIO::ImageSpec& imageSpec, const ImageFileFormat& format) {
  if (imageSpec.get_int_attribute("oiio:UnassociatedAlpha", 0) != 0) return true;
  return !format.StoresPremultipliedColour() && format.plugin != "tiff";
}

// --- Header checks ---

// Most pixels one byte of a file can describe. Run-length packets (Targa) cover at most 128
// pixels; deflate expands a byte at most ~1032 times and LZW ~1400 times, and a PNG or TIFF pixel
// may be one bit; a baseline or progressive JPEG spends at least one bit on each 8 x 8 block;
// OpenEXR's zip and wavelet codecs stay well below 4096 pixels a byte on any real picture. Other
// formats get a bound no picture file comes near; a header beyond it describes data the file
// does not hold.
int64_t MaxPixelsPerByte(const ImageFileFormat& format) {
  if (format.plugin == "targa") return 128;
  if (format.plugin == "jpeg") return 1024;
  if (format.plugin == "openexr") return 4096;
  if (format.plugin == "png") return 8 * 1100;
  if (format.plugin == "tiff") return 8 * 1400;
  return 16384;
}

}  // namespace

struct LibraryPicture::Header {
  ImageRect data;     // data window, in the file's coordinates
  ImageRect display;  // display window, in the file's coordinates
  bool deep = false;
  bool straightAlpha = false;  // colour stored unassociated from alpha (not premultiplied)
  PartChannels part;
  std::vector<bool> floating;  // per channel: stored as floating point
  std::vector<bool> bytes;     // per channel: stored as 8-bit integers

  Header(const OIIO::ImageSpec& imageSpec, const ImageFileFormat& format)
      : data{imageSpec.x, imageSpec.y, imageSpec.width, imageSpec.height},
        display{imageSpec.full_x, imageSpec.full_y, imageSpec.full_width, imageSpec.full_height},
        deep(imageSpec.deep),
        straightAlpha(HoldsStraightColour(imageSpec, format)) {
    part.partName = imageSpec.get_string_attribute("oiio:subimagename");
    part.view = imageSpec.get_string_attribute("view");
    part.multiView = StringList(imageSpec, "multiView");
    part.channels = imageSpec.channelnames;
    part.channels.resize(size_t(std::max(imageSpec.nchannels, 0)));
    for (int c = 0; c < imageSpec.nchannels; ++c) {
      floating.push_back(imageSpec.channelformat(c).is_floating_point());
      bytes.push_back(imageSpec.channelformat(c) == OIIO::TypeDesc::UINT8);
    }
  }

  int64_t DataPixels() const { return int64_t(data.width) * data.height; }

  bool Check(uintmax_t fileBytes, const ImageFileFormat& format, std::string& error) const {
    if (deep) {
      error = "deep images are not supported";
      return false;
    }
    if (part.channels.empty() || part.channels.size() > size_t(kMaxChannels)) {
      error = fmt::format("declares {} channels", part.channels.size());
      return false;
    }
    return CheckDeclaredWindows(data, display, fileBytes, MaxPixelsPerByte(format), error);
  }
};

struct LibraryPicture::Opened {
  std::string path;
  std::unique_ptr<OIIO::ImageInput> input;
  std::vector<Header> headers;
  std::vector<bool> usable;
};

LibraryPicture::LibraryPicture() = default;
LibraryPicture::~LibraryPicture() = default;

bool LibraryPicture::Open(const std::string& path, const ImageFileFormat& format, std::string& error) {
  opened_ = std::make_unique<Opened>();
  opened_->path = path;
  std::error_code ec;
  uintmax_t fileBytes = std::filesystem::file_size(path, ec);
  if (ec) {
    error = "cannot open the file";
    return false;
  }
  // What the image library would believe of a header and pay for before it finds the file short.
  if (format.IsOpenExr() && !CheckExrHeaders(path, error)) return false;
  if (format.plugin == "bmp" && !CheckBmpHeader(path, error)) return false;
  auto& input = opened_->input;
  input = OIIO::ImageInput::create(format.plugin);
  if (!input) {
    error = fmt::format("no reader for the {} format ({})", format.name, ShortDetail(OIIO::geterror(), path));
    return false;
  }
  // Colour and alpha are wanted as stored; the header read then says whether the colour is
  // premultiplied, and the premultiplication is ours.
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  OIIO::ImageSpec first;
  if (!input->open(path, first, config)) {
    error = OpenFailure(input->geterror(), path, format.name);
    return false;
  }
  auto& headers = opened_->headers;
  headers.emplace_back(first, format);
  if (!headers[0].Check(fileBytes, format, error)) return false;
  opened_->usable.push_back(true);
  OIIO::ImageSpec next;
  for (int s = 1; s < kMaxSubimages && input->seek_subimage(s, 0, next); ++s) {
    headers.emplace_back(next, format);
    // Parts of another frame, or whose header does not hold, are left out.
    std::string ignored;
    opened_->usable.push_back(headers[size_t(s)].display == Display() &&
                              headers[size_t(s)].Check(fileBytes, format, ignored));
  }
  input->geterror();  // seeking past the last subimage is not an error
  return true;
}

std::vector<PartChannels> LibraryPicture::UsableParts() const {
  std::vector<PartChannels> parts;
  for (size_t s = 0; s < opened_->headers.size(); ++s) {
    parts.push_back(opened_->headers[s].part);
    if (!opened_->usable[s]) parts.back().channels.clear();
  }
  return parts;
}

const LibraryPicture::Header& LibraryPicture::HeaderOf(int subimage) const { return opened_->headers[size_t(subimage)]; }

const ImageRect& LibraryPicture::Display() const { return HeaderOf(0).display; }

const ImageRect& LibraryPicture::DataWindow(ChannelRef ref) const { return HeaderOf(ref.subimage).data; }

// Floating-point colour is linear light; integer colour is already encoded.
bool LibraryPicture::IsLinear(ChannelRef ref) const { return HeaderOf(ref.subimage).floating[size_t(ref.channel)]; }

bool LibraryPicture::IsStraight(ChannelRef ref) const { return HeaderOf(ref.subimage).straightAlpha; }

std::string LibraryPicture::ChannelName(ChannelRef ref) const {
  const PartChannels& part = HeaderOf(ref.subimage).part;
  const std::string& name = part.channels[size_t(ref.channel)];
  return part.partName.empty() || HeaderOf(0).part.partName.empty() ? name : part.partName + ":" + name;
}

bool LibraryPicture::Get(ChannelRef ref, const float*& data, int& stride, std::string& error) {
  if (!held_.Holds(ref) && !Load(BlockFor(ref), values_, held_, error)) return false;
  stride = held_.end - held_.begin;
  data = values_.data() + (ref.channel - held_.begin);
  return true;
}

bool LibraryPicture::HoldsBytes(ChannelRef ref) const { return HeaderOf(ref.subimage).bytes[size_t(ref.channel)]; }

bool LibraryPicture::GetBytes(ChannelRef ref, const uint8_t*& data, int& stride, std::string& error) {
  if (!HoldsBytes(ref)) {
    error = "not a byte channel";
    return false;
  }
  if (!heldBytes_.Holds(ref) && !Load(BlockFor(ref), bytes_, heldBytes_, error)) return false;
  stride = heldBytes_.end - heldBytes_.begin;
  data = bytes_.data() + (ref.channel - heldBytes_.begin);
  return true;
}

// Every wanted channel of the subimage at once when that fits, else the one channel.
LibraryPicture::Block LibraryPicture::BlockFor(ChannelRef ref) const {
  int lo = ref.channel, hi = ref.channel;
  for (ChannelRef w : wanted_) {
    if (w.subimage != ref.subimage) continue;
    lo = std::min(lo, w.channel);
    hi = std::max(hi, w.channel);
  }
  if (HeaderOf(ref.subimage).DataPixels() * (hi - lo + 1) > kMaxBlockValues) lo = hi = ref.channel;
  return {ref.subimage, lo, hi + 1};
}

template <typename Value>
bool LibraryPicture::Load(const Block& block, std::vector<Value>& values, Block& held, std::string& error) {
  held = {};
  values.assign(size_t(HeaderOf(block.subimage).DataPixels()) * size_t(block.end - block.begin), Value(0));
  OIIO::ImageInput& in = *opened_->input;
  bool ok = in.read_image(block.subimage, 0, block.begin, block.end, OIIO::BaseTypeFromC<Value>::value, values.data());
  // A truncated file can "succeed" with missing pixels: the error is the only sign.
  if (!ok || in.has_error()) {
    error = ReadFailure(in.geterror(), opened_->path);
    return false;
  }
  held = block;
  return true;
}
