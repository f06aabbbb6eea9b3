// Files that cannot be read: each gives no image and one line naming the file, and nothing
// crashes or allocates what a lying header asks for.
#include <gtest/gtest.h>


#include <cmath>
#include <cstring>
#include <limits>
#include <filesystem>

#include "platform/image/ImageIo.h"
#include "support/FileChecks.h"
#include "support/RenderedExr.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

// Reads the file; expects failure with an error line that starts with the file's name.
std::string ExpectUnreadable(const std::string& path) {
  C2DIo io(path, kIoWithDepth);
  std::unique_ptr<CLayerBitmap> image;
  if (io.PrepareReading()) image = io.Read();
  EXPECT_EQ(image, nullptr) << path;
  std::string name = std::filesystem::path(path).filename().string();
  EXPECT_EQ(io.GetError().rfind(name + ": ", 0), 0u) << io.GetError();
  EXPECT_EQ(io.GetError().find('\n'), std::string::npos) << io.GetError();
  return io.GetError();
}

std::string U32(uint32_t v) {
  char b[4] = {char(v & 255), char((v >> 8) & 255), char((v >> 16) & 255), char(v >> 24)};
  return std::string(b, 4);
}

std::string ZpicHeader(const char* magic, uint32_t version, uint32_t width, uint32_t height) {
  return std::string(magic, 4) + U32(version) + U32(width) + U32(height);
}

// An uncompressed 24-bit TGA header declaring the given size, and no pixels.
std::string TgaHeader(uint16_t width, uint16_t height) {
  std::string h(18, '\0');
  h[2] = 2;
  h[12] = char(width & 255);
  h[13] = char(width >> 8);
  h[14] = char(height & 255);
  h[15] = char(height >> 8);
  h[16] = 24;
  return h;
}

// A little-endian TIFF of one 8-bit grey strip declaring the given size, padded to 200 bytes.
std::string TiffHeader(uint32_t width, uint32_t height) {
  auto u16 = [](uint16_t v) { return std::string{char(v & 255), char(v >> 8)}; };
  auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
    return u16(tag) + u16(type) + U32(1) + (type == 3 ? u16(uint16_t(value)) + u16(0) : U32(value));
  };
  std::string t = "II" + u16(42) + U32(8) + u16(9);
  t += entry(256, 4, width) + entry(257, 4, height) + entry(258, 3, 8) + entry(259, 3, 1) + entry(262, 3, 1) +
       entry(273, 4, 150) + entry(277, 3, 1) + entry(278, 4, height) + entry(279, 4, width * height);
  t += U32(0);
  t.resize(200, '\0');
  return t;
}

class DamagedFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedFiles, EmptyRandomAndTruncatedFilesAreRefused) {
  TempFolder dir;
  std::string ext = GetParam();
  std::string good = dir.File("good" + ext);
  PlanesSceneOptions options;
  options.withAlpha = true;
  options.farAlpha = 9;
  WriteImage(good, *MakePlanesScene(64, 48, options));
  ASSERT_TRUE(ReadLayered(good));
  std::string bytes = ReadFileBytes(good);

