// OpenEXR files as renderers write them: display and data windows, empty pixels, premultiplied
// colour with soft edges, parts and views.
#include <gtest/gtest.h>

#include <Imath/half.h>
#include <OpenImageIO/imageio.h>

#include <cmath>

#include "platform/image/FloatLayers.h"
#include "platform/image/ImageIo.h"
#include "platform/image/PixelConversion.h"
#include "support/ImageCompare.h"
#include "support/RenderedExr.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

constexpr int kW = 80;
constexpr int kH = 60;

SoftDisc Subject(double cx, double cy) {
  SoftDisc disc;
  disc.cx = cx;
  disc.cy = cy;
  disc.radius = 9;
  disc.edge = 6;
  return disc;
}

// The data window a renderer writes around the subject.
ImageRect Around(const SoftDisc& d) {
  int x0 = int(d.cx - d.radius - d.edge), y0 = int(d.cy - d.radius - d.edge);
  int side = int(2 * (d.radius + d.edge)) + 2;
  return {x0, y0, side, side};
}

void WriteSubject(const std::string& path, const SoftDisc& disc, bool halfDepth = true) {
  WriteRenderedExr(path, kW, kH, {{"", "", {}, Around(disc), disc.Channels(halfDepth)}});
}

uint8_t Straight(const CLayerBitmap& image, int x, int y, int k) {
  uint8_t a = PixelAlpha(image, x, y);
  const uint8_t* c = image.GetLayer<rgbBitmap>()->GetLine(y) + 3 * x;
  return uint8_t(std::min(255, (c[k] * 255 + a / 2) / a));
}

TEST(RenderedExrTest, DataWindowsArePlacedInTheDisplayWindowAndEmptyPixelsAreBackground) {
  TempFolder dir;
  // The subject moves across a sequence; every frame keeps the display window's size.
  for (double cx : {20.0, 41.5, 58.0}) {
    SoftDisc disc = Subject(cx, 25 + cx / 4);
    WriteSubject(dir.File("f.exr"), disc);
    C2DIo reader(dir.File("f.exr"), kIoWithDepth);
    ASSERT_TRUE(reader.PrepareReading()) << reader.GetError();
    ImageRect data = reader.GetFileInfo().data;
    ImageRect expected = Around(disc);
    EXPECT_TRUE(data.x == expected.x && data.y == expected.y && data.width == expected.width) << data.x;
    auto image = EncodeFloatLayers(*reader.Read());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->GetWidth(), kW);
    ASSERT_EQ(image->GetHeight(), kH);
    const depthBitmap& depth = *image->GetLayer<depthBitmap>();
    for (int y = 0; y < kH; y += 3) {
      for (int x = 0; x < kW; ++x) {
        float a = float(half(disc.Alpha(x, y)));
        ASSERT_EQ(PixelAlpha(*image, x, y), UnitToByte(a)) << x << "," << y;
        if (a == 0.0f) {
          ASSERT_EQ(PixelColour(*image, x, y), Rgb{}) << x << "," << y;
          ASSERT_TRUE(IsBackgroundDepth(depth.GetPixelDepth(x, y))) << x << "," << y;
        } else {
          ASSERT_EQ(depth.GetPixelDepth(x, y), disc.depth);
        }
      }
    }
    // The empty pixels' 0 is no object: the range is the subject's.
    EXPECT_EQ(depth.GetMinDepth(), disc.depth);
    EXPECT_EQ(depth.GetMaxDepth(), disc.depth);
  }
}

TEST(RenderedExrTest, HalfDepthIsReadExactly) {
  TempFolder dir;
  // Depths no float-to-half round trip changes, and one it does: the file's half is what counts.
  auto depthAt = [](int x, int y) { return 9.0f + float(x) / 16 + float(y) / 7; };
  std::vector<ExrChannel> channels = {{"R", true, [](int, int) { return 0.5f; }},
                                      {"G", true, [](int, int) { return 0.5f; }},
                                      {"B", true, [](int, int) { return 0.5f; }},
                                      {"Z", true, depthAt}};
  WriteRenderedExr(dir.File("h.exr"), 20, 10, {{"", "", {}, {0, 0, 20, 10}, channels}});
  auto image = ReadShown(dir.File("h.exr"));
  ASSERT_TRUE(image && image->GetLayer<depthBitmap>());
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      ASSERT_EQ(image->GetLayer<depthBitmap>()->GetPixelDepth(x, y), float(half(depthAt(x, y)))) << x << "," << y;
    }
  }
}

