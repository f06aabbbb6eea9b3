// How hard saved files are compressed: every setting keeps the pixels and the depth exactly,
// and the settings trade file size as they say.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/image/ImageIo.h"
#include "support/ImageCompare.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

// Patches of flat colour with steps between them, as rendered frames often hold: every codec
// finds something to compress, none finds it trivial.
std::unique_ptr<CLayerBitmap> RenderedLikeFrame() {
  return MakeImage(
      320, 200,
      [](int x, int y) {
        int u = x / 12, v = y / 9;
        return Rgb{uint8_t(u * 19), uint8_t((v * 23 + (u ^ v) * 5) & 255), uint8_t((u * v * 3) & 255)};
      },
      [](int x, int y) { return 2.0f + float(x) * 0.25f + float(y % 17); }, true,
      [](int x, int) { return uint8_t(x < 160 ? 255 : (x / 16) * 20); });
}

uintmax_t SavedSize(const std::string& path, const CLayerBitmap& image, ImageCompression compression) {
  C2DIo output(path, kIoSaving);
  output.SetCompression(compression);
  EXPECT_TRUE(output.PrepareSaving(image, 1)) << output.GetError();
  EXPECT_TRUE(output.Save(image, -1)) << output.GetError();
  return std::filesystem::file_size(path);
}

}  // namespace

TEST(ImageCompression, EverySettingKeepsThePixelsAndTradesSize) {
  TempFolder dir;
  auto image = RenderedLikeFrame();
  for (const std::string ext : {".png", ".exr", ".tif", ".tga"}) {
    SCOPED_TRACE(ext);
    std::map<ImageCompression, uintmax_t> sizes;
    for (ImageCompression c : {ImageCompression::Fast, ImageCompression::Small, ImageCompression::None}) {
      std::string path = dir.File("c" + std::to_string(int(c)) + ext);
      sizes[c] = SavedSize(path, *image, c);
      auto back = ReadLayered(path);
      ASSERT_NE(back, nullptr) << path;
      // Colour under partial alpha is stored straight (or as linear half floats) and comes back
      // premultiplied again within rounding: every setting must give the first setting's pixels.
      auto reference = ReadLayered(dir.File("c0" + ext));
      EXPECT_EQ(MaxByteDifference(*reference->GetLayerByType(kRgbBitmap), *back->GetLayerByType(kRgbBitmap)), 0);
      if (ext == ".exr") {
        EXPECT_TRUE(SameDepths(*image->GetLayer<depthBitmap>(), *back->GetLayer<depthBitmap>()));
      }
      EXPECT_EQ(MaxByteDifference(*image->GetLayerByType(kAlphaBitmap), *back->GetLayerByType(kAlphaBitmap)), 0);
    }
    // Fast stores TGA as it is, and OpenEXR and TIFF as small does: nothing faster is lossless.
    EXPECT_GE(sizes[ImageCompression::None], sizes[ImageCompression::Fast]);
    EXPECT_GE(sizes[ImageCompression::Fast], sizes[ImageCompression::Small]);
    EXPECT_GT(sizes[ImageCompression::None], 2 * sizes[ImageCompression::Small]);
    if (ext == ".png") {
      EXPECT_GT(sizes[ImageCompression::Fast], sizes[ImageCompression::Small]);
    }
  }
}
