#include "platform/image/PngFile.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fmt/format.h>

#include "platform/image/DeclaredSize.h"
#include "platform/image/PixelConversion.h"

namespace {

// Most pixels one byte of a PNG file can describe: deflate expands a byte at most ~1032 times,
// and a pixel may be one bit.
constexpr int64_t kPngPixelsPerByte = 8 * 1100;

// Timed on rendered 1080p frames: level 1 with one row filter costs next to nothing where the
// library's default (level 6, every filter tried) costs about 0.1 s of CPU a frame, for files
// about a third larger.
constexpr int kFastLevel = 1;
constexpr int kSmallLevel = 6;

// libpng reports through these: the message is kept (nothing is printed) and the call returns
// through the setjmp of the function that made it.
struct Failure {
  char message[256] = {};
};

void OnError(png_structp png, png_const_charp message) {
  auto* failure = static_cast<Failure*>(png_get_error_ptr(png));
  std::snprintf(failure->message, sizeof failure->message, "%s", message ? message : "error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

bool SaysTruncated(const char* message) {
  for (const char* hint : {"Read Error", "Not enough", "truncat", "end of file", "too short"}) {
    if (std::strstr(message, hint)) return true;
  }
  return false;
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

struct PngImage::Reader {
  File file;
  png_structp png = nullptr;
  png_infop info = nullptr;
  Failure failure;

  ~Reader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }

  // Header and transforms: palettes, small grey depths and transparent colours become whole
  // channels; 16-bit samples come in the machine's order.
  bool ReadHeader(png_uint_32& width, png_uint_32& height, int& channels, int& depth) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file.get());
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    png_read_info(png, info);
    png_set_expand(png);
    if (png_get_bit_depth(png, info) == 16) png_set_swap(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    channels = png_get_channels(png, info);
    depth = png_get_bit_depth(png, info);
    return true;
  }

  bool ReadRows(png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
  }
};

PngImage::PngImage() = default;
PngImage::~PngImage() = default;

bool PngImage::Open(const std::string& path, std::string& error) {
  std::error_code ec;
  const uintmax_t fileBytes = std::filesystem::file_size(path, ec);
  reader_ = std::make_unique<Reader>();
  reader_->file.reset(std::fopen(path.c_str(), "rb"));
  if (ec || !reader_->file) {
    error = "cannot open the file";
    return false;
  }
  png_byte signature[8] = {};
  if (std::fread(signature, 1, 8, reader_->file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    error = "not a readable png file (not a PNG file)";
    return false;
  }
  Reader& r = *reader_;
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.failure, OnError, OnWarning);
  if (r.png) r.info = png_create_info_struct(r.png);
  if (!r.info) {
    error = "out of memory";
    return false;
  }
  png_set_sig_bytes(r.png, 8);
  png_uint_32 width = 0, height = 0;
  int channels = 0, depth = 0;
  if (!r.ReadHeader(width, height, channels, depth)) {
    error = SaysTruncated(r.failure.message) ? "file is truncated"
                                              : fmt::format("not a readable png file ({})", r.failure.message);
    return false;
  }
  if (channels < 1 || channels > 4 || (depth != 8 && depth != 16) || width > 0x7fffffffu || height > 0x7fffffffu) {
    error = fmt::format("not a readable png file ({} channels of {} bits)", channels, depth);
    return false;
  }
  window_ = {0, 0, int(width), int(height)};
  bytes_ = depth == 8;
  static const std::vector<std::string> kNames[] = {{"Y"}, {"Y", "A"}, {"R", "G", "B"}, {"R", "G", "B", "A"}};
  names_ = kNames[channels - 1];
  return CheckDeclaredWindows(window_, window_, fileBytes, kPngPixelsPerByte, error);
}

bool PngImage::DecodeRows(uint8_t* pixels, std::string& error) {
  Reader& r = *reader_;
  const size_t rowBytes = png_get_rowbytes(r.png, r.info);
  const size_t height = size_t(window_.height);
  std::vector<png_bytep> rows(height);
  for (size_t y = 0; y < height; ++y) rows[y] = pixels + y * rowBytes;
  if (!r.ReadRows(rows.data())) {
    error = SaysTruncated(r.failure.message) ? "file is truncated"
                                              : fmt::format("cannot read the pixels ({})", r.failure.message);
    return false;
  }
  return true;
}

bool PngImage::Decode(std::string& error) {
  if (decodedInto_) {
    error = "cannot read the pixels again";
    return false;
  }
  std::vector<png_byte> pixels(png_get_rowbytes(reader_->png, reader_->info) * size_t(window_.height));
  if (!DecodeRows(pixels.data(), error)) return false;
  pixels_ = std::move(pixels);
  return true;
}

bool PngImage::DecodesBytesInto(const std::vector<ChannelRef>& channels) const {
  if (!bytes_ || !pixels_.empty() || decodedInto_ || channels.size() != names_.size()) return false;
  for (size_t k = 0; k < channels.size(); ++k) {
    if (channels[k].subimage != 0 || channels[k].channel != int(k)) return false;
  }
  return true;
}

bool PngImage::DecodeBytesInto(uint8_t* pixels, std::string& error) {
  // The rows can be read once only.
  decodedInto_ = true;
  return DecodeRows(pixels, error);
}

bool PngImage::GetBytes(ChannelRef ref, const uint8_t*& data, int& stride, std::string& error) {
  if (pixels_.empty() && !Decode(error)) return false;
  stride = int(names_.size());
  data = pixels_.data() + ref.channel;
  return true;
}

bool PngImage::Get(ChannelRef ref, const float*& data, int& stride, std::string& error) {
  if (values_.empty()) {
    if (pixels_.empty() && !Decode(error)) return false;
    const size_t count = size_t(window_.width) * size_t(window_.height) * names_.size();
    values_.resize(count);
    if (bytes_) {
      for (size_t i = 0; i < count; ++i) values_[i] = float(pixels_[i]) * (1.0f / 255.0f);
    } else {
      const auto* samples = reinterpret_cast<const uint16_t*>(pixels_.data());
      for (size_t i = 0; i < count; ++i) values_[i] = float(samples[i]) * (1.0f / 65535.0f);
    }
  }
  stride = int(names_.size());
  data = values_.data() + ref.channel;
  return true;
}

// --- Writing ---

namespace {

struct Writer {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Failure failure;
  ~Writer() { png_destroy_write_struct(&png, info ? &info : nullptr); }

  bool Write(std::FILE* file, int width, int height, int colourType, int level, bool fastFilter, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_compression_level(png, level);
    if (fastFilter) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
  }
};

// The straight colour byte a file stores for a premultiplied byte under its alpha.
uint8_t Straight(uint8_t v, uint8_t a) {
  if (a == 255 || a == 0) return v;
  return UnitToByte(std::min(float(v) / float(a), 1.0f));
}

// The picture's colour made straight, with its alpha after each pixel.
std::vector<png_byte> StraightPixels(const Bitmap& picture, const Bitmap& alphaLayer) {
  const int colours = picture.GetChannels();
  const size_t channels = size_t(colours) + 1;
  const size_t n = size_t(picture.GetWidth()) * size_t(picture.GetHeight());
  std::vector<png_byte> pixels(n * channels);
  const uint8_t* in = picture.GetLineBytes(0);
  const uint8_t* alpha = alphaLayer.GetLineBytes(0);
  for (size_t p = 0; p < n; ++p) {
    png_byte* out = pixels.data() + p * channels;
    for (int k = 0; k < colours; ++k) out[k] = Straight(in[p * size_t(colours) + size_t(k)], alpha[p]);
    out[colours] = alpha[p];
  }
  return pixels;
}

}  // namespace

bool WritePng(const std::string& path, const SaveContent& content, ImageCompression compression, std::string& error) {
  const Bitmap& picture = *content.picture;
  const int width = picture.GetWidth(), height = picture.GetHeight();
  const int colours = picture.GetChannels();
  const int channels = colours + (content.alpha ? 1 : 0);
  // Without alpha the rows go to the library straight from the picture (it copies each row
  // before filtering it); with alpha the colour is made straight in a copy.
  std::vector<png_byte> pixels;
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  if (content.alpha) {
    pixels = StraightPixels(picture, *content.alpha);
    for (int y = 0; y < height; ++y) rows[size_t(y)] = pixels.data() + size_t(y) * size_t(width) * size_t(channels);
  } else {
    for (int y = 0; y < height; ++y) rows[size_t(y)] = const_cast<png_bytep>(picture.GetLineBytes(y));
  }

  File file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = fmt::format("cannot create the file ({})", std::strerror(errno));
    return false;
  }
  Writer w;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w.failure, OnError, OnWarning);
  if (w.png) w.info = png_create_info_struct(w.png);
  if (!w.info) {
    error = "out of memory";
    return false;
  }
  static const int kTypes[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                               PNG_COLOR_TYPE_RGB_ALPHA};
  const int level = compression == ImageCompression::None ? 0 : compression == ImageCompression::Fast ? kFastLevel
                                                                                                      : kSmallLevel;
  if (!w.Write(file.get(), width, height, kTypes[channels - 1], level, compression == ImageCompression::Fast,
               rows.data())) {
    error = fmt::format("cannot write the pixels ({})", w.failure.message);
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    error = fmt::format("cannot complete the file ({})", std::strerror(errno));
    return false;
  }
  return true;
}
