#include "platform/image/ImageReader.h"

#include <OpenImageIO/imageio.h>
#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "platform/image/ImageIo.h"
#include "platform/image/PixelConversion.h"

namespace {

constexpr int kMaxSubimages = 64;
constexpr int kMaxChannels = 1024;
// Channels are read a block at a time; a block holds at most this many floats (256 MB).
constexpr int64_t kMaxBlockValues = int64_t(1) << 26;

struct SubimageSpec {
  int width = 0;
  int height = 0;
  bool deep = false;
  std::vector<std::string> names;
  std::vector<OIIO::TypeDesc> types;
};

SubimageSpec Describe(const OIIO::ImageSpec& imageSpec) {
  SubimageSpec s{imageSpec.width, imageSpec.height, imageSpec.deep, imageSpec.channelnames, {}};
  s.names.resize(size_t(std::max(imageSpec.nchannels, 0)));
  for (int c = 0; c < imageSpec.nchannels; ++c) s.types.push_back(imageSpec.channelformat(c));
  return s;
}

// --- Error wording ---

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The library's message on one line, with the file's full path shortened to its name.
std::string Detail(std::string message, const std::string& path) {
  message = message.substr(0, message.find('\n'));
  std::string name = std::filesystem::path(path).filename().string();
  for (auto at = message.find(path); at != std::string::npos; at = message.find(path, at + name.size())) {
    message.replace(at, path.size(), name);
  }
  return message;
}

bool SaysTruncated(const std::string& message) {
  std::string m = Lower(message);
  for (const char* hint : {"end of file", "eof", "premature", "truncat", "expected"}) {
    if (m.find(hint) != std::string::npos) return true;
  }
  return false;
}

std::string OpenFailure(const std::string& message, const std::string& path, const ImageFileFormat& format) {
  if (SaysTruncated(message)) return "file is truncated";
  return fmt::format("not a readable {} file ({})", format.name, Detail(message, path));
}

std::string ReadFailure(const std::string& message, const std::string& path) {
  if (SaysTruncated(message)) return "file is truncated";
  return fmt::format("cannot read the pixels ({})", Detail(message, path));
}

// --- Header checks ---

// Most pixels one byte of a file can describe, for formats whose compression is bounded
// (run-length packets cover at most 128 pixels; deflate expands a byte at most ~1032 times and a
// PNG pixel may be one bit). 0: no useful bound.
int64_t MaxPixelsPerByte(const ImageFileFormat& format) {
  if (format.plugin == "targa" || format.plugin == "rla") return 128;
  if (format.plugin == "png") return 8 * 1100;
  return 0;
}

bool CheckDeclaredSize(const SubimageSpec& s, uintmax_t fileBytes, const ImageFileFormat& format,
                       std::string& error) {
  if (s.deep) {
    error = "deep images are not supported";
    return false;
  }
  if (s.width < 1 || s.height < 1 || s.width > kMaxImageSide || s.height > kMaxImageSide) {
    error = fmt::format("declares an image of {} x {} pixels; sides must be 1 to {}", s.width, s.height,
                        kMaxImageSide);
    return false;
  }
  if (s.names.empty() || s.names.size() > size_t(kMaxChannels)) {
    error = fmt::format("declares {} channels", s.names.size());
    return false;
  }
  int64_t pixels = int64_t(s.width) * s.height;
  int64_t perByte = MaxPixelsPerByte(format);
  if (perByte > 0 && pixels > int64_t(fileBytes) * perByte) {
    error = fmt::format("file is truncated (declares {} x {} pixels in {} bytes)", s.width, s.height, fileBytes);
    return false;
  }
  return true;
}

// --- An open file ---

class OpenImage {
 public:
  bool Open(const std::string& path, const ImageFileFormat& format, std::string& error) {
    path_ = path;
    std::error_code ec;
    uintmax_t fileBytes = std::filesystem::file_size(path, ec);
    if (ec) {
      error = "cannot open the file";
      return false;
    }
    if (fileBytes == 0) {
      error = "file is empty";
      return false;
    }
    input_ = OIIO::ImageInput::create(format.plugin);
    if (!input_) {
      error = fmt::format("no reader for the {} format ({})", format.name, Detail(OIIO::geterror(), path));
      return false;
    }
    // Colour and alpha are wanted as stored: no premultiplication by the library.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    OIIO::ImageSpec first;
    if (!input_->open(path, first, config)) {
      error = OpenFailure(input_->geterror(), path, format);
      return false;
    }
    specs_.push_back(Describe(first));
    if (!CheckDeclaredSize(specs_[0], fileBytes, format, error)) return false;
    OIIO::ImageSpec next;
    for (int s = 1; s < kMaxSubimages && input_->seek_subimage(s, 0, next); ++s) specs_.push_back(Describe(next));
    input_->geterror();  // seeking past the last subimage is not an error
    return true;
  }

