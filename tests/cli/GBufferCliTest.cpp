// fovara-render on RLA and RPF files as renderers write them: render channels stored after the
// colour (depth in Z, no companion needed) and float colour.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "RunCli.h"
#include "support/GBufferRla.h"
#include "support/ImageCompare.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kW = 40;
constexpr int kH = 30;

std::string Q(const std::string& s) { return "'" + s + "'"; }

class GBufferCli : public ::testing::Test {
 protected:
  // A new depth-of-field project on the image, rendered with its reset settings: the picture.
  std::unique_ptr<CLayerBitmap> Render(const std::string& image) {
    std::string name = fs::path(image).stem().string();
    CliRun made = RunCli("new " + Q(image) + " --filter dof -o " + Q(dir.File(name + ".fvz")));
    EXPECT_EQ(made.status, 0) << image << ": " << made.err;
    if (made.status != 0) return nullptr;
    std::string out = dir.File("out-" + name + "/");
    CliRun rendered = RunCli("render " + Q(dir.File(name + ".fvz")) + " -o " + Q(out + "r.png") + " --quiet");
    EXPECT_EQ(rendered.status, 0) << rendered.err;
    if (rendered.status != 0 || !fs::exists(out)) return nullptr;
    return ReadLayered(fs::directory_iterator(out)->path().string());
  }

  // The same picture as a plain RLA file (colour and alpha only) and a .zpic companion.
  std::string WriteTwin(const std::string& name, const CLayerBitmap& scene) {
    CLayerBitmap picture;
    picture.CopyLayers(scene, kRgbBitmap | kAlphaBitmap);
    WriteImage(dir.File(name + ".rla"), picture);
    WriteDepthOnly(dir.File(name + ".zpic"), *scene.GetLayer<depthBitmap>());
    return dir.File(name + ".rla");
  }

  TempFolder dir;
};

std::unique_ptr<CLayerBitmap> Scene(bool alpha) {
  PlanesSceneOptions options;
  options.withAlpha = alpha;
  options.farAlpha = 77;
  options.backgroundDepth = 1e30f;
  return MakePlanesScene(kW, kH, options);
}

void ExpectSamePicture(const CLayerBitmap* a, const CLayerBitmap* b, const std::string& label) {
  ASSERT_TRUE(a && b) << label;
  EXPECT_EQ(MaxByteDifference(*a->GetStandardLayer(), *b->GetStandardLayer()), 0) << label;
  EXPECT_EQ(a->GetLayer<alphaBitmap>() != nullptr, b->GetLayer<alphaBitmap>() != nullptr) << label;
  if (a->GetLayer<alphaBitmap>() && b->GetLayer<alphaBitmap>()) {
    EXPECT_EQ(MaxByteDifference(*a->GetLayer<alphaBitmap>(), *b->GetLayer<alphaBitmap>()), 0) << label;
  }
}

}  // namespace

TEST_F(GBufferCli, RenderChannelFilesRenderAsTheirPictureWithACompanion) {
  auto withAlpha = Scene(true), opaque = Scene(false);
  auto twinAlpha = Render(WriteTwin("twin-a", *withAlpha));
  auto twinOpaque = Render(WriteTwin("twin-o", *opaque));
  const struct {
    const char* file;
    const char* letters;
    int bits;
    bool alpha;
  } cases[] = {{"bytes.rpf", "Z C O E L P D", 8, true},
               {"plain.rla", "Z", 8, false},
               {"words.rla", "Z C O U N V", 16, true},
               {"every.rpf", "Z E O U N R C B I G T V W M L P D", 16, false}};
  for (const auto& c : cases) {
    WriteGBufferRla(dir.File(c.file), c.alpha ? *withAlpha : *opaque, {c.letters, "Studio3D", c.bits});
    auto rendered = Render(dir.File(c.file));
    ExpectSamePicture(rendered.get(), (c.alpha ? twinAlpha : twinOpaque).get(), c.file);
  }

  // Straight colour (A): premultiplied on reading, as the plain file holds it. Alpha 51 is a
  // fifth, so straight values that are multiples of 5 premultiply exactly.
  auto straight = MakeImage(
      kW, kH, [](int x, int y) { return Rgb{uint8_t(5 * ((x + y) % 50)), 120, 35}; },
      [](int x, int) { return float(10 + x); }, true, [](int x, int) { return uint8_t(x % 3 ? 255 : 51); });
  auto premultiplied = MakeImage(
      kW, kH,
      [&](int x, int y) {
        Rgb s = PixelColour(*straight, x, y);
        if (x % 3) return s;
        return Rgb{uint8_t(s.r / 5), uint8_t(s.g / 5), uint8_t(s.b / 5)};
      },
      [](int x, int) { return float(10 + x); }, true, [](int x, int) { return uint8_t(x % 3 ? 255 : 51); });
  WriteGBufferRla(dir.File("straight.rla"), *straight, {"Z C A", "Studio3D", 8});
  ExpectSamePicture(Render(dir.File("straight.rla")).get(), Render(WriteTwin("twin-s", *premultiplied)).get(),
                    "straight.rla");
}

TEST_F(GBufferCli, WithoutZAFileIsNoDepthFileAndItsCompanionIsTaken) {
  auto scene = Scene(true);
  WriteGBufferRla(dir.File("nz.rpf"), *scene, {"C O L", "Studio3D", 8});
  CliRun missing = RunCli("new " + Q(dir.File("nz.rpf")) + " --filter dof -o " + Q(dir.File("m.fvz")));
  EXPECT_NE(missing.status, 0);
  EXPECT_NE(missing.err.find("Missing Z-Buffer"), std::string::npos) << missing.err;
  WriteDepthOnly(dir.File("nz.zpic"), *scene->GetLayer<depthBitmap>());
  ExpectSamePicture(Render(dir.File("nz.rpf")).get(), Render(WriteTwin("twin", *scene)).get(), "nz.rpf");
}

TEST_F(GBufferCli, InfoListsTheRenderChannelsAndTheirDepthRange) {
  WriteGBufferRla(dir.File("g.rpf"), *Scene(true), {"Z C O L P D", "Studio3D", 8});
  CliRun json = RunCli("info --json " + Q(dir.File("g.rpf")));
  ASSERT_EQ(json.status, 0) << json.err;
  auto info = nlohmann::json::parse(json.out);
  EXPECT_EQ(info["gbuffer"], (nlohmann::json{"Z", "C", "O"}));
  EXPECT_EQ(info["layers"], (nlohmann::json{"colour", "alpha", "depth"}));
  EXPECT_FLOAT_EQ(info["depth"]["min"].get<float>(), 10.0f);
  EXPECT_FLOAT_EQ(info["depth"]["max"].get<float>(), 40.0f);
  CliRun text = RunCli("info " + Q(dir.File("g.rpf")));
  EXPECT_NE(text.out.find("gbuffer: Z, C, O"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("depth: min 10, max 40"), std::string::npos) << text.out;
}

TEST_F(GBufferCli, FloatColourRendersAsItsEightBitTwin) {
  auto scene = Scene(true);
  DepthFileOptions floats;
  floats.floatColour = true;
  WriteRlaWithDepth(dir.File("float.rla"), *scene, floats);
  WriteRlaWithDepth(dir.File("bytes.rla"), *scene);
  auto a = Render(dir.File("float.rla")), b = Render(dir.File("bytes.rla"));
  ASSERT_TRUE(a && b);
  EXPECT_LE(MaxByteDifference(*a->GetStandardLayer(), *b->GetStandardLayer()), 1);
}
