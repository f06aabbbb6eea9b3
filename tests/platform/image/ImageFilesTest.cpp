// Reading and writing image files: round trips of every format, depth conventions of other
// renderers, channel names, and how saving names and replaces files.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "support/ScriptedUserInterface.h"
#include "platform/image/ImageIo.h"
#include "support/ImageCompare.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

// 45 wide: the last column starts a new check square, a row end the RLA encoder gets wrong.
constexpr int kW = 45;
constexpr int kH = 32;
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<std::string> FolderListing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::unique_ptr<CLayerBitmap> SceneWithAlpha(PlanesSceneOptions options = {}) {
  options.withAlpha = true;
  options.farAlpha = 77;
  return MakePlanesScene(kW, kH, options);
}

// --- Round trips through the program's writer and reader ---

struct FormatCase {
  const char* ext;
  const char* formatName;
  bool keepsAlpha;
  bool keepsDepth;
  double meanTolerance;  // 0: lossless
};

class FormatRoundTrip : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatRoundTrip, KeepsWhatTheFormatCanHold) {
  const FormatCase& c = GetParam();
  TempFolder dir;
  auto scene = SceneWithAlpha();
  std::string path = dir.File(std::string("shot") + c.ext);

  C2DIo writer(path, kIoSaving);
  ASSERT_TRUE(writer.PrepareSaving(*scene, 1)) << writer.GetError();
  ASSERT_TRUE(writer.Save(*scene, -1)) << writer.GetError();
  EXPECT_EQ(writer.GetWarning().empty(), c.keepsAlpha) << writer.GetWarning();

  C2DIo reader(path, kIoWithDepth);
  ASSERT_TRUE(reader.PrepareReading()) << reader.GetError();
  EXPECT_EQ(reader.GetFormatName(), c.formatName);
  EXPECT_EQ(reader.GetFileWidth(), kW);
  EXPECT_EQ(reader.GetFileHeight(), kH);
  auto back = reader.Read();
  ASSERT_TRUE(back) << reader.GetError();

  const Bitmap* colour = back->GetLayerByType(kRgbBitmap);
  ASSERT_TRUE(colour);
  if (c.meanTolerance == 0) {
    EXPECT_EQ(MaxByteDifference(*colour, *scene->GetStandardLayer()), 0);
  } else {
    EXPECT_LT(MeanByteDifference(*colour, *scene->GetStandardLayer()), c.meanTolerance);
  }
  ASSERT_EQ(back->GetLayer<alphaBitmap>() != nullptr, c.keepsAlpha);
  if (c.keepsAlpha) {
    EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *scene->GetLayer<alphaBitmap>()), 0);
  }
  ASSERT_EQ(back->GetLayer<depthBitmap>() != nullptr, c.keepsDepth);
  if (c.keepsDepth) {
    EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), *scene->GetLayer<depthBitmap>()));
  }

  auto pictureOnly = ReadLayered(path, kIoOnePicture);
  ASSERT_TRUE(pictureOnly);
  EXPECT_EQ(pictureOnly->GetLayerCount(), 1);
  EXPECT_TRUE(pictureOnly->GetLayer<rgbBitmap>());
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, FormatRoundTrip,
    ::testing::Values(FormatCase{".tga", "targa", true, false, 0}, FormatCase{".png", "png", true, false, 0},
                      FormatCase{".tif", "tiff", true, false, 0}, FormatCase{".bmp", "bmp", true, false, 0},
                      FormatCase{".jpg", "jpeg", false, false, 6.0}, FormatCase{".exr", "openexr", true, true, 0},
                      FormatCase{".qel", "qel", true, true, 0}, FormatCase{".rla", "rla", true, true, 0},
                      FormatCase{".rpf", "rla", true, true, 0}, FormatCase{".TGA", "targa", true, false, 0}),
    [](const auto& info) {
      std::string name = info.param.ext + 1;
      return name == "TGA" ? std::string("UpperCaseTga") : name;
    });