// A sharp (untouched) frame of a soft-edged subject saved to every picture format and read back
// keeps its colour: the straight colour a compositor sees in a straight-alpha file is the
// subject's, not darkened by alpha.
TEST(RenderedExrTest, SoftEdgesKeepTheirStraightColourThroughEverySave) {
  TempFolder dir;
  SoftDisc disc = Subject(40, 30);
  WriteSubject(dir.File("s.exr"), disc);
  auto image = ReadShown(dir.File("s.exr"));
  ASSERT_TRUE(image);
  const uint8_t straightRed = LinearToSrgbByte(disc.red);

  // In memory: premultiplied, alpha x the straight colour's encoded value.
  for (int x = 0; x < kW; ++x) {
    uint8_t a = PixelAlpha(*image, x, 30);
    if (a > 0 && a < 255) {
      EXPECT_NEAR(PixelColour(*image, x, 30).r, a * straightRed / 255.0, 1.0) << x;
    }
  }

  for (const char* ext : {".png", ".tga", ".tif"}) {
    std::string path = dir.File(std::string("s") + ext);
    WriteImage(path, *image);
    // The file holds straight colour: read it as stored.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path, &config);
    ASSERT_TRUE(in) << ext;
    std::vector<uint8_t> stored(size_t(kW) * kH * 4);
    ASSERT_TRUE(in->read_image(0, 0, 0, 4, OIIO::TypeDesc::UINT8, stored.data())) << ext;
    double sum = 0;
    int edgePixels = 0;
    for (size_t i = 0; i < stored.size(); i += 4) {
      uint8_t a = stored[i + 3];
      if (a >= 128) {
        EXPECT_NEAR(stored[i], straightRed, 1) << ext << " alpha " << int(a);
      }
      if (a > 25 && a < 230) {
        sum += stored[i];
        ++edgePixels;
      }
    }
    ASSERT_GT(edgePixels, 50);
    EXPECT_NEAR(sum / edgePixels, straightRed, 1.0) << ext;

    // Read back by the program: the same premultiplied colour.
    auto back = ReadShown(path);
    ASSERT_TRUE(back) << ext;
    EXPECT_LE(MaxByteDifference(*back->GetLayer<rgbBitmap>(), *image->GetLayer<rgbBitmap>()), 1) << ext;
    EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *image->GetLayer<alphaBitmap>()), 0) << ext;
  }

  // OpenEXR stores premultiplied linear colour again; read back it is the same image.
  WriteImage(dir.File("back.exr"), *image);
  auto saved = OIIO::ImageInput::open(dir.File("back.exr"));
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->spec().full_width, kW) << "the display window is kept";
  EXPECT_EQ(saved->spec().full_height, kH);
  auto back = ReadShown(dir.File("back.exr"));
  ASSERT_TRUE(back);
  EXPECT_LE(MaxByteDifference(*back->GetLayer<rgbBitmap>(), *image->GetLayer<rgbBitmap>()), 1);
  for (int x = 0; x < kW; ++x) {
    uint8_t a = PixelAlpha(*back, x, 30);
    if (a >= 128) {
      EXPECT_NEAR(Straight(*back, x, 30, 0), straightRed, 1) << x;
    }
  }
}

TEST(RenderedExrTest, TheIssuesPixelIsSavedWithItsStraightColour) {
  TempFolder dir;
  // Alpha 0.85, straight red 0.5 (linear): a straight file stores the encoded 0.5.
  std::vector<ExrChannel> channels = {{"R", true, [](int, int) { return 0.85f * 0.5f; }},
                                      {"G", true, [](int, int) { return 0.0f; }},
                                      {"B", true, [](int, int) { return 0.0f; }},
                                      {"A", true, [](int, int) { return 0.85f; }}};
  WriteRenderedExr(dir.File("p.exr"), 4, 4, {{"", "", {}, {0, 0, 4, 4}, channels}});
  auto image = ReadShown(dir.File("p.exr"));
  ASSERT_TRUE(image);
  WriteImage(dir.File("p.png"), *image);
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(dir.File("p.png"), &config);
  ASSERT_TRUE(in);
  uint8_t stored[4 * 16];
  ASSERT_TRUE(in->read_image(0, 0, 0, 4, OIIO::TypeDesc::UINT8, stored));
  EXPECT_NEAR(stored[0], 188, 1);
  EXPECT_EQ(stored[3], 217);
}

