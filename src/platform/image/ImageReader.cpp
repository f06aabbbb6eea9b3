#include "platform/image/ImageReader.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

#include "platform/image/DeclaredSize.h"
#include "platform/image/ExrFile.h"
#include "platform/image/ImageIo.h"
#include "platform/image/LibraryImage.h"
#include "platform/image/PixelConversion.h"
#include "platform/image/PngFile.h"
#include "platform/image/RlaReader.h"

namespace {

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

// One channel over the whole picture (plane: the display window's size): the data placed at its
// offset, fill everywhere else.
bool PlaceChannel(ImageSource& image, ChannelRef ref, float fill, float* plane, std::string& error) {
  if (image.ReadsInto(ref)) return image.ReadInto(ref, plane, error);
  const float* src = nullptr;
  int stride = 0;
  if (!image.Get(ref, src, stride, error)) return false;
  const ImageRect& data = image.DataWindow(ref);
  const int64_t width = image.Display().width;
  Placement at = PlaceData(data, image.Display());
  const bool whole = at.columns == width && at.rows == image.Display().height;
  if (!whole) std::fill(plane, plane + width * image.Display().height, fill);
  for (int64_t row = 0; row < at.rows; ++row) {
    const float* in = src + ((at.skipRows + row) * data.width + at.skipColumns) * stride;
    float* out = plane + (at.firstRow + row) * width + at.firstColumn;
    for (int64_t x = 0; x < at.columns; ++x) out[x] = in[x * stride];
  }
  return true;
}

bool ReadPlane(ImageSource& image, ChannelRef ref, float fill, std::vector<float>& plane, std::string& error) {
  plane.resize(size_t(image.Display().width) * size_t(image.Display().height));
  return PlaceChannel(image, ref, fill, plane.data(), error);
}

// --- Colour and alpha ---

// Colour in memory is 8-bit, display-encoded and premultiplied by alpha: the byte is
// alpha x the straight colour's encoded value. Colour is linear light or already encoded, as its
// source says, and premultiplied in the file unless the file says otherwise.
struct PictureConversion {
  bool linear = false;      // linear light (floating-point colour of most formats)
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

bool FillByteChannel(ImageSource& image, ChannelRef ref, const PictureConversion& convert, std::vector<float>& plane,
                     Bitmap& layer, int k, std::string& error) {
  if (!ReadPlane(image, ref, 0.0f, plane, error)) return false;
  uint8_t* dst = layer.GetLineBytes(0) + k;
  int channels = layer.GetChannels();
  for (size_t i = 0, n = size_t(layer.GetPixelCount()); i < n; ++i) dst[i * channels] = convert(plane[i], i);
  return true;
}

// The picture layer a plan fills (colour or grey) and the channels that go into it, in order.
std::pair<std::unique_ptr<Bitmap>, std::vector<ChannelRef>> PictureFor(const ChannelPlan& plan, int width,
                                                                      int height) {
  if (plan.HasColour()) {
    return {std::make_unique<rgbBitmap>(width, height), std::vector<ChannelRef>{plan.red, plan.green, plan.blue}};
  }
  return {std::make_unique<g8Bitmap>(width, height), std::vector<ChannelRef>{plan.grey}};
}

bool ReadPicture(ImageSource& image, const ChannelPlan& plan, const float* alpha, CLayerBitmap& out,
                 std::string& error) {
  ChannelRef first = plan.HasColour() ? plan.red : plan.grey;
  if (!first) return true;
  bool straight = image.IsStraight(first);
  const int width = image.Display().width, height = image.Display().height;
  auto [picture, channels] = PictureFor(plan, width, height);
  std::vector<float> plane;
  for (int k = 0; k < int(channels.size()); ++k) {
    PictureConversion convert{image.IsLinear(channels[k]), straight, alpha};
    if (!FillByteChannel(image, channels[k], convert, plane, *picture, k, error)) return false;
  }
  out.AddLayer(std::move(picture));
  return true;
}

// --- Floating-point pictures, as float colour ---

// A frame's picture stored as floating point (linear light) is kept as float colour; integer
// pictures, and floating-point ones this program wrote from bytes, stay bytes.
bool IsFloatPicture(const ImageSource& image, const ChannelPlan& plan) {
  const ChannelRef first = plan.HasColour() ? plan.red : plan.grey;
  return image.IsLinear(first) && !image.HoldsEightBitPicture(first);
}

// Not a number reads as 0; infinities are kept out of the sums as the largest float.
float CleanValue(float v) {
  if (!(v == v)) return 0.0f;
  return std::clamp(v, -std::numeric_limits<float>::max(), std::numeric_limits<float>::max());
}

// Colour (a grey picture gives three equal channels) premultiplied by alpha, and alpha as read.
bool ReadFloatPicture(ImageSource& image, const ChannelPlan& plan, const std::vector<float>* alpha, CLayerBitmap& out,
                      std::string& error) {
  const int width = image.Display().width, height = image.Display().height;
  auto colour = std::make_unique<rgbFloatBitmap>(width, height);
  const std::vector<ChannelRef> channels =
      plan.HasColour() ? std::vector<ChannelRef>{plan.red, plan.green, plan.blue} : std::vector<ChannelRef>{plan.grey};
  const bool straight = alpha && image.IsStraight(channels[0]);
  std::vector<float> plane;
  float* dst = colour->GetData();
  const size_t pixels = size_t(width) * size_t(height);
  for (size_t k = 0; k < channels.size(); ++k) {
    // A channel whose data covers the picture exactly is read in place, without a plane.
    const float* values = nullptr;
    size_t step = 1;
    if (image.DataWindow(channels[k]) == image.Display()) {
      int stride = 0;
      if (!image.Get(channels[k], values, stride, error)) return false;
      step = size_t(stride);
    } else {
      if (!ReadPlane(image, channels[k], 0.0f, plane, error)) return false;
      values = plane.data();
    }
    for (size_t i = 0; i < pixels; ++i) {
      const float read = CleanValue(values[i * step]);
      const float v = straight ? read * CleanValue((*alpha)[i]) : read;
      if (channels.size() == 1) {
        dst[3 * i] = dst[3 * i + 1] = dst[3 * i + 2] = v;
      } else {
        dst[3 * i + k] = v;
      }
    }
  }
  out.AddLayer(std::move(colour));
  if (alpha) {
    auto layer = std::make_unique<alphaFloatBitmap>(width, height);
    for (size_t i = 0; i < pixels; ++i) layer->GetData()[i] = CleanValue((*alpha)[i]);
    out.AddLayer(std::move(layer));
  }
  return true;
}

// --- 8-bit pictures, straight to bytes ---

// The byte conversions of PictureConversion for byte channels, as tables: the same float
// expressions, evaluated once for every value.
struct ByteTables {
  uint8_t plain[256];            // a value alone (no alpha, opaque, or premultiplied in the file)
  uint8_t premultiplied[256][256];  // [alpha][straight value]
  bool plainKeepsBytes = true;      // plain[v] == v for every v