TEST(ImageFilesTest, EveryByteSurvivesFloatingPointColour) {
  TempFolder dir;
  auto ramp = MakeImage(256, 2, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(255 - x), uint8_t(y * 128)}; },
                        {}, true, [](int x, int) { return uint8_t(255 - x); });
  for (const char* name : {"ramp.exr", "ramp.qel"}) {
    WriteImage(dir.File(name), *ramp);
    auto back = ReadLayered(dir.File(name));
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *ramp->GetStandardLayer()), 0) << name;
    EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *ramp->GetLayer<alphaBitmap>()), 0) << name;
  }
}

TEST(ImageFilesTest, DepthOnlyFilesAndDepthPictures) {
  TempFolder dir;
  PlanesSceneOptions options;
  options.backgroundDepth = 1e30f;
  auto scene = MakePlanesScene(kW, kH, options);
  const depthBitmap& depth = *scene->GetLayer<depthBitmap>();
  for (const char* name : {"d.zpic", "d.qel", "d.exr", "d.rla", "d.rpf"}) {
    WriteDepthOnly(dir.File(name), depth);
    auto back = ReadLayered(dir.File(name));
    ASSERT_TRUE(back) << name;
    ASSERT_TRUE(back->GetLayer<depthBitmap>()) << name;
    EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), depth)) << name;
    EXPECT_EQ(rlaIO::HasChannels(dir.File(name), kDepthBitmap), 1) << name;
  }
  EXPECT_EQ(ReadLayered(dir.File("d.zpic"))->GetLayerCount(), 1);

  WriteDepthPicture(dir.File("d.z.tga"), depth, true);
  auto picture = ReadLayered(dir.File("d.z.tga"), kIoOnePicture);
  ASSERT_TRUE(picture && picture->GetLayer<g8Bitmap>());
  auto recovered = zBitmap::CreateZBitmap(*picture->GetLayer<g8Bitmap>(), true);
  ScenePoint nearP = PlanesScenePoint(kW, kH, ScenePart::Near), midP = PlanesScenePoint(kW, kH, ScenePart::Mid);
  EXPECT_LT(recovered->GetPixelDepth(nearP.x, nearP.y), recovered->GetPixelDepth(midP.x, midP.y));
}

TEST(ImageFilesTest, GreyPicturesStayGrey) {
  TempFolder dir;
  auto grey = std::make_unique<g8Bitmap>(20, 10);
  for (size_t i = 0; i < grey->GetValueCount(); ++i) grey->GetData()[i] = uint8_t(i);
  CLayerBitmap image(grey->Copy());
  WriteImage(dir.File("g.png"), image);
  auto back = ReadLayered(dir.File("g.png"), kIoOnePicture);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetLayer<rgbBitmap>(), nullptr);
  ASSERT_TRUE(back->GetLayer<g8Bitmap>());
  EXPECT_EQ(MaxByteDifference(*back->GetLayer<g8Bitmap>(), *grey), 0);

  auto alpha = std::make_unique<alphaBitmap>(20, 10);
  alpha->GetData()[3] = 200;
  image.AddLayer(std::move(alpha));
  WriteImage(dir.File("ga.png"), image);
  back = ReadLayered(dir.File("ga.png"));
  ASSERT_TRUE(back && back->GetLayer<g8Bitmap>() && back->GetLayer<alphaBitmap>());
  EXPECT_EQ(back->GetLayer<alphaBitmap>()->GetData()[3], 200);
  EXPECT_EQ(back->GetLayer<g8Bitmap>()->GetData()[3], 3) << "grey is not premultiplied by alpha";
}