TEST(RenderedExrTest, StraightFilesArePremultipliedOnReading) {
  TempFolder dir;
  // Straight colour, the first pixel hidden under alpha 0 as painting programs leave it.
  const uint8_t pixels[12] = {200, 100, 50, 0, 200, 100, 50, 128, 200, 100, 50, 255};
  for (const char* ext : {".png", ".tga", ".tif"}) {
    std::string path = dir.File(std::string("straight") + ext);
    auto out = OIIO::ImageOutput::create(path);
    OIIO::ImageSpec spec(3, 1, 4, OIIO::TypeDesc::UINT8);
    spec.alpha_channel = 3;
    spec.attribute("oiio:UnassociatedAlpha", 1);
    ASSERT_TRUE(out && out->open(path, spec) && out->write_image(OIIO::TypeDesc::UINT8, pixels) && out->close());
    auto image = ReadShown(path);
    ASSERT_TRUE(image) << ext;
    EXPECT_EQ(PixelColour(*image, 0, 0), Rgb{}) << ext;
    EXPECT_EQ(PixelColour(*image, 1, 0), (Rgb{100, 50, 25})) << ext;
    EXPECT_EQ(PixelColour(*image, 2, 0), (Rgb{200, 100, 50})) << ext;
  }
}

TEST(RenderedExrTest, ColourAndDepthInSeparatePartsWithTheirOwnDataWindows) {
  TempFolder dir;
  SoftDisc disc = Subject(30, 30);
  std::vector<ExrChannel> colour = disc.Channels(true);
  colour.pop_back();
  for (const char* depthName : {"Z", "Y"}) {
    // The depth part of another data window; a part named "depth" may call its channel anything.
    ExrChannel z{depthName, false, [&](int x, int y) { return disc.Depth(x, y); }};
    WriteRenderedExr(dir.File("mp.exr"), kW, kH,
                     {{"rgba", "", {}, Around(disc), colour}, {"depth", "", {}, {5, 5, 60, 50}, {z}}});
    auto image = ReadShown(dir.File("mp.exr"));
    ASSERT_TRUE(image && image->GetLayer<depthBitmap>() && image->GetLayer<alphaBitmap>()) << depthName;
    EXPECT_EQ(image->GetWidth(), kW);
    EXPECT_EQ(image->GetLayer<depthBitmap>()->GetMinDepth(), disc.depth);
    EXPECT_TRUE(IsBackgroundDepth(image->GetLayer<depthBitmap>()->GetPixelDepth(2, 2)));
    EXPECT_EQ(image->GetLayer<depthBitmap>()->GetPixelDepth(30, 30), disc.depth);
    EXPECT_EQ(PixelAlpha(*image, 30, 30), 255);
  }
}

// Two views, the left one the default: in one part with "right." channels, or one part a view.
TEST(RenderedExrTest, StereoFilesGiveTheirDefaultViewOrTheOneAskedFor) {
  TempFolder dir;
  SoftDisc left = Subject(30, 30);
  SoftDisc right = Subject(36, 30);
  right.depth = 12.0f;
  right.red = 0.9f;
  std::vector<ExrChannel> channels = left.Channels(false);
  for (auto& ch : right.Channels(false, "right.")) channels.push_back(ch);
  WriteRenderedExr(dir.File("sp.exr"), kW, kH, {{"", "", {"left", "right"}, {0, 0, kW, kH}, channels}});
  WriteRenderedExr(dir.File("mp.exr"), kW, kH,
                   {{"left", "left", {}, Around(left), left.Channels(false)},
                    {"right", "right", {}, Around(right), right.Channels(false)}});

  for (const char* file : {"sp.exr", "mp.exr"}) {
    for (const std::string view : {"", "left", "right", "centre"}) {
      SCOPED_TRACE(std::string(file) + " view " + view);
      C2DIo reader(dir.File(file), kIoWithDepth);
      reader.SetView(view);
      ASSERT_TRUE(reader.PrepareReading()) << reader.GetError();
      const ImageFileInfo& info = reader.GetFileInfo();
      EXPECT_EQ(info.views, (std::vector<std::string>{"left", "right"}));
      const SoftDisc& taken = view == "right" ? right : left;
      EXPECT_EQ(info.view, view == "right" ? "right" : "left");
      EXPECT_EQ(info.requestedViewFound, view != "centre");
      EXPECT_EQ(info.takenChannels.size(), 5u);
      auto read = reader.Read();
      ASSERT_TRUE(read);
      auto image = EncodeFloatLayers(*read);
      EXPECT_EQ(image->GetLayer<depthBitmap>()->GetMinDepth(), taken.depth);
      EXPECT_EQ(PixelColour(*image, int(taken.cx), 30).r, LinearToSrgbByte(taken.red));
    }
  }
}

}  // namespace
