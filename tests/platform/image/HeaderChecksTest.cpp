// Headers that state more than their file holds are refused before the image library believes
// them (it would allocate gigabytes, or its decoder would not return), and the real files of the
// same formats still read.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>
#include <fmt/format.h>


#include "platform/image/ExrHeaderCheck.h"
#include "platform/image/ImageIo.h"
#include "support/FileChecks.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

std::string RefusalOf(const std::string& path) {
  std::string error;
  EXPECT_EQ(ReadLayered(path, kIoWithDepth, &error), nullptr) << path;
  return error;
}

void PutLittleEndian(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = char((v >> (8 * i)) & 255);
}

void PutBigEndian32(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = char((v >> (24 - 8 * i)) & 255);
}

void PutBigEndian16(std::string& bytes, size_t at, int16_t v) {
  bytes[at] = char((uint16_t(v) >> 8) & 255);
  bytes[at + 1] = char(uint16_t(v) & 255);
}

// Where the value of an OpenEXR attribute starts (after its name, type and size).
size_t ExrAttributeValue(const std::string& bytes, const std::string& name, const std::string& type) {
  size_t at = bytes.find(name + '\0' + type + '\0');
  EXPECT_NE(at, std::string::npos) << name;
  return at + name.size() + type.size() + 2 + 4;
}

TEST(HeaderChecksTest, OpenExrHeadersThatStateMoreThanTheFileHoldsAreRefused) {
  TempFolder dir;
  WriteImage(dir.File("good.exr"), *MakePlanesScene(32, 24));
  const std::string good = ReadFileBytes(dir.File("good.exr"));
  ASSERT_TRUE(ReadLayered(dir.File("good.exr")));

  // An attribute that says it holds 1.8 GB.
  std::string bigAttribute = good;
  size_t channels = ExrAttributeValue(good, "channels", "chlist");
  PutLittleEndian(bigAttribute, channels - 4, 0x6e650013u);
  EXPECT_NE(RefusalOf(dir.Write("attribute.exr", bigAttribute)).find("truncated"), std::string::npos);

  // A data window of two thousand million rows: a table of chunk offsets of gigabytes.
  std::string tallWindow = good;
  PutLittleEndian(tallWindow, ExrAttributeValue(good, "dataWindow", "box2i") + 12, 0x7ffffff0u);
  EXPECT_NE(RefusalOf(dir.Write("window.exr", tallWindow)).find("truncated"), std::string::npos);

  // Headers cut off in the middle, and a header list that never ends.
  RefusalOf(dir.Write("cut.exr", good.substr(0, channels + 5)));
  RefusalOf(dir.Write("magic.exr", good.substr(0, 8)));
  EXPECT_LT(PeakMemoryMegabytes(), 1000) << "a stated size was allocated";
}

// One attribute of an OpenEXR header: name, type, size and value.
std::string ExrAttribute(const std::string& name, const std::string& type, const std::string& value) {
  std::string bytes = name + '\0' + type + '\0' + std::string(4, '\0') + value;
  PutLittleEndian(bytes, name.size() + type.size() + 2, uint32_t(value.size()));
  return bytes;
}

std::string LittleEndian(std::initializer_list<uint32_t> values) {
  std::string bytes(4 * values.size(), '\0');
  size_t at = 0;
  for (uint32_t v : values) PutLittleEndian(bytes, 4 * at++, v);
  return bytes;
}

// A multi-part OpenEXR file of scan-line parts, each declaring chunksPerPart chunks, with
// bytesAfterHeaders bytes for the chunk tables and the data.
std::string MultiPartExr(int parts, uint32_t chunksPerPart, size_t bytesAfterHeaders) {
  constexpr uint32_t kVersionMultiPart = 2 | 0x1000;
  std::string bytes = LittleEndian({20000630, kVersionMultiPart});
  for (int p = 0; p < parts; ++p) {
    bytes += ExrAttribute("name", "string", "part" + std::to_string(p));
    bytes += ExrAttribute("type", "string", "scanlineimage");
    bytes += ExrAttribute("compression", "compression", std::string(1, '\0'));
    bytes += ExrAttribute("dataWindow", "box2i", LittleEndian({0, 0, 7, chunksPerPart - 1}));
    bytes += ExrAttribute("chunkCount", "int", LittleEndian({chunksPerPart}));
    bytes += '\0';
  }
  bytes += '\0';
  return bytes + std::string(bytesAfterHeaders, '\0');
}

TEST(HeaderChecksTest, MultiPartOpenExrChunkTablesMustFitTogether) {
  TempFolder dir;
  // Ten chunks a part, 8 bytes each: one table fits in 120 bytes, two do not.
  std::string error;
  EXPECT_TRUE(CheckExrHeaders(dir.Write("one.exr", MultiPartExr(1, 10, 120)), error)) << error;
  EXPECT_TRUE(CheckExrHeaders(dir.Write("roomy.exr", MultiPartExr(2, 10, 160)), error)) << error;
  const std::string refusal = RefusalOf(dir.Write("two.exr", MultiPartExr(2, 10, 120)));
  EXPECT_NE(refusal.find("two.exr: file is truncated (its chunk tables need more than the 120 bytes left)"),
            std::string::npos)
      << refusal;
}