TEST(ImageFilesTest, SixteenBitAndFloatColourAreScaledAndClamped) {
  TempFolder dir;
  {
    OIIO::ImageSpec imageSpec(4, 1, 3, OIIO::TypeDesc::UINT16);
    std::vector<uint16_t> px = {0, 257, 65535, 257 * 100, 257 * 200, 257 * 255, 128, 65535, 0, 0, 0, 0};
    auto out = OIIO::ImageOutput::create(dir.File("w.png"));
    ASSERT_TRUE(out->open(dir.File("w.png"), imageSpec) && out->write_image(OIIO::TypeDesc::UINT16, px.data()));
    out->close();
  }
  auto wide = ReadLayered(dir.File("w.png"));
  ASSERT_TRUE(wide);
  EXPECT_EQ(PixelColour(*wide, 0, 0), (Rgb{0, 1, 255}));
  EXPECT_EQ(PixelColour(*wide, 1, 0), (Rgb{100, 200, 255}));
  EXPECT_EQ(PixelColour(*wide, 2, 0), (Rgb{0, 255, 0}));
  {
    OIIO::ImageSpec imageSpec(2, 1, 3, OIIO::TypeDesc::FLOAT);
    std::vector<float> px = {4.0f, -1.0f, std::nanf(""), 0.18f, 1.0f, 0.0f};
    auto out = OIIO::ImageOutput::create(dir.File("f.exr"));
    ASSERT_TRUE(out->open(dir.File("f.exr"), imageSpec) && out->write_image(OIIO::TypeDesc::FLOAT, px.data()));
    out->close();
  }
  auto hdr = ReadShown(dir.File("f.exr"));
  ASSERT_TRUE(hdr);
  EXPECT_EQ(PixelColour(*hdr, 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelColour(*hdr, 1, 0), (Rgb{118, 255, 0})) << "linear 0.18 is sRGB 118";
}

// --- Files made the way other renderers make them ---

TEST(ImageFilesTest, RlaAndRpfWithFloatDepth) {
  TempFolder dir;
  auto scene = SceneWithAlpha();
  for (const char* name : {"r.rla", "r.rpf"}) {
    WriteRlaWithDepth(dir.File(name), *scene);
    auto back = ReadLayered(dir.File(name));
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *scene->GetStandardLayer()), 0);
    EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *scene->GetLayer<alphaBitmap>()), 0);
    EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), *scene->GetLayer<depthBitmap>()));
    EXPECT_EQ(rlaIO::HasChannels(dir.File(name), kDepthBitmap), 1);
  }
  CLayerBitmap colourOnly;
  colourOnly.CopyLayers(*scene, kRgbBitmap);
  WriteImage(dir.File("flat.rla"), colourOnly);
  EXPECT_EQ(rlaIO::HasChannels(dir.File("flat.rla"), kDepthBitmap), 0);
  EXPECT_EQ(rlaIO::HasChannels(dir.File("flat.rla"), kRgbBitmap), 1);
  WriteImage(dir.File("flat.tga"), colourOnly);
  EXPECT_EQ(rlaIO::HasChannels(dir.File("flat.tga"), kDepthBitmap), 0);
  EXPECT_EQ(rlaIO::HasChannels(dir.File("missing.rla"), kDepthBitmap), 0);
}

TEST(ImageFilesTest, RlaRowsEndWithTheirOwnLastPixel) {
  TempFolder dir;
  // Runs of every length up to past the encoder's 127-value packets, then a different last pixel.
  for (int width : {2, 5, 128, 129, 131, 300}) {
    auto image = MakeImage(
        width, 6,
        [width](int x, int y) {
          if (x == width - 1) return Rgb{uint8_t(200 + y), 7, uint8_t(y)};
          int run = x / (y + 1);
          return Rgb{uint8_t(run * 3), uint8_t(y == 5 ? (x * 37) % 251 : 90), 40};
        },
        [](int x, int) { return float(x + 1); }, true,
        [width](int x, int) { return uint8_t(x == width - 1 ? 3 : 250); });
    WriteImage(dir.File("w.rla"), *image);
    WriteRlaWithDepth(dir.File("f.rpf"), *image);
    for (const char* name : {"w.rla", "f.rpf"}) {
      auto back = ReadLayered(dir.File(name));
      ASSERT_TRUE(back) << name;
      EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *image->GetStandardLayer()), 0) << name << width;
      EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *image->GetLayer<alphaBitmap>()), 0) << name;
      EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), *image->GetLayer<depthBitmap>())) << name;
    }
  }
}

struct ExrCase {
  const char* label;
  DepthFileOptions options;
};

ExrCase Exr(const char* label, bool multilayer, bool separatePart, const char* depthChannel) {
  ExrCase c{label, {}};
  c.options.multilayer = multilayer;
  c.options.depthInSeparatePart = separatePart;
  c.options.depthChannel = depthChannel;
  return c;
}

