#include "platform/image/ImageReader.h"

#include <OpenImageIO/imageio.h>
#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>
#include <vector>

#include "platform/image/ExrHeaderCheck.h"
#include "platform/image/ImageIo.h"
#include "platform/image/PixelConversion.h"
#include "platform/image/RlaHeaderCheck.h"

namespace {

constexpr int kMaxSubimages = 64;
constexpr int kMaxChannels = 1024;
// Channels are read a block at a time; a block holds at most this many floats (256 MB).
constexpr int64_t kMaxBlockValues = int64_t(1) << 26;

struct SubimageHeader {
  ImageRect data;     // data window, in the file's coordinates
  ImageRect display;  // display window, in the file's coordinates
  bool deep = false;
  bool straightAlpha = false;  // colour stored unassociated from alpha (not premultiplied)
  PartChannels part;
  std::vector<OIIO::TypeDesc> types;

  int64_t DataPixels() const { return int64_t(data.width) * data.height; }
};

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

SubimageHeader Describe(const OIIO::ImageSpec& imageSpec, const ImageFileFormat& format) {
  SubimageHeader s;
  s.data = {imageSpec.x, imageSpec.y, imageSpec.width, imageSpec.height};
  s.display = {imageSpec.full_x, imageSpec.full_y, imageSpec.full_width, imageSpec.full_height};
  s.deep = imageSpec.deep;
  s.straightAlpha = HoldsStraightColour(imageSpec, format);
  s.part.partName = imageSpec.get_string_attribute("oiio:subimagename");
  s.part.view = imageSpec.get_string_attribute("view");
  s.part.multiView = StringList(imageSpec, "multiView");
  s.part.channels = imageSpec.channelnames;
  s.part.channels.resize(size_t(std::max(imageSpec.nchannels, 0)));
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

// Most pixels one byte of a file can describe. Run-length packets (Targa, RLA) cover at most 128
// pixels; deflate expands a byte at most ~1032 times and LZW ~1400 times, and a PNG or TIFF pixel
// may be one bit; a baseline or progressive JPEG spends at least one bit on each 8 x 8 block;
// OpenEXR's zip and wavelet codecs stay well below 4096 pixels a byte on any real picture. Other
// formats get a bound no picture file comes near; a header beyond it describes data the file
// does not hold.
int64_t MaxPixelsPerByte(const ImageFileFormat& format) {
  if (format.plugin == "targa" || format.plugin == "rla") return 128;
  if (format.plugin == "jpeg") return 1024;
  if (format.plugin == "openexr") return 4096;
  if (format.plugin == "png") return 8 * 1100;
  if (format.plugin == "tiff") return 8 * 1400;
  return 16384;
}

// A display window may be larger than the data the file stores (an OpenEXR frame whose data
// window covers the subject only): the part outside is empty and costs the file nothing, so it is
// bounded separately, by this many pixels a byte.
constexpr int64_t kMaxEmptyPixelsPerByte = 65536;

bool CheckWindowSides(const char* what, const ImageRect& r, std::string& error) {
  if (r.width < 1 || r.height < 1 || r.width > kMaxImageSide || r.height > kMaxImageSide) {
    error = fmt::format("declares {} of {} x {} pixels; sides must be 1 to {}", what, r.width, r.height,
                        kMaxImageSide);
    return false;
  }
  return true;
}

bool CheckDeclaredSize(const SubimageHeader& s, uintmax_t fileBytes, const ImageFileFormat& format,
                       std::string& error) {
  if (s.deep) {
    error = "deep images are not supported";
    return false;
  }
  if (!CheckWindowSides("an image", s.data, error) || !CheckWindowSides("a display window", s.display, error)) {
    return false;
  }
  if (s.part.channels.empty() || s.part.channels.size() > size_t(kMaxChannels)) {
    error = fmt::format("declares {} channels", s.part.channels.size());
    return false;
  }
  if (s.DataPixels() > int64_t(fileBytes) * MaxPixelsPerByte(format)) {
    error = fmt::format("file is truncated (declares {} x {} pixels in {} bytes)", s.data.width, s.data.height,
                        fileBytes);
    return false;
  }
  int64_t displayPixels = int64_t(s.display.width) * s.display.height;
  if (displayPixels > s.DataPixels() && displayPixels > int64_t(fileBytes) * kMaxEmptyPixelsPerByte) {
    error = fmt::format("declares a display window of {} x {} pixels around {} x {} pixels of data", s.display.width,
                        s.display.height, s.data.width, s.data.height);
    return false;
  }
  return true;
}

bool SameWindow(const ImageRect& a, const ImageRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// What the image library would believe of a header and pay for before it finds the file short.
bool CheckBeforeOpening(const std::string& path, const ImageFileFormat& format, std::string& error) {
  if (format.plugin == "openexr") return CheckExrHeaders(path, error);
  if (format.plugin == "rla") return CheckRlaHeaders(path, error);
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
    if (!CheckBeforeOpening(path, format, error)) return false;
    input_ = OIIO::ImageInput::create(format.plugin);
    if (!input_) {
      error = fmt::format("no reader for the {} format ({})", format.name, Detail(OIIO::geterror(), path));
      return false;
    }
    // Colour and alpha are wanted as stored; the header read then says whether the colour is
    // premultiplied, and the premultiplication is ours (see PictureConversion).
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    OIIO::ImageSpec first;
    if (!input_->open(path, first, config)) {
      error = OpenFailure(input_->geterror(), path, format);
      return false;
    }
    headers_.push_back(Describe(first, format));
    if (!CheckDeclaredSize(headers_[0], fileBytes, format, error)) return false;
    usable_.push_back(true);
    OIIO::ImageSpec next;
    for (int s = 1; s < kMaxSubimages && input_->seek_subimage(s, 0, next); ++s) {
      headers_.push_back(Describe(next, format));
      // Parts of another frame, or whose header does not hold, are left out.
      std::string ignored;
      usable_.push_back(SameWindow(headers_[s].display, Display()) &&
                        CheckDeclaredSize(headers_[s], fileBytes, format, ignored));
    }
    input_->geterror();  // seeking past the last subimage is not an error
    return true;
  }

  // The parts the picture can use, with their channels; an unusable part has none.
  std::vector<PartChannels> UsableParts() const {
    std::vector<PartChannels> parts;
    for (size_t s = 0; s < headers_.size(); ++s) {
      parts.push_back(headers_[s].part);
      if (!usable_[s]) parts.back().channels.clear();
    }
    return parts;
  }

  // The picture is the display window of the first part.
  const ImageRect& Display() const { return headers_[0].display; }
  int Width() const { return Display().width; }
  int Height() const { return Display().height; }
  const SubimageHeader& Header(int subimage) const { return headers_[size_t(subimage)]; }
  bool IsFloatingPoint(ChannelRef ref) const { return Header(ref.subimage).types[ref.channel].is_floating_point(); }
  OIIO::ImageInput& Input() { return *input_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<OIIO::ImageInput> input_;
  std::vector<SubimageHeader> headers_;
  std::vector<bool> usable_;
};

// Reads channels as floats over their part's data window, a block of neighbouring channels at a
// time, and keeps the last block.
class ChannelReader {
 public:
  ChannelReader(OpenImage& image, const std::vector<ChannelRef>& wanted) : image_(image), wanted_(wanted) {}

  // The values of one channel over its data window: pixel i is data[i * stride].
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
    if (image_.Header(ref.subimage).DataPixels() * (hi - lo + 1) > kMaxBlockValues) lo = hi = ref.channel;
    return {ref.subimage, lo, hi + 1};
  }

  bool Load(const Block& block, std::string& error) {
    subimage_ = -1;
    values_.assign(size_t(image_.Header(block.subimage).DataPixels()) * size_t(block.end - block.begin), 0.0f);
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

// Where a part's data window lies in the picture (the display window), clipped to it.
struct Placement {
  int64_t firstColumn = 0;  // in the picture
  int64_t firstRow = 0;
  int64_t columns = 0;      // 0: nothing of the data lies in the picture
  int64_t rows = 0;
  int64_t skipColumns = 0;  // data columns and rows left of and above the picture
  int64_t skipRows = 0;
};

Placement PlaceData(const ImageRect& data, const ImageRect& display) {
  int64_t left = std::max<int64_t>(data.x, display.x);
  int64_t top = std::max<int64_t>(data.y, display.y);
  int64_t right = std::min<int64_t>(int64_t(data.x) + data.width, int64_t(display.x) + display.width);
  int64_t bottom = std::min<int64_t>(int64_t(data.y) + data.height, int64_t(display.y) + display.height);
  if (right <= left || bottom <= top) return {};
  return {left - display.x, top - display.y, right - left, bottom - top, left - data.x, top - data.y};
}

// One channel over the whole picture: the data placed at its offset, fill everywhere else.
bool ReadPlane(OpenImage& image, ChannelReader& reader, ChannelRef ref, float fill, std::vector<float>& plane,
               std::string& error) {
  const float* src = nullptr;
  int stride = 0;
  if (!reader.Get(ref, src, stride, error)) return false;
  const ImageRect& data = image.Header(ref.subimage).data;
  const int64_t width = image.Width();
  plane.assign(size_t(width) * size_t(image.Height()), fill);
  Placement at = PlaceData(data, image.Display());
  for (int64_t row = 0; row < at.rows; ++row) {
    const float* in = src + ((at.skipRows + row) * data.width + at.skipColumns) * stride;
    float* out = plane.data() + (at.firstRow + row) * width + at.firstColumn;
    for (int64_t x = 0; x < at.columns; ++x) out[x] = in[x * stride];
  }
  return true;
}

// --- Colour and alpha ---

// Colour in memory is 8-bit, display-encoded and premultiplied by alpha: the byte is
// alpha x the straight colour's encoded value. Floating-point colour is linear light,
// premultiplied in the file unless the file says otherwise; integer colour is already encoded.
struct PictureConversion {
  bool linear = false;      // floating-point channel: linear light
  bool straight = false;    // stored unassociated from alpha
  const float* alpha = nullptr;  // the alpha plane, or null: no alpha

  uint8_t operator()(float v, size_t i) const {
    float a = alpha ? alpha[i] : 1.0f;
    // Straight colour under no alpha is hidden: premultiplied, it is nothing.
    if (straight && !(a > 0.0f)) return 0;
    if (!(a > 0.0f && a < 1.0f)) return linear ? LinearToSrgbByte(v) : UnitToByte(v);
    if (!linear) return straight ? UnitToByte(a * v) : UnitToByte(v);
    float straightValue = straight ? v : v / a;
    return UnitToByte(a * LinearToSrgbUnit(straightValue));
  }
};

bool FillByteChannel(OpenImage& image, ChannelReader& reader, ChannelRef ref, const PictureConversion& convert,
                     std::vector<float>& plane, Bitmap& layer, int k, std::string& error) {
  if (!ReadPlane(image, reader, ref, 0.0f, plane, error)) return false;
  uint8_t* dst = layer.GetLineBytes(0) + k;
  int channels = layer.GetChannels();
  for (size_t i = 0, n = size_t(layer.GetPixelCount()); i < n; ++i) dst[i * channels] = convert(plane[i], i);
  return true;
}

bool ReadPicture(OpenImage& image, ChannelReader& reader, const ChannelPlan& plan, const float* alpha,
                 CLayerBitmap& out, std::string& error) {
  ChannelRef first = plan.HasColour() ? plan.red : plan.grey;
  if (!first) return true;
  bool straight = image.Header(first.subimage).straightAlpha;
  std::unique_ptr<Bitmap> picture;
  std::vector<ChannelRef> channels;
  if (plan.HasColour()) {
    picture = std::make_unique<rgbBitmap>(image.Width(), image.Height());
    channels = {plan.red, plan.green, plan.blue};
  } else {
    picture = std::make_unique<g8Bitmap>(image.Width(), image.Height());
    channels = {plan.grey};
  }
  std::vector<float> plane;
  for (int k = 0; k < int(channels.size()); ++k) {
    PictureConversion convert{image.IsFloatingPoint(channels[k]), straight, alpha};
    if (!FillByteChannel(image, reader, channels[k], convert, plane, *picture, k, error)) return false;
  }
  out.AddLayer(std::move(picture));
  return true;
}

void ReadAlpha(const std::vector<float>& plane, int width, int height, CLayerBitmap& out) {
  auto alpha = std::make_unique<alphaBitmap>(width, height);
  uint8_t* dst = alpha->GetData();
  for (size_t i = 0, n = plane.size(); i < n; ++i) dst[i] = UnitToByte(plane[i]);
  out.AddLayer(std::move(alpha));
}

// Outside the data window there is no depth: background.
bool ReadDepth(OpenImage& image, ChannelReader& reader, ChannelRef ref, CLayerBitmap& out, std::string& error) {
  std::vector<float> plane;
  if (!ReadPlane(image, reader, ref, std::numeric_limits<float>::infinity(), plane, error)) return false;
  auto depth = std::make_unique<floatBitmap>(image.Width(), image.Height());
  std::copy(plane.begin(), plane.end(), depth->GetData());
  ReadDepthChannel(depth->GetData(), depth->GetValueCount());
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

// A depth file without a depth channel whose picture is floating point holds the depth in its
// picture channels (a renderer's depth pass): the first of them is the depth, and there is no
// picture. Integer pictures stay pictures: they are depth pictures of a few hundred levels.
void TakeDepthPass(const OpenImage& image, ChannelPlan& plan) {
  ChannelRef first = plan.HasColour() ? plan.red : plan.grey;
  if (plan.depth || !first || !image.IsFloatingPoint(first)) return;
  plan.depth = first;
  plan.red = plan.green = plan.blue = plan.grey = {};
}

// What the reader took, for those who describe a file.
void Describe(const OpenImage& image, const ViewSelection& selection, ImageFileInfo& info) {
  info.width = image.Width();
  info.height = image.Height();
  info.channels = FindChannels(selection.channels);
  info.views = selection.views;
  info.view = selection.view;
  info.requestedViewFound = selection.requestedFound;
  const ChannelPlan& c = info.channels;
  ChannelRef main = c.HasColour() ? c.red : c.grey ? c.grey : c.depth ? c.depth : c.alpha;
  if (main) {
    const ImageRect& data = image.Header(main.subimage).data;
    info.data = {data.x - image.Display().x, data.y - image.Display().y, data.width, data.height};
  }
  info.takenChannels.clear();
  for (ChannelRef r : {c.red, c.green, c.blue, c.grey, c.alpha, c.depth}) {
    if (!r) continue;
    const PartChannels& part = image.Header(r.subimage).part;
    std::string name = part.channels[size_t(r.channel)];
    info.takenChannels.push_back(part.partName.empty() || image.Header(0).part.partName.empty()
                                     ? name
                                     : part.partName + ":" + name);
  }
}

}  // namespace

bool ProbeImageFile(const std::string& path, const ImageFileFormat& format, const std::string& view,
                    ImageFileInfo& info, std::string& error) {
  OpenImage image;
  if (!image.Open(path, format, error)) return false;
  Describe(image, SelectView(image.UsableParts(), view), info);
  return true;
}

std::unique_ptr<CLayerBitmap> ReadImageFile(const std::string& path, const ImageFileFormat& format,
                                            LayersToRead layers, const std::string& view, std::string& error) {
  OpenImage image;
  if (!image.Open(path, format, error)) return nullptr;
  ChannelPlan plan = FindChannels(SelectView(image.UsableParts(), view).channels);
  if (layers == LayersToRead::Picture && !plan.HasPicture()) {
    error = "holds no colour or grey picture";
    return nullptr;
  }
  if (plan.IsEmpty()) {
    error = "holds no colour, grey, alpha or depth channel";
    return nullptr;
  }

  if (layers == LayersToRead::DepthFile) {
    TakeDepthPass(image, plan);
    layers = LayersToRead::All;
  }

  auto out = std::make_unique<CLayerBitmap>();
  ChannelReader reader(image, WantedChannels(plan, layers));
  std::vector<float> alpha;
  bool withAlpha = layers == LayersToRead::All && plan.alpha;
  if (withAlpha && !ReadPlane(image, reader, plan.alpha, 0.0f, alpha, error)) return nullptr;
  if (!ReadPicture(image, reader, plan, withAlpha ? alpha.data() : nullptr, *out, error)) return nullptr;
  if (withAlpha) ReadAlpha(alpha, image.Width(), image.Height(), *out);
  if (layers == LayersToRead::All && plan.depth && !ReadDepth(image, reader, plan.depth, *out, error)) return nullptr;
  return out;
}