  ByteTables() {
    for (int v = 0; v < 256; ++v) {
      plain[v] = UnitToByte(float(v) * (1.0f / 255.0f));
      plainKeepsBytes = plainKeepsBytes && plain[v] == v;
    }
    for (int a = 0; a < 256; ++a) {
      const float alpha = float(a) * (1.0f / 255.0f);
      for (int v = 0; v < 256; ++v) {
        const float value = float(v) * (1.0f / 255.0f);
        premultiplied[a][v] = !(alpha > 0.0f) ? 0 : !(alpha < 1.0f) ? plain[v] : UnitToByte(alpha * value);
      }
    }
  }
};

const ByteTables& Tables() {
  static const ByteTables tables;
  return tables;
}

// Whether the picture (and alpha) can go straight from the file's bytes: every channel stored as
// bytes over the whole picture.
bool ReadsAsBytes(const ImageSource& image, const ChannelPlan& plan, bool withAlpha) {
  std::vector<ChannelRef> channels = plan.HasColour() ? std::vector<ChannelRef>{plan.red, plan.green, plan.blue}
                                                      : std::vector<ChannelRef>{plan.grey};
  if (withAlpha) channels.push_back(plan.alpha);
  const ImageRect& display = image.Display();
  for (ChannelRef r : channels) {
    const ImageRect& data = image.DataWindow(r);
    if (!r || !image.HoldsBytes(r) || data != display) return false;
  }
  return true;
}

bool ReadBytePicture(ImageSource& image, const ChannelPlan& plan, bool withAlpha, CLayerBitmap& out,
                     std::string& error) {
  const int width = image.Display().width, height = image.Display().height;
  const size_t pixels = size_t(width) * size_t(height);
  const uint8_t* alpha = nullptr;
  int alphaStride = 0;
  if (withAlpha && !image.GetBytes(plan.alpha, alpha, alphaStride, error)) return false;
  const ByteTables& t = Tables();
  auto [picture, channels] = PictureFor(plan, width, height);
  const bool straight = image.IsStraight(channels[0]);
  const int n = int(channels.size());
  uint8_t* dst = picture->GetLineBytes(0);
  if (!alpha && t.plainKeepsBytes && image.DecodesBytesInto(channels)) {
    if (!image.DecodeBytesInto(dst, error)) return false;
    out.AddLayer(std::move(picture));
    return true;
  }
  for (int k = 0; k < n; ++k) {
    const uint8_t* src = nullptr;
    int stride = 0;
    if (!image.GetBytes(channels[k], src, stride, error)) return false;
    if (!alpha || !straight) {
      for (size_t i = 0; i < pixels; ++i) dst[i * n + k] = t.plain[src[i * stride]];
      continue;
    }
    for (size_t i = 0; i < pixels; ++i) dst[i * n + k] = t.premultiplied[alpha[i * alphaStride]][src[i * stride]];
  }
  out.AddLayer(std::move(picture));
  if (alpha) {
    auto layer = std::make_unique<alphaBitmap>(width, height);
    uint8_t* a = layer->GetData();
    for (size_t i = 0; i < pixels; ++i) a[i] = t.plain[alpha[i * alphaStride]];
    out.AddLayer(std::move(layer));
  }
  return true;
}

void ReadAlpha(const std::vector<float>& plane, int width, int height, CLayerBitmap& out) {
  auto alpha = std::make_unique<alphaBitmap>(width, height);
  uint8_t* dst = alpha->GetData();
  for (size_t i = 0, n = plane.size(); i < n; ++i) dst[i] = UnitToByte(plane[i]);
  out.AddLayer(std::move(alpha));
}

// Outside the data window there is no depth: background.
bool ReadDepth(ImageSource& image, ChannelRef ref, CLayerBitmap& out, std::string& error) {
  // Straight into the depth layer: no plane of its own.
  auto depth = std::make_unique<depthBitmap>(image.Display().width, image.Display().height);
  if (!PlaceChannel(image, ref, std::numeric_limits<float>::infinity(), depth->GetData(), error)) return false;
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
void TakeDepthPass(const ImageSource& image, ChannelPlan& plan) {
  ChannelRef first = plan.HasColour() ? plan.red : plan.grey;
  if (plan.depth || !first || !image.IsLinear(first)) return;  // floating-point channels are linear
  plan.depth = first;
  plan.red = plan.green = plan.blue = plan.grey = {};
}

// What the reader took, for those who describe a file.
void Describe(const ImageSource& image, const ChannelPlan& plan, ImageFileInfo& info) {
  info.width = image.Display().width;
  info.height = image.Display().height;
  info.channels = plan;
  const ChannelPlan& c = info.channels;
  ChannelRef main = c.HasColour() ? c.red : c.grey ? c.grey : c.depth ? c.depth : c.alpha;
  if (main) {
    const ImageRect& data = image.DataWindow(main);
    info.data = {data.x - image.Display().x, data.y - image.Display().y, data.width, data.height};
  }
  info.takenChannels.clear();
  for (ChannelRef r : {c.red, c.green, c.blue, c.grey, c.alpha, c.depth}) {
    if (r) info.takenChannels.push_back(image.ChannelName(r));
  }
}

void DescribeViews(const ViewSelection& selection, ImageFileInfo& info) {
  info.views = selection.views;
  info.view = selection.view;
  info.requestedViewFound = selection.requestedFound;
}

// RLA files have no views, and may announce render channels.
void DescribeRla(const RlaImage& image, const std::string& view, ImageFileInfo& info) {
  Describe(image, image.Channels(), info);
  info.requestedViewFound = view.empty();
  info.gbuffer = image.GBufferNames();
}

bool CheckFileLength(const std::string& path, uintmax_t& fileBytes, std::string& error) {
  std::error_code ec;
  fileBytes = std::filesystem::file_size(path, ec);
  if (ec) error = "cannot open the file";
  else if (fileBytes == 0) error = "file is empty";
  return !ec && fileBytes > 0;
}

// Most pixels a byte of an RLA file describes: a line of one channel takes a 4-byte offset, a
// 2-byte count and 2 bytes for every 128 values.
constexpr int64_t kRlaPixelsPerByte = 64;

bool OpenRla(const std::string& path, RlaImage& image, std::string& error) {
  uintmax_t fileBytes = 0;
  if (!CheckFileLength(path, fileBytes, error) || !image.Open(path, error)) return false;
  const RlaLayout& layout = image.Layout();
  return CheckDeclaredWindows(layout.data, layout.display, fileBytes, kRlaPixelsPerByte, error);
}

std::unique_ptr<LibraryImage> OpenLibraryImage(const std::string& path, const ImageFileFormat& format,
                                               std::string& error) {
  uintmax_t fileBytes = 0;
  if (!CheckFileLength(path, fileBytes, error)) return nullptr;
  ImageLibraryModule* library = ImageLibrary(error);
  if (!library) return nullptr;
  std::unique_ptr<LibraryImage> image = library->NewImage();
  if (!image->Open(path, format, error)) return nullptr;
  return image;
}

bool CheckPlan(const ChannelPlan& plan, LayersToRead layers, std::string& error) {
  if (layers == LayersToRead::Picture && !plan.HasPicture()) {
    error = "holds no colour or grey picture";
    return false;
  }
  if (plan.IsEmpty()) {
    error = "holds no colour, grey, alpha or depth channel";
    return false;
  }
  return true;
}

// The layers of a plan, from any source.
std::unique_ptr<CLayerBitmap> ReadLayers(ImageSource& image, const ChannelPlan& plan, LayersToRead layers,
                                         std::string& error) {
  if (!CheckPlan(plan, layers, error)) return nullptr;
  auto out = std::make_unique<CLayerBitmap>();
  std::vector<float> alpha;
  bool withAlpha = layers == LayersToRead::All && plan.alpha;
  if (plan.HasPicture() && ReadsAsBytes(image, plan, withAlpha)) {
    if (!ReadBytePicture(image, plan, withAlpha, *out, error)) return nullptr;
    if (layers == LayersToRead::All && plan.depth && !ReadDepth(image, plan.depth, *out, error)) return nullptr;
    return out;
  }
  if (withAlpha && !ReadPlane(image, plan.alpha, 0.0f, alpha, error)) return nullptr;
  if (layers == LayersToRead::All && plan.HasPicture() && IsFloatPicture(image, plan)) {
    if (!ReadFloatPicture(image, plan, withAlpha ? &alpha : nullptr, *out, error)) return nullptr;
    if (plan.depth && !ReadDepth(image, plan.depth, *out, error)) return nullptr;
    return out;
  }
  if (!ReadPicture(image, plan, withAlpha ? alpha.data() : nullptr, *out, error)) return nullptr;
  if (withAlpha) ReadAlpha(alpha, image.Display().width, image.Display().height, *out);
  if (layers == LayersToRead::All && plan.depth && !ReadDepth(image, plan.depth, *out, error)) return nullptr;
  return out;
}

std::unique_ptr<CLayerBitmap> ReadRla(const std::string& path, LayersToRead layers, std::string& error) {
  RlaImage image;
  if (!OpenRla(path, image, error)) return nullptr;
  const bool all = layers == LayersToRead::All;
  if (!CheckPlan(image.Channels(), layers, error) || !image.Decode({true, all, all, all}, error)) return nullptr;
  return ReadLayers(image, image.Channels(), layers, error);
}

// The formats read by their own libraries, without the general image library.
std::unique_ptr<ImageSource> OpenOwnReader(const std::string& path, const ImageFileFormat& format,
                                           std::vector<PartChannels>& parts, std::string& error) {
  uintmax_t fileBytes = 0;
  if (!CheckFileLength(path, fileBytes, error)) return nullptr;
  if (format.plugin == "png") {
    auto image = std::make_unique<PngImage>();
    if (!image->Open(path, error)) return nullptr;
    parts = {PartChannels{{}, {}, {}, image->ChannelNames()}};
    return image;
  }
  auto image = std::make_unique<ExrImage>();
  if (!image->Open(path, error)) return nullptr;
  parts = image->UsableParts();
  return image;
}

bool ReadsOwnFormat(const ImageFileFormat& format) { return format.plugin == "png" || format.IsOpenExr(); }

}  // namespace

bool ProbeImageFile(const std::string& path, const ImageFileFormat& format, const std::string& view,
                    ImageFileInfo& info, std::string& error) {
  if (format.IsRla()) {
    RlaImage image;
    if (!OpenRla(path, image, error)) return false;
    DescribeRla(image, view, info);
    return true;
  }
  if (ReadsOwnFormat(format)) {
    std::vector<PartChannels> parts;
    std::unique_ptr<ImageSource> image = OpenOwnReader(path, format, parts, error);
    if (!image) return false;
    ViewSelection selection = SelectView(parts, view);
    Describe(*image, FindChannels(selection.channels), info);
    DescribeViews(selection, info);
    return true;
  }
  std::unique_ptr<LibraryImage> image = OpenLibraryImage(path, format, error);
  if (!image) return false;
  ViewSelection selection = SelectView(image->UsableParts(), view);
  Describe(*image, FindChannels(selection.channels), info);
  DescribeViews(selection, info);
  return true;
}

std::unique_ptr<CLayerBitmap> ReadImageFile(const std::string& path, const ImageFileFormat& format,
                                            LayersToRead layers, const std::string& view, std::string& error) {
  // RLA files carry depth in channels of their own, never in their colour.
  if (format.IsRla()) return ReadRla(path, layers == LayersToRead::DepthFile ? LayersToRead::All : layers, error);
  if (ReadsOwnFormat(format)) {
    std::vector<PartChannels> parts;
    std::unique_ptr<ImageSource> image = OpenOwnReader(path, format, parts, error);
    if (!image) return nullptr;
    ChannelPlan plan = FindChannels(SelectView(parts, view).channels);
    if (layers == LayersToRead::DepthFile) {
      TakeDepthPass(*image, plan);
      layers = LayersToRead::All;
    }
    if (auto* exr = dynamic_cast<ExrImage*>(image.get())) exr->Want(WantedChannels(plan, layers));
    return ReadLayers(*image, plan, layers, error);
  }
  std::unique_ptr<LibraryImage> image = OpenLibraryImage(path, format, error);
  if (!image) return nullptr;
  ChannelPlan plan = FindChannels(SelectView(image->UsableParts(), view).channels);
  if (layers == LayersToRead::DepthFile) {
    TakeDepthPass(*image, plan);
    layers = LayersToRead::All;
  }
  image->Want(WantedChannels(plan, layers));
  return ReadLayers(*image, plan, layers, error);
}
