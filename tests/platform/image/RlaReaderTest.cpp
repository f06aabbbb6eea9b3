// RLA and RPF files read by our own decoder: the render channels a 3D package stores after the
// colour of every line, the channel types of the header's groups, and files that lie.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <filesystem>

#include "platform/image/ImageIo.h"
#include "platform/image/RlaReader.h"
#include "support/FileChecks.h"
#include "support/GBufferRla.h"
#include "support/ImageCompare.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

constexpr int kW = 45;
constexpr int kH = 30;

struct GBufferCase {
  const char* label;
  GBufferRlaOptions options;
  bool alpha;
};

// The scene the files hold: premultiplied colour over a far plane of alpha 77 when with alpha,
// and the far plane at the renderers' background marker.
std::unique_ptr<CLayerBitmap> Scene(bool alpha) {
  PlanesSceneOptions options;
  options.withAlpha = alpha;
  options.farAlpha = 77;
  options.backgroundDepth = 1e30f;
  return MakePlanesScene(kW, kH, options);
}

GBufferValues Values() {
  return {[](int x, int y) { return uint8_t(x == 0 || y == 0 ? 128 : 255); },
          [](int x, int y) { return uint16_t(PlanesScenePartAt(kW, kH, x, y) == ScenePart::Near ? 700 + y : 3); },
          [](int x, int) { return uint8_t(x % 4); }};
}

std::string ReadError(const std::string& path) {
  C2DIo io(path, kIoWithDepth);
  std::unique_ptr<CLayerBitmap> image;
  if (io.PrepareReading()) image = io.Read();
  EXPECT_EQ(image, nullptr) << path;
  EXPECT_EQ(io.GetError().rfind(std::filesystem::path(path).filename().string() + ": ", 0), 0u) << io.GetError();
  EXPECT_EQ(io.GetError().find('\n'), std::string::npos);
  return io.GetError();
}

class GBufferFiles : public ::testing::TestWithParam<GBufferCase> {};

TEST_P(GBufferFiles, ReadAsTheSamePictureWithItsDepthAndRenderChannels) {
  const GBufferCase& c = GetParam();
  TempFolder dir;
  auto scene = Scene(c.alpha);
  WriteGBufferRla(dir.File("g.rpf"), *scene, c.options, Values());

  C2DIo io(dir.File("g.rpf"), kIoWithDepth);
  ASSERT_TRUE(io.PrepareReading()) << io.GetError();
  auto back = io.Read();
  ASSERT_TRUE(back) << io.GetError();
  EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *scene->GetStandardLayer()), 0);
  ASSERT_EQ(back->GetLayer<alphaBitmap>() != nullptr, c.alpha);
  if (c.alpha) {
    EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *scene->GetLayer<alphaBitmap>()), 0);
  }
  ASSERT_TRUE(back->GetLayer<depthBitmap>());
  EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), *scene->GetLayer<depthBitmap>()));
  EXPECT_EQ(rlaIO::HasChannels(dir.File("g.rpf"), kDepthBitmap), 1);
  EXPECT_EQ(io.GetFileInfo().gbuffer.front(), "Z");

  // Coverage and the ids are kept by the reader for those who use them.
  RlaImage rla;
  std::string error;
  ASSERT_TRUE(rla.Open(dir.File("g.rpf"), error) && rla.Decode({true, true, true, true}, error)) << error;
  const RlaGBufferPlanes& g = rla.GBuffer();
  GBufferValues values = Values();
  ASSERT_EQ(g.coverage.size(), size_t(kW * kH));
  ASSERT_EQ(g.objectId.size(), size_t(kW * kH));
  ASSERT_EQ(g.materialId.size(), size_t(kW * kH));
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      size_t i = size_t(y * kW + x);
      ASSERT_EQ(g.coverage[i], values.coverage(x, y)) << x << "," << y;
      ASSERT_EQ(g.objectId[i], values.objectId(x, y)) << x << "," << y;
      ASSERT_EQ(g.materialId[i], values.materialId(x, y)) << x << "," << y;
    }
  }
}

