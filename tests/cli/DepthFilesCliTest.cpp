// Depth files as renderers and users name and store them, and the values a user types: what
// fovara-render takes, and what it refuses in one line.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "RunCli.h"
#include "support/FileChecks.h"
#include "support/RenderedExr.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string Q(const std::string& s) { return "'" + s + "'"; }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int Lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

class DepthFilesCli : public ::testing::Test {
 protected:
  // An image without a frame number and its depth, as the program reads it.
  void SetUp() override {
    scene = MakePlanesScene(40, 30);
    WriteImage(dir.File("ball.png"), *scene);
  }

  const depthBitmap& Depth() const { return *scene->GetLayer<depthBitmap>(); }

  // A project of the image with the given depth file; the keyframe's settings and the render.
  struct Made {
    nlohmann::json settings;
    std::string render;
  };
  Made MakeAndRender(const std::string& depthFile, const std::string& name) {
    const std::string project = dir.File(name + ".fvz");
    CliRun made = RunCli("new " + Q(dir.File("ball.png")) + " --depth " + Q(depthFile) + " --filter dof -o " +
                         Q(project));
    EXPECT_EQ(made.status, 0) << made.err;
    CliRun shown = RunCli("show --json " + Q(project));
    EXPECT_EQ(shown.status, 0) << shown.err;
    CliRun rendered = RunCli("render " + Q(project) + " -o " + Q(dir.File(name + "-out.png")) + " --quiet");
    EXPECT_EQ(rendered.status, 0) << rendered.err;
    return {nlohmann::json::parse(shown.out)["keyframes"][0]["settings"], ReadFileBytes(dir.File(name + "-out.png"))};
  }

  TempFolder dir;
  std::unique_ptr<CLayerBitmap> scene;
};

}  // namespace

TEST_F(DepthFilesCli, AFloatDepthPassInRedGreenBlueIsTheSameDepthAsAZChannel) {
  auto depthAt = [this](int x, int y) { return Depth().GetPixelDepth(x, y); };
  WriteRenderedExr(dir.File("pass.exr"), 40, 30,
                   {{"", "", {}, {0, 0, 40, 30}, {{"R", false, depthAt}, {"G", false, depthAt}, {"B", false, depthAt}}}});
  WriteRenderedExr(dir.File("zed.exr"), 40, 30, {{"", "", {}, {0, 0, 40, 30}, {{"Z", false, depthAt}}}});

  Made fromPass = MakeAndRender(dir.File("pass.exr"), "pass");
  Made fromZ = MakeAndRender(dir.File("zed.exr"), "zed");
  EXPECT_EQ(fromPass.settings, fromZ.settings);
  EXPECT_FALSE(fromPass.render.empty());
  EXPECT_EQ(fromPass.render, fromZ.render);
}

TEST_F(DepthFilesCli, TheDepthFileOfAnUnnumberedImageMayCarryDigits) {
  WriteDepthOnly(dir.File("ball_depth_2.zpic"), Depth());
  WriteDepthOnly(dir.File("constz.zpic"), Depth());
  Made digits = MakeAndRender(dir.File("ball_depth_2.zpic"), "digits");
  Made plain = MakeAndRender(dir.File("constz.zpic"), "plain");
  EXPECT_EQ(digits.settings, plain.settings);
  EXPECT_EQ(digits.render, plain.render);
}

TEST_F(DepthFilesCli, SettingsThePanelsWouldRefuseAreRefusedAndNothingIsSaved) {
  WriteDepthOnly(dir.File("ball.zpic"), Depth());
  const std::string dof = dir.File("dof.fvz"), zone = dir.File("zone.fvz"), fog = dir.File("fog.fvz");
  for (auto [project, filter] : {std::pair{dof, "dof"}, std::pair{zone, "zsat"}, std::pair{fog, "fog"}}) {
    ASSERT_EQ(RunCli("new " + Q(dir.File("ball.png")) + " --filter " + filter + " -o " + Q(project)).status, 0);
  }
  struct Case {
    std::string project, assignments, says;
  };
  const Case cases[] = {
      {dof, "NERB=100000", "NERB must be 1 to 50"},
      {dof, "FARB=-5", "FARB must be 1 to 50"},
      {dof, "FARB=0", "FARB must be 1 to 50"},
      {dof, "DMIN=11 DMAX=10", "the field is reversed"},
      {dof, "ZMAX=inf", "bad value"},
      {zone, "ZMIN=60 ZMAX=20", "the zone is reversed"},
      {fog, "NEAR=1.5", "NEAR must be 0 to 1"},
      {fog, "DENS=0", "DENS must be"},
  };
  for (const Case& c : cases) {
    const std::string before = ReadFileBytes(c.project);
    CliRun run = RunCli("set " + Q(c.project) + " --frame 0 " + c.assignments);
    EXPECT_NE(run.status, 0) << c.assignments;
    EXPECT_TRUE(Has(run.err, c.says)) << c.assignments << ": " << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_EQ(ReadFileBytes(c.project), before) << c.assignments;
  }
  // The ends of the ranges are the panels' own values.
  CliRun ends = RunCli("set " + Q(dof) + " --frame 0 NERB=1 FARB=50 DMIN=10 DMAX=10");
  EXPECT_EQ(ends.status, 0) << ends.err;
}

TEST_F(DepthFilesCli, AViewTheFileDoesNotHaveIsRefusedByEveryCommand) {
  SoftDisc left;
  left.cx = 20;
  left.cy = 15;
  left.depthPerPixel = 0.1f;
  SoftDisc right = left;
  right.depthPerPixel = -0.1f;  // the other way round: the depth pictures differ
  std::vector<ExrChannel> channels = left.Channels(false);
  for (auto& ch : right.Channels(false, "right.")) channels.push_back(ch);
  WriteRenderedExr(dir.File("eye.exr"), 40, 30, {{"", "", {"left", "right"}, {0, 0, 40, 30}, channels}});

  for (const std::string command : {"info ", "convert-depth "}) {
    CliRun run = RunCli(command + "--view centre " + Q(dir.File("eye.exr")));
    EXPECT_NE(run.status, 0) << command;
    EXPECT_TRUE(Has(run.err, "has no view 'centre' (views: left, right)")) << command << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
  }
  CliRun plain = RunCli("info --view right " + Q(dir.File("ball.png")));
  EXPECT_NE(plain.status, 0);
  EXPECT_TRUE(Has(plain.err, "it is not a stereo image")) << plain.err;

  // The view asked for is the one converted.
  CliRun leftPicture = RunCli("convert-depth --linear " + Q(dir.File("eye.exr")) + " -o " + Q(dir.File("l.tga")));
  CliRun rightPicture =
      RunCli("convert-depth --linear --view right " + Q(dir.File("eye.exr")) + " -o " + Q(dir.File("r.tga")));
  ASSERT_EQ(leftPicture.status, 0) << leftPicture.err;
  ASSERT_EQ(rightPicture.status, 0) << rightPicture.err;
  EXPECT_NE(ReadFileBytes(dir.File("l.tga")), ReadFileBytes(dir.File("r.tga")));
}