TEST(HeaderChecksTest, TiledAndCompressedOpenExrFilesStillRead) {
  TempFolder dir;
  const int w = 70, h = 45;
  std::vector<float> pixels(size_t(w) * h * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = float(i % 97) / 97.0f;
  for (const char* compression : {"none", "zip", "piz", "dwab"}) {
    for (int tile : {0, 16}) {
      OIIO::ImageSpec header(w, h, 4, OIIO::TypeDesc::HALF);
      header.channelnames = {"R", "G", "B", "Z"};
      header.attribute("compression", compression);
      header.tile_width = header.tile_height = tile;
      std::string path = dir.File(std::string("f-") + compression + "-" + std::to_string(tile) + ".exr");
      auto out = OIIO::ImageOutput::create(path);
      ASSERT_TRUE(out->open(path, header) && out->write_image(OIIO::TypeDesc::FLOAT, pixels.data())) << path;
      out->close();
      std::string error;
      auto image = ReadLayered(path, kIoWithDepth, &error);
      ASSERT_TRUE(image) << error;
      EXPECT_EQ(image->GetWidth(), w);
      EXPECT_TRUE(image->GetLayer<depthBitmap>()) << path;
    }
  }
}

TEST(HeaderChecksTest, RlaHeadersWithNoBitsOrRowsOutsideTheFileAreRefused) {
  TempFolder dir;
  for (const char* ext : {".rla", ".rpf"}) {
    WriteImage(dir.File(std::string("good") + ext), *MakePlanesScene(24, 16));
    const std::string good = ReadFileBytes(dir.File(std::string("good") + ext));
    ASSERT_TRUE(ReadLayered(dir.File(std::string("good") + ext))) << ext;

    // The decoder loops for ever on colour of 0 bits, and for ages on negative depths.
    for (int16_t bits : {0, -12, 40}) {
      std::string noBits = good;
      PutBigEndian16(noBits, 658, bits);
      EXPECT_NE(RefusalOf(dir.Write(std::string("bits") + ext, noBits)).find("bit colour"), std::string::npos);
    }
    // An unknown channel type makes the decoder abort, even for a group without channels.
    for (size_t typeField : {18u, 660u, 664u}) {
      std::string badType = good;
      PutBigEndian16(badType, typeField, 3);
      EXPECT_NE(RefusalOf(dir.Write(std::string("type") + ext, badType)).find("unknown type 3"), std::string::npos);
    }
    // The table of row offsets after the 740-byte header; a row said to start inside the headers.
    std::string inside = good;
    inside[740] = inside[741] = inside[742] = 0;
    inside[743] = 100;
    EXPECT_NE(RefusalOf(dir.Write(std::string("inside") + ext, inside)).find("inside the headers"),
              std::string::npos);
    // And one said to start past the end of the file (the table starts with the bottom row).
    std::string past = good;
    PutBigEndian32(past, 740, uint32_t(good.size() + 10));
    const std::string refusal = RefusalOf(dir.Write(std::string("past") + ext, past));
    EXPECT_NE(refusal.find(fmt::format("file is truncated (row 15 starts at byte {} of {})", good.size() + 10,
                                       good.size())),
              std::string::npos)
        << refusal;
  }
}

// A BMP file of 4 x 2 pixels: 8-bit palette indices, run-length compressed (compression 1).
std::string RunLengthBmp(uint16_t bits) {
  auto le = [](uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char((v >> (8 * i)) & 255);
    return s;
  };
  std::string palette = std::string("\x10\x20\x30\0", 4) + std::string("\xC0\xB0\xA0\0", 4);
  // Bottom row: four pixels of index 1; top row: four of index 0; then the end of the bitmap.
  std::string runs = std::string("\x04\x01\x00\x00\x04\x00\x00\x01", 8);
  uint32_t offset = 14 + 40 + uint32_t(palette.size());
  std::string info = le(40, 4) + le(4, 4) + le(2, 4) + le(1, 2) + le(bits, 2) + le(1, 4) + le(uint32_t(runs.size()), 4) +
                     le(2835, 4) + le(2835, 4) + le(2, 4) + le(0, 4);
  return "BM" + le(offset + uint32_t(runs.size()), 4) + le(0, 4) + le(offset, 4) + info + palette + runs;
}

TEST(HeaderChecksTest, BmpRunLengthDataWithoutAPaletteIsRefused) {
  TempFolder dir;
  auto indexed = ReadLayered(dir.Write("rle8.bmp", RunLengthBmp(8)));
  ASSERT_TRUE(indexed);
  EXPECT_EQ(PixelColour(*indexed, 0, 1), (Rgb{0xA0, 0xB0, 0xC0}));
  EXPECT_EQ(PixelColour(*indexed, 3, 0), (Rgb{0x30, 0x20, 0x10}));
  // The image library would look the indices up in the palette a 24-bit file does not have.
  for (uint16_t bits : {16, 24, 32}) {
    EXPECT_NE(RefusalOf(dir.Write("rle24.bmp", RunLengthBmp(bits))).find("run-length"), std::string::npos) << bits;
  }
}

}  // namespace
