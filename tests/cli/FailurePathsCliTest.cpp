// fovara-render when something breaks halfway through a render: a frame that can no longer be
// read, a frame that cannot be written. A render farm only sees the exit status and the files,
// so both must tell the truth about every frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "RunCli.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string Q(const std::string& s) { return "'" + s + "'"; }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Files(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FailurePathsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSequence(dir.Path(), "shot", 1, kFrames, 4, ".png", ".zpic", 32, 24);
    project = dir.File("shot.fvz");
    CliRun made = RunCli("new " + Q(dir.File("shot0001.png")) + " --filter zlum -o " + Q(project));
    ASSERT_EQ(made.status, 0) << made.err;
    fs::create_directory(dir.File("out"));
  }

  static constexpr int kFrames = 8;
  TempFolder dir;
  std::string project;
};

}  // namespace

TEST_F(FailurePathsCli, AFrameThatBrokeAfterTheProjectWasMadeFailsTheRunAndOnlyThatFrameIsMissing) {
  dir.Write("shot0003.png", "no longer a picture");
  CliRun run = RunCli("render " + Q(project) + " -o " + Q(dir.File("out/r.png")));

  EXPECT_NE(run.status, 0);
  EXPECT_TRUE(Has(run.err, "shot0003.png")) << run.err;
  EXPECT_TRUE(Has(run.err, "some frames could not be rendered")) << run.err;
  EXPECT_EQ(Files(dir.File("out")), (std::vector<std::string>{"r0001.png", "r0002.png", "r0004.png", "r0005.png",
                                                               "r0006.png", "r0007.png", "r0008.png"}));
  // The count stays the number of frames asked for, though one of them dropped out.
  std::vector<std::string> written;
  for (const std::string& line : LinesOf(run.out)) {
    if (Has(line, " written ")) written.push_back(line);
  }
  ASSERT_EQ(written.size(), 7u) << run.out;
  for (const std::string& line : written) EXPECT_TRUE(Has(line, "/8 ")) << line;
  EXPECT_TRUE(Has(written.back(), "frame 8/8 written")) << written.back();
}

TEST_F(FailurePathsCli, AFrameThatCannotBeWrittenIsNeverReportedWrittenAndFailsTheRun) {
  // Something that is not a file takes the third frame's name.
  fs::create_directory(dir.File("out/r0003.png"));
  CliRun run = RunCli("render " + Q(project) + " -o " + Q(dir.File("out/r.png")));

  EXPECT_NE(run.status, 0);
  EXPECT_TRUE(Has(run.err, "r0003.png")) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_TRUE(Has(run.out, "frame 1/8 written")) << run.out;
  EXPECT_TRUE(Has(run.out, "frame 2/8 written")) << run.out;
  EXPECT_FALSE(Has(run.out, "frame 3/8 written")) << run.out;
  EXPECT_FALSE(Has(run.out, "rendered")) << run.out;  // no summary of a run that failed
  EXPECT_TRUE(fs::is_directory(dir.File("out/r0003.png")));
  EXPECT_FALSE(fs::exists(dir.File("out/r0008.png")));

  // Once the way is clear, a rerun keeps what was written and renders the rest.
  fs::remove(dir.File("out/r0003.png"));
  CliRun again = RunCli("render " + Q(project) + " -o " + Q(dir.File("out/r.png")) + " --skip-existing");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_TRUE(Has(again.out, "frame 1/8 kept")) << again.out;
  EXPECT_TRUE(Has(again.out, "frame 3/8 written")) << again.out;
  EXPECT_EQ(Files(dir.File("out")).size(), 8u);
}
