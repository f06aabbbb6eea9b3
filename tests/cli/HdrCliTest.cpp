// fovara-render on a float render with lights brighter than white: OpenEXR output keeps the
// lights' values and energy (half floats, or 32-bit on request), an 8-bit output shows a blurred
// light as a bright disc, and the highlight settings are set by key.

#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <cmath>
#include <filesystem>

#include "RunCli.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kW = 160;
constexpr int kH = 100;
constexpr float kWall = 0.05f;
constexpr float kLight = 100.0f;
constexpr int kFarX = 40, kSharpX = 120, kLightY = 50;

std::string Q(const std::string& s) { return "'" + s + "'"; }

// Far background on the left with a light; a wall on the right with a light on it, in focus.
std::unique_ptr<CLayerBitmap> NightFrame() {
  auto colour = std::make_unique<rgbFloatBitmap>(kW, kH);
  auto depth = std::make_unique<depthBitmap>(kW, kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const bool light = std::abs(y - kLightY) <= 1 && (std::abs(x - kFarX) <= 1 || std::abs(x - kSharpX) <= 1);
      for (int c = 0; c < 3; ++c) colour->GetLine(y)[3 * x + c] = light ? kLight : kWall;
      depth->GetLine(y)[x] = x < kW / 2 ? 40.0f : 10.0f;
    }
  }
  auto image = std::make_unique<CLayerBitmap>(std::move(colour));
  image->AddLayer(std::move(depth));
  return image;
}

class HdrCli : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteImage(dir.File("night.exr"), *NightFrame());
    ASSERT_EQ(RunCli("new " + Q(dir.File("night.exr")) + " --filter dof -o " + Q(project)).status, 0);
    CliRun set = RunCli("set " + Q(project) + " --frame 0 DMIN=9 DMAX=11 ZMIN=5 ZMAX=40 NERB=20 FARB=20");
    ASSERT_EQ(set.status, 0) << set.err;
  }

  // Renders into a folder of its own; the rendered file is the folder's one file.
  std::unique_ptr<CLayerBitmap> Render(const std::string& folder, const std::string& extension,
                                       const std::string& extra = "") {
    CliRun run = RunCli("render " + Q(project) + " -o " + Q(dir.File(folder + "/r." + extension)) + " --quiet " + extra);
    EXPECT_EQ(run.status, 0) << run.err;
    if (run.status != 0) return nullptr;
    return ReadLayered(RenderedFile(folder));
  }

  std::string RenderedFile(const std::string& folder) {
    return fs::directory_iterator(dir.File(folder))->path().string();
  }

  TempFolder dir;
  std::string project = dir.File("night.fvz");
};

double RedSumAround(const rgbFloatBitmap& colour, int cx, int cy, int half) {
  double sum = 0.0;
  for (int y = cy - half; y <= cy + half; ++y) {
    for (int x = cx - half; x <= cx + half; ++x) sum += colour.GetLine(y)[3 * x];
  }
  return sum;
}

}  // namespace

TEST_F(HdrCli, OpenExrKeepsTheLightsValueWhenSharpAndItsEnergyWhenBlurred) {
  auto result = Render("half", "exr");
  ASSERT_TRUE(result);
  const auto* colour = result->GetLayer<rgbFloatBitmap>();
  ASSERT_TRUE(colour) << "an OpenEXR render of a float frame reads back as float colour";
  EXPECT_EQ(colour->GetLine(kLightY)[3 * kSharpX], kLight);
  // Blurred 20 pixels: the disc lies within 13 pixels of the light.
  const double before = 9 * kLight + (27 * 27 - 9) * kWall;
  EXPECT_NEAR(RedSumAround(*colour, kFarX, kLightY, 13), before, 0.01 * 9 * kLight);
  EXPECT_LT(colour->GetLine(kLightY)[3 * kFarX], kLight / 10);

  auto in = OIIO::ImageInput::open(RenderedFile("half"));
  ASSERT_TRUE(in);
  EXPECT_EQ(in->spec().channelformat(0), OIIO::TypeDesc::HALF);
  ASSERT_TRUE(Render("full", "exr", "--exr-float"));
  auto full = OIIO::ImageInput::open(RenderedFile("full"));
  ASSERT_TRUE(full);
  EXPECT_EQ(full->spec().channelformat(0), OIIO::TypeDesc::FLOAT);
}

TEST_F(HdrCli, AnEightBitOutputShowsABlurredLightAsABrightDisc) {
  auto result = Render("png", "png");
  ASSERT_TRUE(result);
  const rgbBitmap* colour = result->GetLayer<rgbBitmap>();
  ASSERT_TRUE(colour);
  EXPECT_GE(colour->GetLine(kLightY)[3 * (kFarX + 4)], 200);
  EXPECT_EQ(colour->GetLine(kLightY)[3 * kSharpX], 255);
  EXPECT_LT(colour->GetLine(5)[3 * 100], 80) << "the dim wall stays dim";
}

TEST_F(HdrCli, HighlightsAreSetByKeyAndRefusedOutOfRange) {
  ASSERT_EQ(RunCli("set " + Q(project) + " --frame 0 HLGN=8 HLTH=0.8").status, 0);
  CliRun shown = RunCli("show " + Q(project) + " --json");
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("\"HLGN\":8"), std::string::npos) << shown.out;
  CliRun refused = RunCli("set " + Q(project) + " --frame 0 HLGN=-2");
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find("HLGN"), std::string::npos) << refused.err;
}