  // The channel names of the subimages the picture can use: those of the first one's size.
  std::vector<std::vector<std::string>> UsableChannels() const {
    std::vector<std::vector<std::string>> names;
    for (const auto& s : specs_) {
      bool usable = !s.deep && s.width == Width() && s.height == Height();
      names.push_back(usable ? s.names : std::vector<std::string>{});
    }
    return names;
  }

  int Width() const { return specs_[0].width; }
  int Height() const { return specs_[0].height; }
  int64_t Pixels() const { return int64_t(Width()) * Height(); }
  bool IsFloatingPoint(ChannelRef ref) const {
    return specs_[ref.subimage].types[ref.channel].is_floating_point();
  }
  OIIO::ImageInput& Input() { return *input_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<OIIO::ImageInput> input_;
  std::vector<SubimageSpec> specs_;
};

// Reads channels as floats, a block of neighbouring channels at a time, and keeps the last block.
class ChannelReader {
 public:
  ChannelReader(OpenImage& image, const std::vector<ChannelRef>& wanted) : image_(image), wanted_(wanted) {}

  // The values of one channel: pixel i is data[i * stride].
  bool Get(ChannelRef ref, const float*& data, int& stride, std::string& error) {
    if (!Holds(ref) && !Load(BlockFor(ref), error)) return false;
    stride = end_ - begin_;
    data = values_.data() + (ref.channel - begin_);
    return true;
  }

 private:
  bool Holds(ChannelRef ref) const {
    return ref.subimage == subimage_ && ref.channel >= begin_ && ref.channel < end_;
  }

  struct Block {
    int subimage;
    int begin;
    int end;
  };

  // Every wanted channel of the subimage at once when that fits, else the one channel.
  Block BlockFor(ChannelRef ref) const {
    int lo = ref.channel, hi = ref.channel;
    for (ChannelRef w : wanted_) {
      if (w.subimage != ref.subimage) continue;
      lo = std::min(lo, w.channel);
      hi = std::max(hi, w.channel);
    }
    if (image_.Pixels() * (hi - lo + 1) > kMaxBlockValues) lo = hi = ref.channel;
    return {ref.subimage, lo, hi + 1};
  }

  bool Load(const Block& block, std::string& error) {
    subimage_ = -1;
    values_.assign(size_t(image_.Pixels()) * size_t(block.end - block.begin), 0.0f);
    OIIO::ImageInput& in = image_.Input();
    bool ok = in.read_image(block.subimage, 0, block.begin, block.end, OIIO::TypeDesc::FLOAT, values_.data());
    // A truncated file can "succeed" with missing pixels: the error is the only sign.
    if (!ok || in.has_error()) {
      error = ReadFailure(in.geterror(), image_.Path());
      return false;
    }
    subimage_ = block.subimage;
    begin_ = block.begin;
    end_ = block.end;
    return true;
  }

