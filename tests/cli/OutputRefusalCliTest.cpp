// fovara-render never writes frames over the files a project reads: told to, it fails in one
// line and leaves every file as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "RunCli.h"
#include "support/FileChecks.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

int Lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

int FilesIn(const std::string& folder) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder)) count += entry.is_regular_file();
  return count;
}

}  // namespace

TEST(OutputRefusalCli, FramesOverTheSourcesOrTheirDepthFilesAreRefused) {
  TempFolder dir;
  WriteSequence(dir.Path(), "scene", 1, 3, 4, ".png", ".exr", 32, 24);
  CliRun made = RunCliIn(dir.Path(), "new scene0001.png --filter dof -o p.fvz");
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string image = ReadFileBytes(dir.File("scene0002.png"));
  const std::string depth = ReadFileBytes(dir.File("scene0002.exr"));
  const int files = FilesIn(dir.Path());

  for (const char* output : {"scene.png", "./scene.png", "scene.exr"}) {
    CliRun refused = RunCliIn(dir.Path(), std::string("render p.fvz --quiet -o ") + output);
    EXPECT_NE(refused.status, 0) << output;
    EXPECT_EQ(Lines(refused.err), 1) << refused.err;
    EXPECT_NE(refused.err.find("scene0001."), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");
  }
  EXPECT_EQ(ReadFileBytes(dir.File("scene0002.png")), image);
  EXPECT_EQ(ReadFileBytes(dir.File("scene0002.exr")), depth);
  EXPECT_EQ(FilesIn(dir.Path()), files);  // not even a temporary file left

  CliRun elsewhere = RunCliIn(dir.Path(), "render p.fvz --quiet -o graded.png");
  EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
  EXPECT_TRUE(fs::exists(dir.File("graded0003.png")));
}
