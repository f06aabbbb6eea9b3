// A project made, edited and rendered with fovara-render, as a user would.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "RunCli.h"
#include "filters/zone/ZSaturationPixels.h"
#include "platform/framework/Colour.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

double Saturation(Rgb c) {
  double h, s, l;
  ConvertRGBToHSL(c.r / 255.0, c.g / 255.0, c.b / 255.0, h, s, l);
  return s;
}

class ProjectCli : public ::testing::Test {
 protected:
  void SetUp() override {
    names = WriteSequence(dir.Path(), "shot", 101, 5, 4, ".png", ".zpic", 48, 32);
    project = dir.File("shot.fvz");
  }
  TempFolder dir;
  std::vector<std::string> names;
  std::string project;
};

}  // namespace

TEST_F(ProjectCli, NewShowSetRenderFollowTheKeyframes) {
  CliRun made = RunCli("new " + Q(dir.File("shot0103.png")) + " --filter zsat -o " + Q(project));
  ASSERT_EQ(made.status, 0) << made.err;

  CliRun shown = RunCli("show " + Q(project) + " --json");
  ASSERT_EQ(shown.status, 0) << shown.err;
  auto json = nlohmann::json::parse(shown.out);
  EXPECT_EQ(json["filter"], "FXDS");
  EXPECT_EQ(json["mode"], 2);
  EXPECT_EQ(json["images"].size(), 5u);
  EXPECT_EQ(json["depth_extension"], ".zpic");
  ASSERT_EQ(json["keyframes"].size(), 1u);
  EXPECT_EQ(json["keyframes"][0]["type"], "ZSAT");
  EXPECT_TRUE(json["keyframes"][0]["settings"].contains("ZMIN"));
  EXPECT_EQ(json["options"]["INVE"], 0);

  // Frame 0: a zone holding every depth (colours kept). Frame 4: the zone starts at 150 with
  // the foreground point at 20, so the mid plane (depth 40 + frame) lies on the front ramp.
  ASSERT_EQ(RunCli("set " + Q(project) + " --frame 0 ZMIN=1 ZMAX=1000 SMIN=0 SMAX=2000").status, 0);
  CliRun second = RunCli("set " + Q(project) + " --frame 4 ZMIN=150 SMIN=20");
  ASSERT_EQ(second.status, 0) << second.err;
  json = nlohmann::json::parse(RunCli("show " + Q(project) + " --json").out);
  ASSERT_EQ(json["keyframes"].size(), 2u);
  EXPECT_EQ(json["keyframes"][1]["frame"], 4);
  EXPECT_FLOAT_EQ(json["keyframes"][1]["settings"]["ZMIN"].get<float>(), 150.0f);
  EXPECT_FLOAT_EQ(json["keyframes"][1]["settings"]["ZMAX"].get<float>(), 1000.0f);  // from frame 4's start

  CliRun rendered = RunCli("render " + Q(project) + " --frames all -o " + Q(dir.File("out/final.png")) + " --quiet");
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  // One file per frame, numbered like the source images.
  for (int number = 101; number <= 105; ++number) {
    EXPECT_TRUE(fs::exists(dir.File("out/final0" + std::to_string(number) + ".png"))) << number;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("out")), {}), 5);

  // The first frame keeps its colours; later frames lose saturation as the interpolated
  // ramp says: at frame 2 the zone starts at 75.5 and the point is at 10, so the mid plane
  // (depth 42) keeps (42 - 10) / 65.5 of its saturation; at frame 4, (44 - 20) / 130.
  ScenePoint mid = PlanesScenePoint(48, 32, ScenePart::Mid);
  auto saturationAt = [&](const std::string& file) { return Saturation(PixelColour(*ReadLayered(file), mid.x, mid.y)); };
  EXPECT_EQ(PixelColour(*ReadLayered(dir.File("out/final0101.png")), mid.x, mid.y),
            PixelColour(*ReadLayered(dir.File("shot0101.png")), mid.x, mid.y));
  double s2 = saturationAt(dir.File("out/final0103.png")) / saturationAt(dir.File("shot0103.png"));
  double s4 = saturationAt(dir.File("out/final0105.png")) / saturationAt(dir.File("shot0105.png"));
  EXPECT_NEAR(s2, 32.0 / 65.5, 0.03);
  EXPECT_NEAR(s4, 24.0 / 130.0, 0.03);

  // A rerun that keeps existing frames renders nothing and leaves them as they were.
  auto before = Bytes(dir.File("out/final0103.png"));
  CliRun again = RunCli("render " + Q(project) + " --frames all -o " + Q(dir.File("out/final.png")) + " --skip-existing");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("0 frame(s) rendered, 5 kept"), std::string::npos) << again.out;
  EXPECT_EQ(Bytes(dir.File("out/final0103.png")), before);

  // A chunk of the range, as a render farm would ask for it.
  CliRun chunk = RunCli("render " + Q(project) + " --frames 3-2 -o " + Q(dir.File("chunk/c.tga")) + " --quiet --threads 1");
  ASSERT_EQ(chunk.status, 0) << chunk.err;
  EXPECT_TRUE(fs::exists(dir.File("chunk/c0103.tga")));
  EXPECT_TRUE(fs::exists(dir.File("chunk/c0104.tga")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("chunk")), {}), 2);
}

