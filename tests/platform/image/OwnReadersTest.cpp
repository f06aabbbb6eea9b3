// The formats read without the general image library (PNG, OpenEXR) give, channel by channel,
// what the library itself reads from the same files; the byte path gives what the float
// conversions give; the extensions the program knows are the library's own.
#include <gtest/gtest.h>
#include <png.h>

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "platform/image/ExrFile.h"
#include "platform/image/ImageFormats.h"
#include "platform/image/ImageIo.h"
#include "platform/image/LibraryImage.h"
#include "platform/image/PixelConversion.h"
#include "platform/image/PngFile.h"
#include "support/RenderedExr.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

// A PNG written with libpng as other programs write them.
struct PngLayout {
  const char* name;
  int colourType;
  int bitDepth;
  bool interlaced;
  bool transparentEntry;  // a palette or grey file with a transparent colour (tRNS)
};

void WritePngLayout(const std::string& path, const PngLayout& layout, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), layout.bitDepth, layout.colourType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int levels = 1 << std::min(layout.bitDepth, 8);
  if (layout.colourType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> palette(static_cast<size_t>(levels));
    for (int i = 0; i < levels; ++i) palette[size_t(i)] = {png_byte(i * 255 / (levels - 1)), png_byte(255 - i), png_byte(i * 7)};
    png_set_PLTE(png, info, palette.data(), levels);
    std::vector<png_byte> alpha(size_t(levels), 255);
    alpha[1] = 0;
    alpha[2] = 100;
    if (layout.transparentEntry) png_set_tRNS(png, info, alpha.data(), levels, nullptr);
  } else if (layout.transparentEntry) {
    png_color_16 grey{};
    grey.gray = 1;
    png_set_tRNS(png, info, nullptr, 0, &grey);
  }
  png_write_info(png, info);
  if (layout.bitDepth == 16) png_set_swap(png);
  const size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_byte> rows(rowBytes * size_t(height));
  // Every sample a different value: bits packed as the depth says, words of 16 bits.
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = png_byte((i * 37 + i / rowBytes * 11) & 255);
  std::vector<png_bytep> pointers(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) pointers[size_t(y)] = rows.data() + rowBytes * size_t(y);
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

// The layout written as a 37 x 23 file in the folder, and opened by our reader; its path.
std::string WriteAndOpen(const TempFolder& dir, const PngLayout& layout, PngImage& own) {
  const std::string path = dir.File(std::string(layout.name) + ".png");
  WritePngLayout(path, layout, 37, 23);
  std::string error;
  EXPECT_TRUE(own.Open(path, error)) << error;
  return path;
}

std::unique_ptr<LibraryImage> OpenWithLibrary(const std::string& path) {
  std::string error;
  ImageLibraryModule* library = ImageLibrary(error);
  EXPECT_NE(library, nullptr) << error;
  if (!library) return nullptr;
  auto image = library->NewImage();
  auto format = FindReadableFormat(path);
  EXPECT_TRUE(format && image->Open(path, *format, error)) << error;
  return image;
}

// Every channel of both sources, value for value over the data window.
void ExpectSameChannels(ImageSource& own, ImageSource& library, const std::vector<ChannelRef>& channels) {
  for (ChannelRef ref : channels) {
    SCOPED_TRACE(library.ChannelName(ref));
    EXPECT_EQ(own.ChannelName(ref), library.ChannelName(ref));
    EXPECT_EQ(own.IsLinear(ref), library.IsLinear(ref));
    EXPECT_EQ(own.IsStraight(ref), library.IsStraight(ref));
    const ImageRect& a = own.DataWindow(ref);
    const ImageRect& b = library.DataWindow(ref);
    ASSERT_EQ(a, b);
    const float *ownValues = nullptr, *libraryValues = nullptr;
    int ownStride = 0, libraryStride = 0;
    std::string error;
    ASSERT_TRUE(own.Get(ref, ownValues, ownStride, error)) << error;
    ASSERT_TRUE(library.Get(ref, libraryValues, libraryStride, error)) << error;
    int differing = 0;
    for (int64_t i = 0, n = int64_t(a.width) * a.height; i < n; ++i) {
      const float x = ownValues[i * ownStride], y = libraryValues[i * libraryStride];
      differing += !(x == y || (std::isnan(x) && std::isnan(y)));
    }
    EXPECT_EQ(differing, 0);
  }
}

