// Float colour from the floating-point formats other than OpenEXR (read through the image
// library): float TIFF and Radiance HDR keep their light above white; 16-bit TIFF stays 8-bit.

#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <string>
#include <vector>

#include "platform/image/Bitmap.h"
#include "platform/image/LayerBitmap.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

constexpr int kW = 6;
constexpr int kH = 4;

// Linear values from deep shadow to a lamp a hundred times white, varying by pixel and channel.
float Value(int x, int y, int c) {
  static const float kLevels[] = {0.002f, 0.05f, 0.18f, 0.9f, 3.5f, 100.0f};
  return kLevels[(x + y + c) % 6] * (1.0f + 0.1f * float(c));
}

void WritePicture(const std::string& path, OIIO::TypeDesc type) {
  std::vector<float> pixels;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      for (int c = 0; c < 3; ++c) pixels.push_back(Value(x, y, c));
    }
  }
  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out) << path;
  ASSERT_TRUE(out->open(path, OIIO::ImageSpec(kW, kH, 3, type))) << out->geterror();
  ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, pixels.data())) << out->geterror();
  ASSERT_TRUE(out->close());
}

}  // namespace

TEST(FloatPictureFiles, FloatTiffAndRadianceKeepTheirLightAboveWhite) {
  TempFolder dir;
  struct Case {
    std::string name;
    OIIO::TypeDesc type;
    double tolerance;  // relative: Radiance keeps 8 bits of mantissa for a pixel's three values
  };
  for (const Case& c : {Case{"f.tif", OIIO::TypeDesc::FLOAT, 1e-6}, Case{"f.hdr", OIIO::TypeDesc::FLOAT, 0.01}}) {
    SCOPED_TRACE(c.name);
    WritePicture(dir.File(c.name), c.type);
    const auto image = ReadLayered(dir.File(c.name));
    ASSERT_TRUE(image);
    const auto* colour = image->GetLayer<rgbFloatBitmap>();
    ASSERT_TRUE(colour) << "a floating-point file is held as float colour";
    EXPECT_EQ(image->GetLayer<rgbBitmap>(), nullptr);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        for (int ch = 0; ch < 3; ++ch) {
          // Radiance shares one exponent among a pixel's values: the dimmer ones keep less.
          const float brightest = std::max({Value(x, y, 0), Value(x, y, 1), Value(x, y, 2)});
          EXPECT_NEAR(colour->GetLine(y)[3 * x + ch], Value(x, y, ch), c.tolerance * brightest)
              << x << "," << y << "," << ch;
        }
      }
    }
  }
}

TEST(FloatPictureFiles, SixteenBitTiffStaysOnTheEightBitPath) {
  TempFolder dir;
  WritePicture(dir.File("i.tif"), OIIO::TypeDesc::UINT16);
  const auto image = ReadLayered(dir.File("i.tif"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetLayer<rgbFloatBitmap>(), nullptr);
  const auto* bytes = image->GetLayer<rgbBitmap>();
  ASSERT_TRUE(bytes);
  // Values above white are clipped by the integer file itself.
  EXPECT_EQ(bytes->GetLine(0)[3 * 5], 255);
}