GBufferRlaOptions Options(const char* letters, int bits) {
  GBufferRlaOptions o;
  o.letters = letters;
  o.colourBits = bits;
  return o;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, GBufferFiles,
    ::testing::Values(GBufferCase{"Bytes", Options("Z C O E", 8), true},
                      GBufferCase{"BytesRecordsUnknownLetter", Options("Z O C E L P D X", 8), false},
                      GBufferCase{"Words", Options("Z C O E U N V", 16), true},
                      GBufferCase{"WordsEveryChannel", Options("Z E O U N R C B I G T V W M L P D", 16), false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(RlaReaderTest, StraightColourIsPremultipliedAndAFileWithoutZCarriesNoDepth) {
  TempFolder dir;
  // Straight colour under alpha 51 (a fifth) premultiplies exactly to a fifth of its value.
  auto straight = MakeImage(
      kW, kH, [](int x, int) { return Rgb{uint8_t(5 * (x % 50)), 100, 250}; }, [](int, int) { return 5.0f; }, true,
      [](int x, int) { return uint8_t(x % 3 == 0 ? 0 : x % 3 == 1 ? 51 : 255); });
  WriteGBufferRla(dir.File("s.rla"), *straight, Options("A Z", 8));
  auto back = ReadLayered(dir.File("s.rla"));
  ASSERT_TRUE(back);
  for (int x = 0; x < kW; ++x) {
    uint8_t a = PixelAlpha(*straight, x, 3);
    uint8_t expected = uint8_t(a == 0 ? 0 : a == 51 ? 5 * (x % 50) / 5 : 5 * (x % 50));
    EXPECT_EQ(PixelColour(*back, x, 3).r, expected) << x;
  }

  // Render channels without Z: the picture, and no depth; a companion is needed.
  WriteGBufferRla(dir.File("nz.rpf"), *Scene(true), Options("C O L", 8));
  back = ReadLayered(dir.File("nz.rpf"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetLayer<depthBitmap>(), nullptr);
  EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *Scene(true)->GetStandardLayer()), 0);
  EXPECT_EQ(rlaIO::HasChannels(dir.File("nz.rpf"), kDepthBitmap), 0);
}

TEST(RlaReaderTest, ParenthesesInAProgramNameAnnounceNothing) {
  TempFolder dir;
  auto scene = Scene(true);
  CLayerBitmap picture;
  picture.CopyLayers(*scene, kRgbBitmap | kAlphaBitmap);
  WriteImage(dir.File("plain.rla"), picture);
  const std::string plain = ReadFileBytes(dir.File("plain.rla"));
  // Letters that would claim coverage, or straight colour, stored nowhere.
  for (std::string program : {"MyRender (C) 2003", "Studio (Alpha build) : ( Z )", "Render (B"}) {
    std::string bytes = plain;
    bytes.replace(400, program.size(), program);
    C2DIo io(dir.Write("named.rla", bytes), kIoWithDepth);
    ASSERT_TRUE(io.PrepareReading()) << program << ": " << io.GetError();
    auto back = io.Read();
    ASSERT_TRUE(back) << program << ": " << io.GetError();
    EXPECT_TRUE(io.GetFileInfo().gbuffer.empty()) << program;
    EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *scene->GetStandardLayer()), 0) << program;
  }
}

// Where each line's bytes start, and the first chunk of the line's render channels.
struct GBufferLine {
  size_t start;
  size_t depthChunk;
};

GBufferLine TopLine(const std::string& bytes, int height) {
  size_t at = 740 + 4 * size_t(height - 1);
  size_t start = size_t(uint8_t(bytes[at])) << 24 | size_t(uint8_t(bytes[at + 1])) << 16 |
                 size_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
  size_t chunk = start;
  for (int k = 0; k < 3; ++k) chunk += 2 + (size_t(uint8_t(bytes[chunk])) << 8 | uint8_t(bytes[chunk + 1]));
  return {start, chunk};
}

TEST(RlaReaderTest, CutFilesAndLyingChunksAreRefusedInOneLine) {
  TempFolder dir;
  const std::string good = EncodeGBufferRla(*Scene(false), Options("Z C O P D", 8), Values());
  ASSERT_TRUE(ReadLayered(dir.Write("good.rpf", good)));
  for (size_t cut : {size_t(100), size_t(760), good.size() / 2, good.size() - 7}) {
    std::string error = ReadError(dir.Write("cut.rpf", good.substr(0, cut)));
    EXPECT_NE(error.find("truncated"), std::string::npos) << cut << ": " << error;
  }

  // The top line is stored last; its first depth plane's count says more, and fewer, bytes than
  // its runs hold, then more than the file has.
  GBufferLine top = TopLine(good, kH);
  for (int delta : {1, -1, 40000}) {
    std::string lying = good;
    size_t at = top.depthChunk;
    int count = (uint8_t(lying[at]) << 8 | uint8_t(lying[at + 1])) + delta;
    lying[at] = char(count >> 8);
    lying[at + 1] = char(count & 255);
    std::string error = ReadError(dir.Write("lying.rpf", lying));
    EXPECT_NE(error.find("row 0"), std::string::npos) << error;
  }
  // A run said to repeat more values than the line has.
  std::string longRun = good;
  longRun[top.start + 2] = char(127);
  EXPECT_NE(ReadError(dir.Write("run.rpf", longRun)).find("passes the line's end"), std::string::npos);
  // The colour of a middle line says more bytes than lie before the next line.
  std::string overlap = good;
  size_t middle = TopLine(good, kH / 2).start;
  overlap[middle] = char(0x7F);
  EXPECT_NE(ReadError(dir.Write("overlap.rpf", overlap)).find("bytes where"), std::string::npos);
  EXPECT_LT(PeakMemoryMegabytes(), 1000);
}