std::vector<ChannelRef> AllChannels(const std::vector<PartChannels>& parts) {
  std::vector<ChannelRef> refs;
  for (int p = 0; p < int(parts.size()); ++p) {
    for (int c = 0; c < int(parts[size_t(p)].channels.size()); ++c) refs.push_back({p, c});
  }
  return refs;
}

}  // namespace

TEST(OwnReaders, PngLayoutsReadAsTheImageLibraryReadsThem) {
  TempFolder dir;
  const PngLayout layouts[] = {
      {"palette", PNG_COLOR_TYPE_PALETTE, 8, false, true},   {"palette4", PNG_COLOR_TYPE_PALETTE, 4, true, false},
      {"grey2", PNG_COLOR_TYPE_GRAY, 2, false, false},       {"greykey", PNG_COLOR_TYPE_GRAY, 8, false, true},
      {"greyalpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false}, {"rgb16", PNG_COLOR_TYPE_RGB, 16, true, false},
      {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false},
  };
  for (const PngLayout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    PngImage own;
    const std::string path = WriteAndOpen(dir, layout, own);
    auto library = OpenWithLibrary(path);
    ASSERT_NE(library, nullptr);
    std::vector<PartChannels> parts = library->UsableParts();
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(own.ChannelNames(), parts[0].channels);
    ExpectSameChannels(own, *library, AllChannels(parts));
  }
}

TEST(OwnReaders, ExrLayoutsReadAsTheImageLibraryReadsThem) {
  TempFolder dir;
  SoftDisc disc;
  disc.cx = 20;
  disc.cy = 14;
  disc.depthPerPixel = 0.25f;
  // A data window inside the frame and one beyond it; half and float depth; parts and views.
  const std::vector<std::vector<ExrPart>> files = {
      {{"", "", {}, {5, 3, 30, 22}, disc.Channels(true)}},
      {{"", "", {}, {-4, -2, 50, 40}, disc.Channels(false)}},
      {{"", "", {"left", "right"}, {0, 0, 40, 30}, disc.Channels(true)}},
      {{"beauty", "left", {}, {0, 0, 40, 30}, disc.Channels(true)},
       {"depth", "left", {}, {2, 2, 30, 20}, {{"Z", false, [&](int x, int y) { return disc.Depth(x, y); }}}}},
  };
  for (size_t f = 0; f < files.size(); ++f) {
    SCOPED_TRACE(f);
    const std::string path = dir.File("f" + std::to_string(f) + ".exr");
    WriteRenderedExr(path, 40, 30, files[f]);
    ExrImage own;
    std::string error;
    ASSERT_TRUE(own.Open(path, error)) << error;
    auto library = OpenWithLibrary(path);
    ASSERT_NE(library, nullptr);
    std::vector<PartChannels> parts = library->UsableParts();
    std::vector<PartChannels> ownParts = own.UsableParts();
    ASSERT_EQ(ownParts.size(), parts.size());
    for (size_t p = 0; p < parts.size(); ++p) {
      EXPECT_EQ(ownParts[p].partName, parts[p].partName);
      EXPECT_EQ(ownParts[p].view, parts[p].view);
      EXPECT_EQ(ownParts[p].multiView, parts[p].multiView);
      EXPECT_EQ(ownParts[p].channels, parts[p].channels);
    }
    const ImageRect& a = own.Display();
    const ImageRect& b = library->Display();
    EXPECT_EQ(a, b);
    own.Want(AllChannels(parts));
    library->Want(AllChannels(parts));
    ExpectSameChannels(own, *library, AllChannels(parts));
  }
}

// The byte path's tables against the float conversions they stand for, on every pair of a
// straight 8-bit value and its alpha.
TEST(OwnReaders, StraightBytesPremultiplyAsTheirFloatValuesDo) {
  TempFolder dir;
  const std::string path = dir.File("pairs.png");
  PngLayout layout{"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false};
  WritePngLayout(path, layout, 256, 256);
  PngImage source;
  std::string error;
  ASSERT_TRUE(source.Open(path, error)) << error;
  const uint8_t* bytes = nullptr;
  int stride = 0;
  ASSERT_TRUE(source.GetBytes({0, 0}, bytes, stride, error)) << error;
  std::vector<uint8_t> pixels(bytes, bytes + 256 * 256 * 4);

  auto image = ReadLayered(path);
  ASSERT_NE(image, nullptr);
  const uint8_t* colour = image->GetLayerByType(kRgbBitmap)->GetLineBytes(0);
  const uint8_t* alpha = image->GetLayerByType(kAlphaBitmap)->GetLineBytes(0);
  int wrong = 0;
  for (size_t i = 0; i < 256 * 256; ++i) {
    const float a = pixels[i * 4 + 3] / 255.0f;
    wrong += alpha[i] != pixels[i * 4 + 3];
    for (int k = 0; k < 3; ++k) {
      const float v = pixels[i * 4 + size_t(k)] / 255.0f;
      const uint8_t expected = a <= 0.0f ? 0 : a >= 1.0f ? UnitToByte(v) : UnitToByte(a * v);
      wrong += colour[i * 3 + size_t(k)] != expected;
    }
  }
  EXPECT_EQ(wrong, 0);
}

// A frame's picture goes straight from the decoder into its layer when the file's channels are
// the picture's, in its order, as bytes; a depth channel wanted alone over the whole picture goes
// straight into its plane. Both give what the channels give, and files that do not allow it
// say so.
TEST(OwnReaders, ChannelsReadStraightIntoTheirLayersAreTheFilesChannels) {
  TempFolder dir;
  const PngLayout straight[] = {{"rgb", PNG_COLOR_TYPE_RGB, 8, false, false},
                                {"rgbinterlaced", PNG_COLOR_TYPE_RGB, 8, true, false},
                                {"grey", PNG_COLOR_TYPE_GRAY, 8, false, false}};
  for (const PngLayout& layout : straight) {
    SCOPED_TRACE(layout.name);
    PngImage source;
    const std::string path = WriteAndOpen(dir, layout, source);
    std::string error;
    const size_t samples = 37 * 23 * source.ChannelNames().size();
    const std::vector<ChannelRef> inOrder = source.ChannelNames().size() == 3
                                                ? std::vector<ChannelRef>{{0, 0}, {0, 1}, {0, 2}}
                                                : std::vector<ChannelRef>{{0, 0}};
    EXPECT_TRUE(source.DecodesBytesInto(inOrder));
    if (inOrder.size() == 3) {
      EXPECT_FALSE(source.DecodesBytesInto({{0, 2}, {0, 1}, {0, 0}}));
    }
    const uint8_t* bytes = nullptr;
    int stride = 0;
    ASSERT_TRUE(source.GetBytes({0, 0}, bytes, stride, error)) << error;
    EXPECT_FALSE(source.DecodesBytesInto(inOrder));  // decoded already
    auto image = ReadLayered(path);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(image->GetStandardLayer(), nullptr);
    const uint8_t* read = image->GetStandardLayer()->GetLineBytes(0);
    EXPECT_TRUE(std::equal(bytes, bytes + samples, read));
  }
  const PngLayout copied[] = {{"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
                              {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false}};
  for (const PngLayout& layout : copied) {
    SCOPED_TRACE(layout.name);
    PngImage source;
    WriteAndOpen(dir, layout, source);
    EXPECT_FALSE(source.DecodesBytesInto({{0, 0}, {0, 1}, {0, 2}}));
  }

  SoftDisc disc;
  disc.cx = 20;
  disc.cy = 14;
  disc.depthPerPixel = 0.25f;
  const ExrChannel depth{"Z", false, [&](int x, int y) { return disc.Depth(x, y); }};
  const ImageRect windows[] = {{0, 0, 40, 30}, {5, 3, 30, 22}};
  for (const ImageRect& window : windows) {
    SCOPED_TRACE(window.width);
    const std::string path = dir.File("depth" + std::to_string(window.width) + ".exr");
    WriteRenderedExr(path, 40, 30, {{"", "", {}, window, {depth}}});
    ExrImage direct, held;
    std::string error;
    ASSERT_TRUE(direct.Open(path, error)) << error;
    ASSERT_TRUE(held.Open(path, error)) << error;
    direct.Want({{0, 0}});
    const bool whole = window.width == 40;
    ASSERT_EQ(direct.ReadsInto({0, 0}), whole);
    if (!whole) continue;
    std::vector<float> plane(40 * 30, -1.0f);
    ASSERT_TRUE(direct.ReadInto({0, 0}, plane.data(), error)) << error;
    const float* values = nullptr;
    int stride = 0;
    ASSERT_TRUE(held.Get({0, 0}, values, stride, error)) << error;
    EXPECT_FALSE(held.ReadsInto({0, 0}));  // held already
    int differing = 0;
    for (size_t i = 0; i < plane.size(); ++i) differing += plane[i] != values[i * size_t(stride)];
    EXPECT_EQ(differing, 0);
  }
}

// Files read through the image library give their 8-bit channels as bytes, the bytes its float
// channels stand for; other channels are not bytes.
TEST(OwnReaders, TheLibrarysByteChannelsAreItsFloatChannels) {
  TempFolder dir;
  struct Case {
    const char* name;
    int channels;
    OIIO::TypeDesc type;
  };
  for (const Case& c : {Case{"rgba.tga", 4, OIIO::TypeDesc::UINT8}, Case{"rgb.tif", 3, OIIO::TypeDesc::UINT8},
                        Case{"grey.bmp", 1, OIIO::TypeDesc::UINT8}, Case{"rgb16.tif", 3, OIIO::TypeDesc::UINT16}}) {
    SCOPED_TRACE(c.name);
    const int width = 29, height = 17;
    std::vector<uint8_t> pixels(size_t(width * height * c.channels));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t((i * 53 + i / 7) & 255);
    const std::string path = dir.File(c.name);
    auto out = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->open(path, OIIO::ImageSpec(width, height, c.channels, c.type))) << out->geterror();
    ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, pixels.data())) << out->geterror();
    ASSERT_TRUE(out->close());

    auto library = OpenWithLibrary(path);
    ASSERT_NE(library, nullptr);
    std::vector<ChannelRef> channels = AllChannels(library->UsableParts());
    ASSERT_EQ(channels.size(), size_t(c.channels));
    library->Want(channels);
    for (ChannelRef ref : channels) {
      SCOPED_TRACE(ref.channel);
      std::string error;
      if (c.type != OIIO::TypeDesc::UINT8) {
        EXPECT_FALSE(library->HoldsBytes(ref));
        continue;
      }
      ASSERT_TRUE(library->HoldsBytes(ref));
      const uint8_t* bytes = nullptr;
      const float* values = nullptr;
      int byteStride = 0, valueStride = 0;
      ASSERT_TRUE(library->GetBytes(ref, bytes, byteStride, error)) << error;
      ASSERT_TRUE(library->Get(ref, values, valueStride, error)) << error;
      int differing = 0;
      for (size_t i = 0; i < size_t(width * height); ++i) {
        differing += bytes[i * size_t(byteStride)] != UnitToByte(values[i * size_t(valueStride)]);
      }
      EXPECT_EQ(differing, 0);
    }
  }
}

// The extensions known without the library are the library's own: a newer library that moved
// one would be noticed here.
TEST(OwnReaders, KnownExtensionsAreTheImageLibrarysOwn) {
  const std::string list = OIIO::get_string_attribute("extension_list");
  int checked = 0;
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    start = end + 1;
    const std::string plugin = entry.substr(0, entry.find(':'));
    if (plugin == "null" || plugin == "term" || plugin == "ffmpeg" || plugin == "openvdb") continue;
    std::string extensions = entry.substr(entry.find(':') + 1) + ",";
    for (size_t at = 0, comma; (comma = extensions.find(',', at)) != std::string::npos; at = comma + 1) {
      auto format = FindReadableFormat("x." + extensions.substr(at, comma - at));
      ASSERT_TRUE(format.has_value()) << extensions.substr(at, comma - at);
      EXPECT_EQ(format->plugin, plugin);
      ++checked;
    }
  }
  EXPECT_GT(checked, 50);
}