TEST_F(ProjectCli, MistakesAreOneLineAndLeaveFilesAsTheyWere) {
  ASSERT_EQ(RunCli("new " + Q(dir.File("shot0101.png")) + " --filter fog -o " + Q(project)).status, 0);
  auto before = Bytes(project);

  struct Case {
    std::string arguments;
    std::string says;
  };
  const Case cases[] = {
      {"set " + Q(project) + " --frame 1 NOPE=1", "unknown key 'NOPE'"},
      {"set " + Q(project) + " --frame 1 DENS=thick", "bad value 'thick' for DENS"},
      {"set " + Q(project) + " --frame 9 DENS=1", "beyond the sequence"},
      {"set " + Q(project) + " DENS=1", "--frame"},
      {"set " + Q(project) + " --option WHAT=1", "unknown key 'WHAT'"},
      {"set " + Q(dir.File("absent.fvz")) + " --frame 1 DENS=1", "no such project file"},
      {"render " + Q(project) + " --frames 2-99", "beyond the last frame"},
      {"render " + Q(project) + " --frames soon", "--frames"},
      {"new " + Q(dir.File("shot0101.png")) + " --filter sharpen -o " + Q(project), "unknown filter"},
      {"new " + Q(dir.File("nothing.png")) + " --filter zsat -o " + Q(project), "no such image file"},
      {"convert-depth " + Q(dir.File("shot0101.png")) + " -o /nonexistent/z.tga", "/nonexistent"},
  };
  for (const Case& c : cases) {
    CliRun run = RunCli(c.arguments);
    EXPECT_NE(run.status, 0) << c.arguments;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.arguments << "\n" << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.arguments << "\n" << run.err;
  }
  EXPECT_EQ(Bytes(project), before);

  // An unreadable project is refused by every command that reads it.
  std::string junk = dir.Write("junk.fvz", "this is not a project");
  for (const char* command : {"show ", "render ", "set "}) {
    CliRun run = RunCli(std::string(command) + Q(junk) + (std::string(command) == "set " ? " --frame 0 DENS=1" : ""));
    EXPECT_NE(run.status, 0) << command;
    EXPECT_NE(run.err.find("junk.fvz"), std::string::npos) << command << run.err;
  }
  const std::string junkText = "this is not a project";
  EXPECT_EQ(Bytes(junk), std::vector<uint8_t>(junkText.begin(), junkText.end()));
}

TEST_F(ProjectCli, ConvertDepthWritesAPictureBesideTheImage) {
  CliRun run = RunCli("convert-depth " + Q(dir.File("shot0102.png")));
  ASSERT_EQ(run.status, 0) << run.err;
  std::string picture = dir.File("shot0102.z.tga");
  ASSERT_TRUE(fs::exists(picture));
  auto grey = ReadLayered(picture, kIoOnePicture);
  ASSERT_TRUE(grey);
  const Bitmap* layer = grey->GetStandardLayer();
  ASSERT_EQ(layer->GetType(), kGreyBitmap);
  // Near is light.
  ScenePoint nearPoint = PlanesScenePoint(48, 32, ScenePart::Near);
  ScenePoint farPoint = PlanesScenePoint(48, 32, ScenePart::Far);
  EXPECT_GT(layer->GetLineBytes(nearPoint.y)[nearPoint.x], layer->GetLineBytes(farPoint.y)[farPoint.x]);

  CliRun colour = RunCli("convert-depth " + Q(dir.File("shot0102.png")) + " --colour --linear -o " + Q(dir.File("c.png")));
  ASSERT_EQ(colour.status, 0) << colour.err;
  auto coloured = ReadLayered(dir.File("c.png"), kIoOnePicture);
  ASSERT_TRUE(coloured && coloured->GetLayerByType(kRgbBitmap));
}