class ExrDepthNames : public ::testing::TestWithParam<ExrCase> {};

TEST_P(ExrDepthNames, DepthAndColourAreFound) {
  TempFolder dir;
  auto scene = SceneWithAlpha();
  WriteExrWithDepth(dir.File("e.exr"), *scene, GetParam().options);
  EXPECT_EQ(rlaIO::HasChannels(dir.File("e.exr"), kDepthBitmap), 1);
  auto back = ReadShown(dir.File("e.exr"));
  ASSERT_TRUE(back && back->GetLayer<depthBitmap>() && back->GetLayer<rgbBitmap>());
  EXPECT_TRUE(SameDepths(*back->GetLayer<depthBitmap>(), *scene->GetLayer<depthBitmap>()));
  EXPECT_EQ(MaxByteDifference(*back->GetStandardLayer(), *scene->GetStandardLayer()), 0);
  ASSERT_TRUE(back->GetLayer<alphaBitmap>());
  EXPECT_EQ(MaxByteDifference(*back->GetLayer<alphaBitmap>(), *scene->GetLayer<alphaBitmap>()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExrDepthNames,
    ::testing::Values(Exr("Z", false, false, ""), Exr("Multilayer", true, false, ""),
                      Exr("MultiPart", false, true, "Depth.V"), Exr("DepthV", false, false, "ViewLayer.Depth.V"),
                      Exr("DepthWord", false, false, "depth")),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ImageFilesTest, NegativeCameraDepthIsNegatedAndBackgroundMarkersStayBackground) {
  TempFolder dir;
  auto scene = SceneWithAlpha();
  ScenePoint nearP = PlanesScenePoint(kW, kH, ScenePart::Near), farP = PlanesScenePoint(kW, kH, ScenePart::Far);
  struct Marker {
    std::optional<float> value;
    float expected;
  };
  for (Marker m : {Marker{std::nullopt, 100.0f}, Marker{1e30f, 1e30f}, Marker{kInf, kInf}}) {
    DepthFileOptions options;
    options.negativeZ = true;
    options.backgroundMarker = m.value;
    WriteExrWithDepth(dir.File("n.exr"), *scene, options);
    WriteRlaWithDepth(dir.File("n.rla"), *scene, options);
    for (const char* name : {"n.exr", "n.rla"}) {
      auto back = ReadShown(dir.File(name));
      ASSERT_TRUE(back) << name;
      const depthBitmap& d = *back->GetLayer<depthBitmap>();
      EXPECT_EQ(d.GetPixelDepth(nearP.x, nearP.y), 10.0f) << name;
      EXPECT_EQ(d.GetPixelDepth(farP.x, farP.y), m.expected) << name;
      EXPECT_EQ(d.GetMinDepth(), 10.0f) << name;
    }
  }
  // Negative objects in front of a positive marker: the objects alone decide.
  auto mixed = MakeImage(3, 1, {}, [](int x, int) { return x == 0 ? -10.0f : x == 1 ? -40.0f : 1e30f; });
  WriteExrWithDepth(dir.File("m.exr"), *mixed);
  auto back = ReadLayered(dir.File("m.exr"));
  ASSERT_TRUE(back);
  const depthBitmap& d = *back->GetLayer<depthBitmap>();
  EXPECT_EQ(d.GetPixelDepth(0, 0), 10.0f);
  EXPECT_EQ(d.GetPixelDepth(1, 0), 40.0f);
  EXPECT_EQ(d.GetPixelDepth(2, 0), 1e30f);
}

TEST(ImageFilesTest, PositiveDepthIsKeptAsIsAndZeroOrBelowIsBackground) {
  TempFolder dir;
  auto image = MakeImage(3, 1, {}, [](int x, int) { return x == 0 ? 0.0f : x == 1 ? 2.5f : -1e30f; });
  WriteDepthOnly(dir.File("p.zpic"), *image->GetLayer<depthBitmap>());
  auto back = ReadLayered(dir.File("p.zpic"));
  ASSERT_TRUE(back);
  const depthBitmap& d = *back->GetLayer<depthBitmap>();
  EXPECT_EQ(d.GetPixelDepth(1, 0), 2.5f);
  EXPECT_TRUE(IsBackgroundDepth(d.GetPixelDepth(0, 0)));
  EXPECT_TRUE(IsBackgroundDepth(d.GetPixelDepth(2, 0)));
}

// --- Saving ---

TEST(ImageSavingTest, FrameNamesCarryPaddedNumbersBeforeTheExtension) {
  C2DIo io("/out/Kovrinshot.tga", kIoSaving);
  EXPECT_EQ(io.GetFrameFileName(12), "/out/Kovrinshot0012.tga");
  EXPECT_EQ(io.GetFrameFileName(-1), "/out/Kovrinshot.tga");
  io.SetNumberWidth(2);
  EXPECT_EQ(io.GetFrameFileName(123), "/out/Kovrinshot123.tga");
  C2DIo depthPicture("/out/shot.z.tga", kIoSaving);
  EXPECT_EQ(depthPicture.GetFrameFileName(7), "/out/shot.z0007.tga");
}

TEST(ImageSavingTest, SaveWritesTheNumberedFrameAndReplacesOldFilesWholly) {
  TempFolder dir;
  auto first = MakeImage(8, 8, [](int, int) { return Rgb{10, 20, 30}; });
  auto second = MakeImage(8, 8, [](int, int) { return Rgb{200, 100, 0}; });
  C2DIo io(dir.File("out.z.tga"), kIoSaving);
  ASSERT_TRUE(io.PrepareSaving(*first, 2)) << io.GetError();
  EXPECT_EQ(io.GetFormatName(), "targa");
  ASSERT_TRUE(io.Save(*first, 3));
  ASSERT_TRUE(io.Save(*second, 3));
  EXPECT_EQ(FolderListing(dir.Path()), std::vector<std::string>{"out.z0003.tga"}) << "no temporary file is left";
  EXPECT_EQ(PixelColour(*ReadLayered(dir.File("out.z0003.tga")), 4, 4), (Rgb{200, 100, 0}));

  // A failed save leaves nothing behind and says why.
  std::filesystem::create_directory(dir.File("busy.tga"));
  C2DIo blocked(dir.File("busy.tga"), kIoSaving);
  ASSERT_TRUE(blocked.PrepareSaving(*first, 1));
  EXPECT_FALSE(blocked.Save(*first, -1));
  EXPECT_EQ(blocked.GetError().rfind("busy.tga: ", 0), 0u) << blocked.GetError();
  EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"busy.tga", "out.z0003.tga"}));
}