TEST(RlaReaderTest, AnActiveWindowInsideTheFrameIsPlacedFromTheTop) {
  TempFolder dir;
  std::string bytes = EncodeGBufferRla(*Scene(false), Options("Z", 8));
  // The window grows by 5 columns left and 4 rows above the stored (active) lines.
  auto put16 = [&](size_t at, int v) {
    bytes[at] = char((v >> 8) & 255);
    bytes[at + 1] = char(v & 255);
  };
  put16(0, -5);
  put16(6, kH - 1 + 4);
  auto back = ReadLayered(dir.Write("window.rla", bytes));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetWidth(), kW + 5);
  EXPECT_EQ(back->GetHeight(), kH + 4);
  EXPECT_EQ(PixelColour(*back, 4, 3), (Rgb{0, 0, 0}));
  EXPECT_TRUE(IsBackgroundDepth(back->GetLayer<depthBitmap>()->GetPixelDepth(4, 3)));
  auto scene = Scene(false);
  for (int y : {0, kH / 2, kH - 1}) {
    EXPECT_EQ(PixelColour(*back, 5 + kW / 2, 4 + y), PixelColour(*scene, kW / 2, y)) << y;
  }
}

// Colour, matte and auxiliary channels of every type the header may declare, as the image
// library writes them: a picture without runs (whose row ends that library's encoder keeps).
void WriteTyped(const std::string& path, OIIO::TypeDesc colourType) {
  OIIO::ImageSpec spec(kW, kH, 5, colourType);
  spec.channelnames = {"R", "G", "B", "A", "Z"};
  // (That library writes an all-float file's auxiliary group with 0 bits: its matte stays bytes.)
  OIIO::TypeDesc matteType = colourType == OIIO::TypeDesc::FLOAT ? OIIO::TypeDesc::UINT8 : colourType;
  spec.channelformats = {colourType, colourType, colourType, matteType, OIIO::TypeDesc::FLOAT};
  spec.alpha_channel = 3;
  spec.z_channel = 4;
  spec.attribute("oiio:UnassociatedAlpha", 1);
  std::vector<float> px;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      for (int k = 0; k < 3; ++k) px.push_back(float((x * 37 + y * 11 + k * 50) % 256) / 255.0f);
      px.push_back(float(255 - x) / 255.0f);
      px.push_back(float(x + 2 * y + 1));
    }
  }
  auto out = OIIO::ImageOutput::create("rla");
  ASSERT_TRUE(out->open(path, spec) && out->write_image(OIIO::TypeDesc::FLOAT, px.data()) && out->close()) << path;
}

TEST(RlaReaderTest, EveryChannelTypeReadsTheSamePictureAndFloatColourIsEncoded) {
  TempFolder dir;
  WriteTyped(dir.File("u8.rla"), OIIO::TypeDesc::UINT8);
  auto bytes = ReadLayered(dir.File("u8.rla"));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(PixelColour(*bytes, 1, 0), (Rgb{37, 87, 137}));
  for (OIIO::TypeDesc type : {OIIO::TypeDesc::UINT16, OIIO::TypeDesc::UINT32, OIIO::TypeDesc::FLOAT}) {
    std::string name = dir.File(std::string("t-") + type.c_str() + ".rla");
    WriteTyped(name, type);
    std::string error;
    auto back = ReadLayered(name, kIoWithDepth, &error);
    ASSERT_TRUE(back) << error;
    // Float colour holds the 8-bit values divided by 255, not linear light.
    EXPECT_LE(MaxByteDifference(*back->GetStandardLayer(), *bytes->GetStandardLayer()), 0) << name;
    EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *bytes->GetLayer<alphaBitmap>()), 0) << name;
    EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), *bytes->GetLayer<depthBitmap>())) << name;
  }
}

TEST(RlaReaderTest, RunsDecodeToTheirPlanesWhateverTheirLengths) {
  TempFolder dir;
  // Lines of one long run, of no runs and of both, for widths around the 128-value packets.
  for (int width : {1, 2, 127, 128, 129, 300}) {
    auto image = MakeImage(
        width, 3,
        [](int x, int y) {
          if (y == 0) return Rgb{9, 9, 9};
          if (y == 1) return Rgb{uint8_t(x), uint8_t(x * 3), uint8_t(255 - x)};
          return Rgb{uint8_t(x / 5 * 5), uint8_t(x % 2), uint8_t(x < 3 ? 1 : 2)};
        },
        [](int x, int) { return float(x % 7 + 1); });
    WriteGBufferRla(dir.File("r.rla"), *image, Options("Z", width % 2 ? 16 : 8));
    auto back = ReadLayered(dir.File("r.rla"));
    ASSERT_TRUE(back) << width;
    EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *image->GetStandardLayer()), 0) << width;
    EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), *image->GetLayer<depthBitmap>())) << width;
  }
}

}  // namespace
