// A filter registered from the tests, in a build of fovara-render made with it: the command
// line offers it, makes a project of it and renders with its law, and the program's own build
// knows nothing of it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "RunCli.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string WithTestFilter() {
  const char* program = std::getenv("FOVARA_RENDER_TEST_FILTER");
  return program ? program : "fovara-render-test-filter";
}

}  // namespace

TEST(TestFilterCli, TheRegisteredFilterIsOfferedMadeAndRendered) {
  TempFolder dir;
  WriteSequence(dir.Path(), "shot", 1, 1, 4, ".png", ".zpic", 24, 16);
  const std::string project = dir.File("shot.fvz");

  CliRun help = RunProgram(WithTestFilter(), "new --help");
  ASSERT_EQ(help.status, 0) << help.err;
  EXPECT_NE(help.out.find("dof|zhue|fog|zlum|zsat|test-invert"), std::string::npos) << help.out;
  CliRun plain = RunCli("new --help");
  EXPECT_EQ(plain.out.find("test-invert"), std::string::npos);
  CliRun refused = RunCli("new " + Q(dir.File("shot0001.png")) + " --filter test-invert -o " + Q(project));
  EXPECT_NE(refused.status, 0);

  CliRun made = RunProgram(WithTestFilter(), "new " + Q(dir.File("shot0001.png")) + " --filter test-invert -o " + Q(project));
  ASSERT_EQ(made.status, 0) << made.err;
  CliRun shown = RunProgram(WithTestFilter(), "show " + Q(project) + " --json");
  ASSERT_EQ(shown.status, 0) << shown.err;
  auto json = nlohmann::json::parse(shown.out);
  EXPECT_EQ(json["filter"], "FXTI");
  ASSERT_EQ(json["keyframes"].size(), 1u);
  EXPECT_EQ(json["keyframes"][0]["type"], "TINV");
  EXPECT_EQ(json["keyframes"][0]["settings"]["AMNT"], 1.0);

  CliRun rendered = RunProgram(WithTestFilter(), "render " + Q(project) + " -o " + Q(dir.File("out/inv.png")) + " --quiet");
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  auto source = ReadLayered(dir.File("shot0001.png"), kIoOnePicture);
  auto output = ReadLayered(dir.File("out/inv.png"), kIoOnePicture);
  ASSERT_TRUE(source && output);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{12, 8}, std::pair{23, 15}}) {
    const Rgb in = PixelColour(*source, x, y);
    EXPECT_EQ(PixelColour(*output, x, y), (Rgb{uint8_t(255 - in.r), uint8_t(255 - in.g), uint8_t(255 - in.b)}));
  }
}