TEST(ImageSavingTest, PrepareSavingRefusesWhatCannotBeWritten) {
  TempFolder dir;
  auto scene = MakePlanesScene(8, 8);
  CLayerBitmap depthOnly;
  depthOnly.CopyLayers(*scene, kDepthBitmap);
  CLayerBitmap colourOnly;
  colourOnly.CopyLayers(*scene, kRgbBitmap);
  auto wide = MakePlanesScene(16384, 1);
  struct Refusal {
    std::string path;
    const CLayerBitmap* image;
  };
  for (const Refusal& r : {Refusal{dir.File("a.xyz"), scene.get()}, Refusal{dir.File("noext"), scene.get()},
                           Refusal{dir.File("nofolder/a.tga"), scene.get()}, Refusal{dir.File("d.tga"), &depthOnly},
                           Refusal{dir.File("c.zpic"), &colourOnly}, Refusal{dir.File("wide.rla"), wide.get()}}) {
    C2DIo io(r.path, kIoSaving);
    EXPECT_FALSE(io.PrepareSaving(*r.image, 1)) << r.path;
    EXPECT_NE(io.GetError().find(std::filesystem::path(r.path).filename().string() + ": "), std::string::npos)
        << io.GetError();
    EXPECT_FALSE(io.Save(*r.image, -1)) << r.path;
  }
  EXPECT_TRUE(FolderListing(dir.Path()).empty());
}