  EXPECT_NE(ExpectUnreadable(dir.Write("empty" + ext, "")).find("empty"), std::string::npos);
  std::string noise;
  for (int i = 0; i < 3000; ++i) noise += char((i * 7919 + 13) % 251);
  ExpectUnreadable(dir.Write("noise" + ext, noise));
  EXPECT_EQ(rlaIO::HasChannels(dir.File("empty" + ext), kDepthBitmap), 0);
  EXPECT_EQ(rlaIO::HasChannels(dir.File("noise" + ext), kDepthBitmap), 0);
  // Cuts inside the pixels (a lost trailer of metadata alone would leave every pixel readable).
  for (size_t cut : {bytes.size() / 2, bytes.size() * 3 / 4}) {
    std::string error = ExpectUnreadable(dir.Write("cut" + ext, bytes.substr(0, cut)));
    // TIFF keeps its directory at the end: a cut file is no TIFF file at all.
    if (ext != ".tif") {
      EXPECT_NE(error.find("truncated"), std::string::npos) << error;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, DamagedFiles,
                         ::testing::Values(".tga", ".png", ".jpg", ".tif", ".bmp", ".exr", ".qel", ".rla", ".rpf",
                                           ".zpic"),
                         [](const auto& info) { return std::string(info.param + 1); });

TEST(BadImageFilesTest, LyingHeadersAreRefusedBeforeAllocating) {
  TempFolder dir;
  EXPECT_NE(ExpectUnreadable(dir.Write("huge.tga", TgaHeader(65535, 65535))).find("65535"), std::string::npos);
  // Within the side limit, but 2.7 GB of pixels cannot come from 18 bytes.
  EXPECT_NE(ExpectUnreadable(dir.Write("big.tga", TgaHeader(30000, 30000))).find("truncated"), std::string::npos);
  EXPECT_NE(ExpectUnreadable(dir.Write("huge.zpic", ZpicHeader("ZPIC", 1, 100000, 100000) + std::string(64, 'x')))
                .find("100000"),
            std::string::npos);
  EXPECT_NE(ExpectUnreadable(dir.Write("big.zpic", ZpicHeader("ZPIC", 1, 30000, 30000) + std::string(400, '\0')))
                .find("truncated"),
            std::string::npos);
  EXPECT_NE(ExpectUnreadable(dir.Write("magic.zpic", ZpicHeader("ZPIX", 1, 2, 2) + std::string(16, '\0')))
                .find("magic"),
            std::string::npos);
  EXPECT_NE(ExpectUnreadable(dir.Write("v2.zpic", ZpicHeader("ZPIC", 2, 2, 2) + std::string(16, '\0')))
                .find("version 2"),
            std::string::npos);
  ExpectUnreadable(dir.Write("zero.zpic", ZpicHeader("ZPIC", 1, 0, 5)));
  // Every format the image library reads is held to what its bytes can describe.
  EXPECT_NE(ExpectUnreadable(dir.Write("huge.tif", TiffHeader(32768, 32768))).find("truncated"), std::string::npos);
  EXPECT_NE(ExpectUnreadable(dir.Write("big.tif", TiffHeader(20000, 16000))).find("truncated"), std::string::npos);
  // An OpenEXR display window around one pixel of data.
  WriteRenderedExr(dir.File("window.exr"), 30000, 30000, {{"", "", {}, {0, 0, 1, 1}, {{"Y", true, [](int, int) {
                                                                                       return 1.0f;
                                                                                     }}}}});
  EXPECT_NE(ExpectUnreadable(dir.File("window.exr")).find("display window"), std::string::npos);
  ExpectUnreadable(dir.Write("short.zpic", "ZPIC"));
  EXPECT_LT(PeakMemoryMegabytes(), 1500) << "a header's size was allocated";
}

TEST(BadImageFilesTest, MissingFilesFoldersAndUnknownFormats) {
  TempFolder dir;
  EXPECT_NE(ExpectUnreadable(dir.File("missing.tga")).find("does not exist"), std::string::npos);
  std::filesystem::create_directory(dir.File("folder.exr"));
  EXPECT_NE(ExpectUnreadable(dir.File("folder.exr")).find("folder"), std::string::npos);
  WriteImage(dir.File("real.tga"), *MakePlanesScene(8, 8));
  std::filesystem::copy_file(dir.File("real.tga"), dir.File("real.xyz"));
  EXPECT_NE(ExpectUnreadable(dir.File("real.xyz")).find("unknown image format"), std::string::npos);

  C2DIo unnamed("", kIoWithDepth);
  EXPECT_FALSE(unnamed.PrepareReading());
  EXPECT_EQ(unnamed.Read(), nullptr);
  EXPECT_FALSE(unnamed.GetError().empty());
}

TEST(BadImageFilesTest, AFileWithoutPictureGivesNoPictureButItsDepth) {
  TempFolder dir;
  auto depthOnly = MakeImage(4, 4, {}, [](int x, int) { return float(x + 1); });
  WriteDepthOnly(dir.File("z.exr"), *depthOnly->GetLayer<depthBitmap>());
  std::string error;
  EXPECT_EQ(ReadLayered(dir.File("z.exr"), kIoOnePicture, &error), nullptr);
  EXPECT_NE(error.find("z.exr: "), std::string::npos);
  auto withDepth = ReadLayered(dir.File("z.exr"), kIoWithDepth);
  ASSERT_TRUE(withDepth);
  EXPECT_EQ(withDepth->GetStandardLayer(), nullptr);
  EXPECT_TRUE(withDepth->GetLayer<depthBitmap>());
}

TEST(BadImageFilesTest, DepthsThatAreNoObjectAreBackgroundAndTheRangeStaysFinite) {
  TempFolder dir;
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {-inf, 5.0f, 0.0f, -3.0f, 1e10f, std::nanf(""), 7.0f, inf};
  std::string bytes = ZpicHeader("ZPIC", 1, 8, 1);
  for (float v : values) {
    uint32_t raw = 0;
    std::memcpy(&raw, &v, 4);
    bytes += U32(raw);
  }
  auto image = ReadLayered(dir.Write("mixed.zpic", bytes));
  ASSERT_TRUE(image && image->GetLayer<depthBitmap>());
  const depthBitmap& depth = *image->GetLayer<depthBitmap>();
  EXPECT_EQ(depth.GetMinDepth(), 5.0f);
  EXPECT_EQ(depth.GetMaxDepth(), 7.0f);
  EXPECT_EQ(depth.GetBackgroundPixelCount(), 6);
  EXPECT_TRUE(std::isfinite(depth.GetBackgroundDepth()));
  // Only -inf and markers: nothing is an object, and the range is still finite.
  auto markers = ReadLayered(dir.Write("markers.zpic", ZpicHeader("ZPIC", 1, 1, 1) + U32(0xFF800000u)));
  ASSERT_TRUE(markers);
  EXPECT_EQ(markers->GetLayer<depthBitmap>()->GetMinDepth(), 0.0f);
  EXPECT_EQ(markers->GetLayer<depthBitmap>()->GetMaxDepth(), 0.0f);
}

}  // namespace