  OpenImage& image_;
  std::vector<ChannelRef> wanted_;
  std::vector<float> values_;
  int subimage_ = -1;
  int begin_ = 0;
  int end_ = 0;
};

// Fills channel k of an 8-bit layer from a file channel.
bool FillByteChannel(ChannelReader& reader, ChannelRef ref, uint8_t (*convert)(float), Bitmap& layer, int k,
                     std::string& error) {
  const float* src = nullptr;
  int stride = 0;
  if (!reader.Get(ref, src, stride, error)) return false;
  uint8_t* dst = layer.GetLineBytes(0) + k;
  int channels = layer.GetChannels();
  for (int64_t i = 0, n = layer.GetPixelCount(); i < n; ++i) dst[i * channels] = convert(src[i * stride]);
  return true;
}

// Integer channels are already encoded for display; floating-point ones are linear light.
auto ColourConversion(const OpenImage& image, ChannelRef ref) {
  return image.IsFloatingPoint(ref) ? &LinearToSrgbByte : &UnitToByte;
}

bool ReadPicture(OpenImage& image, ChannelReader& reader, const ChannelPlan& plan, CLayerBitmap& out,
                 std::string& error) {
  if (plan.HasColour()) {
    auto colour = std::make_unique<rgbBitmap>(image.Width(), image.Height());
    const ChannelRef rgb[3] = {plan.red, plan.green, plan.blue};
    for (int k = 0; k < 3; ++k) {
      if (!FillByteChannel(reader, rgb[k], ColourConversion(image, rgb[k]), *colour, k, error)) return false;
    }
    out.AddLayer(std::move(colour));
  } else if (plan.grey) {
    auto grey = std::make_unique<g8Bitmap>(image.Width(), image.Height());
    if (!FillByteChannel(reader, plan.grey, ColourConversion(image, plan.grey), *grey, 0, error)) return false;
    out.AddLayer(std::move(grey));
  }
  return true;
}

bool ReadAlpha(OpenImage& image, ChannelReader& reader, ChannelRef ref, CLayerBitmap& out, std::string& error) {
  auto alpha = std::make_unique<alphaBitmap>(image.Width(), image.Height());
  if (!FillByteChannel(reader, ref, &UnitToByte, *alpha, 0, error)) return false;
  out.AddLayer(std::move(alpha));
  return true;
}

bool ReadDepth(OpenImage& image, ChannelReader& reader, ChannelRef ref, CLayerBitmap& out, std::string& error) {
  const float* src = nullptr;
  int stride = 0;
  if (!reader.Get(ref, src, stride, error)) return false;
  auto depth = std::make_unique<floatBitmap>(image.Width(), image.Height());
  float* dst = depth->GetData();
  for (int64_t i = 0, n = depth->GetPixelCount(); i < n; ++i) dst[i] = src[i * stride];
  OrientDepth(dst, depth->GetValueCount());
  out.AddLayer(std::move(depth));
  return true;
}

std::vector<ChannelRef> WantedChannels(const ChannelPlan& plan, LayersToRead layers) {
  std::vector<ChannelRef> wanted;
  for (ChannelRef r : {plan.red, plan.green, plan.blue, plan.grey}) {
    if (r) wanted.push_back(r);
  }
  if (layers == LayersToRead::All) {
    for (ChannelRef r : {plan.alpha, plan.depth}) {
      if (r) wanted.push_back(r);
    }
  }
  return wanted;
}

}  // namespace

bool ProbeImageFile(const std::string& path, const ImageFileFormat& format, ImageFileInfo& info, std::string& error) {
  OpenImage image;
  if (!image.Open(path, format, error)) return false;
  info.width = image.Width();
  info.height = image.Height();
  info.channels = FindChannels(image.UsableChannels());
  return true;
}

std::unique_ptr<CLayerBitmap> ReadImageFile(const std::string& path, const ImageFileFormat& format,
                                            LayersToRead layers, std::string& error) {
  OpenImage image;
  if (!image.Open(path, format, error)) return nullptr;
  ChannelPlan plan = FindChannels(image.UsableChannels());
  if (layers == LayersToRead::Picture && !plan.HasPicture()) {
    error = "holds no colour or grey picture";
    return nullptr;
  }
  if (plan.IsEmpty()) {
    error = "holds no colour, grey, alpha or depth channel";
    return nullptr;
  }

  auto out = std::make_unique<CLayerBitmap>();
  ChannelReader reader(image, WantedChannels(plan, layers));
  if (!ReadPicture(image, reader, plan, *out, error)) return nullptr;
  if (layers == LayersToRead::All) {
    if (plan.alpha && !ReadAlpha(image, reader, plan.alpha, *out, error)) return nullptr;
    if (plan.depth && !ReadDepth(image, reader, plan.depth, *out, error)) return nullptr;
  }
  return out;
}
