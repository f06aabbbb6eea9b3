// fovara-render info on every readable format, and on bad files.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "RunCli.h"
#include "support/RenderedExr.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace

TEST(InfoCli, ReportsFormatSizeLayersAndDepthRangeOfEveryFormat) {
  TempFolder dir;
  PlanesSceneOptions withAlpha;
  withAlpha.withAlpha = true;
  auto scene = MakePlanesScene(40, 30, withAlpha);
  std::string files;
  for (const char* name : {"pic.tga", "pic.png", "pic.tif", "pic.jpg"}) {
    WriteImage(dir.File(name), *scene);
    files += " " + Quote(dir.File(name));
  }
  DepthFileOptions renderer;
  renderer.negativeZ = true;
  renderer.backgroundMarker = 1e30f;
  // The far plane is written as the background marker.
  WriteRlaWithDepth(dir.File("neg.rla"), *MakePlanesScene(40, 30), renderer);
  DepthFileOptions multilayer;
  multilayer.multilayer = true;
  WriteExrWithDepth(dir.File("layers.exr"), *scene, multilayer);
  WriteImage(dir.File("own.qel"), *scene);
  WriteDepthOnly(dir.File("raw.zpic"), *scene->GetLayer<depthBitmap>());
  files += " " + Quote(dir.File("neg.rla")) + " " + Quote(dir.File("layers.exr")) + " " + Quote(dir.File("own.qel")) +
           " " + Quote(dir.File("raw.zpic"));

  CliRun run = RunCli("info --json" + files);
  ASSERT_EQ(run.status, 0) << run.err;
  auto lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 8u);
  const char* formats[] = {"targa", "png", "tiff", "jpeg", "rla", "openexr", "qel", "zpic"};
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i]["format"], formats[i]) << lines[i].dump();
    EXPECT_EQ(lines[i]["width"], 40);
    EXPECT_EQ(lines[i]["height"], 30);
  }
  EXPECT_EQ(lines[0]["layers"], (nlohmann::json{"colour", "alpha"}));
  EXPECT_FALSE(lines[0].contains("depth"));
  EXPECT_EQ(lines[3]["layers"], (nlohmann::json{"colour"}));  // JPEG keeps no alpha

  // Negative Z is turned around; the background marker is reported apart from the objects.
  EXPECT_EQ(lines[4]["layers"], (nlohmann::json{"colour", "depth"}));
  EXPECT_FLOAT_EQ(lines[4]["depth"]["min"].get<float>(), 10.0f);
  EXPECT_FLOAT_EQ(lines[4]["depth"]["max"].get<float>(), 40.0f);
  EXPECT_GE(lines[4]["depth"]["background"].get<float>(), 1e10f);
  EXPECT_GT(lines[4]["depth"]["background_pixels"].get<int>(), 0);

  for (size_t i : {5u, 6u}) {
    EXPECT_EQ(lines[i]["layers"], (nlohmann::json{"colour", "alpha", "depth"})) << i;
    EXPECT_FLOAT_EQ(lines[i]["depth"]["max"].get<float>(), 100.0f) << i;
  }
  EXPECT_EQ(lines[7]["layers"], (nlohmann::json{"depth"}));
  EXPECT_FLOAT_EQ(lines[7]["depth"]["min"].get<float>(), 10.0f);
  EXPECT_FLOAT_EQ(lines[7]["depth"]["background"].get<float>(), 100.0f);
}

TEST(InfoCli, BadFilesAreNamedOnStderrAfterTheOthers) {
  TempFolder dir;
  WriteImage(dir.File("good.png"), *MakePlanesScene(16, 8));
  std::string garbage = dir.Write("garbage.tga", std::string(300, '\x7f'));
  std::string empty = dir.Write("empty.exr", "");
  std::string zpic = dir.Write("huge.zpic", std::string("ZPIC\1\0\0\0\xa0\x86\1\0\xa0\x86\1\0", 16) + "abcd");

  CliRun run = RunCli("info " + Quote(garbage) + " " + Quote(dir.File("good.png")) + " " + Quote(empty) + " " +
                      Quote(zpic) + " " + Quote(dir.File("missing.png")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("good.png: png, 16 x 8"), std::string::npos) << run.out;
  for (const char* name : {"garbage.tga", "empty.exr", "huge.zpic", "missing.png"}) {
    EXPECT_NE(run.err.find(name), std::string::npos) << name << "\n" << run.err;
  }
  // One line per bad file.
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 4) << run.err;
}

// A stereo OpenEXR frame with a data window inside its display window: info says what was read,
// and a project made for the right view keeps it.
TEST(InfoCli, ReportsWindowsViewsAndChannelsAndNewKeepsTheView) {
  TempFolder dir;
  SoftDisc left;
  left.cx = 20;
  left.cy = 15;
  SoftDisc right = left;
  right.cx = 26;
  right.depth = 12.0f;
  std::vector<ExrChannel> channels = left.Channels(true);
  for (auto& ch : right.Channels(true, "right.")) channels.push_back(ch);
  WriteRenderedExr(dir.File("eye0001.exr"), 60, 40, {{"", "", {"left", "right"}, {4, 2, 40, 30}, channels}});

  CliRun run = RunCli("info --json " + Quote(dir.File("eye0001.exr")));
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json info = JsonLines(run.out).at(0);
  EXPECT_EQ(info["display"], nlohmann::json({60, 40}));
  EXPECT_EQ(info["data"], nlohmann::json({4, 2, 40, 30}));
  EXPECT_EQ(info["views"], nlohmann::json({"left", "right"}));
  EXPECT_EQ(info["view"], "left");
  EXPECT_EQ(info["channels"], nlohmann::json({"R", "G", "B", "A", "Z"}));
  EXPECT_EQ(info["depth"]["min"], 9.5);

  run = RunCli("info --json --view right " + Quote(dir.File("eye0001.exr")));
  ASSERT_EQ(run.status, 0) << run.err;
  info = JsonLines(run.out).at(0);
  EXPECT_EQ(info["channels"], nlohmann::json({"right.R", "right.G", "right.B", "right.A", "right.Z"}));
  EXPECT_EQ(info["depth"]["min"], 12.0);

  std::string project = Quote(dir.File("p.fvz"));
  run = RunCli("new " + Quote(dir.File("eye0001.exr")) + " --filter dof --view centre -o " + project);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("views: left, right"), std::string::npos) << run.err;
  run = RunCli("new " + Quote(dir.File("eye0001.exr")) + " --filter dof --view right -o " + project);
  ASSERT_EQ(run.status, 0) << run.err;
  run = RunCli("show --json " + project);
  ASSERT_EQ(run.status, 0) << run.err;
  // The reset settings come from the right view's depth (12, where the left view's is 9.5).
  nlohmann::json shown = nlohmann::json::parse(run.out);
  EXPECT_EQ(shown["keyframes"][0]["settings"]["ZMIN"], 12.0) << run.out;
}