TEST(ImageSavingTest, JpegWarnsThatAlphaIsDropped) {
  TempFolder dir;
  auto scene = SceneWithAlpha();
  C2DIo io(dir.File("a.jpg"), kIoSaving);
  ASSERT_TRUE(io.PrepareSaving(*scene, 1));
  EXPECT_NE(io.GetWarning().find("alpha"), std::string::npos);
  ASSERT_TRUE(io.Save(*scene, -1));
  EXPECT_NE(io.GetWarning().find("a.jpg"), std::string::npos);
  C2DIo opaque(dir.File("b.jpg"), kIoSaving);
  auto noAlpha = MakePlanesScene(kW, kH);
  ASSERT_TRUE(opaque.PrepareSaving(*noAlpha, 1) && opaque.Save(*noAlpha, -1));
  EXPECT_TRUE(opaque.GetWarning().empty());
}

TEST(ImageSavingTest, FileDialogGoesThroughTheUserInterface) {
  ScriptedUserInterface ui;
  ui.openFiles.push_back(std::string("/pictures/chosen.exr"));
  ui.openFiles.push_back(std::nullopt);
  ui.saveFiles.push_back(std::string("/out/result.png"));
  C2DIo reader("/pictures/first.tga", kIoWithDepth);
  EXPECT_TRUE(reader.FileDialogBox(ui, kDialogPicture));
  EXPECT_EQ(reader.GetFileName(), "/pictures/chosen.exr");
  EXPECT_FALSE(reader.FileDialogBox(ui, kDialogPicture));
  EXPECT_EQ(reader.GetFileName(), "/pictures/chosen.exr") << "a cancelled dialog keeps the name";
  C2DIo writer("/out/Kovrinshot.tga", kIoSaving);
  EXPECT_TRUE(writer.FileDialogBox(ui, kDialogFrames));
  EXPECT_EQ(writer.GetFileName(), "/out/result.png");
  EXPECT_EQ(ui.EventsOfKind("open").size(), 2u);
  EXPECT_EQ(ui.EventsOfKind("save").size(), 1u);
  EXPECT_TRUE(ui.Unexpected().empty());
}

// --- Sequences made for other test areas ---

TEST(SceneSequenceTest, FramesAndCompanionsDifferByDepth) {
  TempFolder dir;
  auto names = WriteSequence(dir.Path(), "shot", 7, 3, 4, ".tga", ".zpic", 16, 12);
  EXPECT_EQ(names, (std::vector<std::string>{"shot0007.tga", "shot0008.tga", "shot0009.tga"}));
  ScenePoint p = PlanesScenePoint(16, 12, ScenePart::Near);
  for (int k = 0; k < 3; ++k) {
    auto depth = ReadLayered(dir.File("shot000" + std::to_string(7 + k) + ".zpic"));
    ASSERT_TRUE(depth);
    EXPECT_EQ(depth->GetLayer<depthBitmap>()->GetPixelDepth(p.x, p.y), 10.0f + k);
  }
  auto image = ReadLayered(dir.File(names[0]));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetLayer<depthBitmap>(), nullptr) << "the picture carries no depth";
  for (const char* ext : {".qel", ".rla", ".rpf", ".exr"}) {
    WriteSequence(dir.Path(), "c", 1, 2, 3, ".png", ext, 16, 12);
    auto depth = ReadLayered(dir.File(std::string("c002") + ext));
    ASSERT_TRUE(depth && depth->GetLayer<depthBitmap>()) << ext;
    EXPECT_EQ(depth->GetLayer<depthBitmap>()->GetPixelDepth(p.x, p.y), 11.0f) << ext;
  }
  WriteSequence(dir.Path(), "g", 1, 1, 1, ".png", ".z.tga", 16, 12);
  auto picture = ReadLayered(dir.File("g1.z.tga"), kIoOnePicture);
  ASSERT_TRUE(picture && picture->GetLayer<g8Bitmap>());
  EXPECT_EQ(picture->GetLayer<g8Bitmap>()->GetLine(p.y)[p.x], 255) << "near is light";
  auto carried = WriteSequence(dir.Path(), "own_", 1, 2, 2, ".rpf", "", 16, 12);
  auto second = ReadLayered(dir.File(carried[1]));
  ASSERT_TRUE(second && second->GetLayer<depthBitmap>());
  EXPECT_EQ(second->GetLayer<depthBitmap>()->GetPixelDepth(p.x, p.y), 11.0f);
}

}  // namespace
