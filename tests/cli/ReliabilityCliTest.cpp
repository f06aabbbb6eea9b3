// fovara-render run from other working folders, on mistakes and on unusual names: every
// failure is one line naming the file, and nothing aborts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "RunCli.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string Q(const std::string& s) { return "'" + s + "'"; }

int Lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ReliabilityCli : public ::testing::Test {
 protected:
  std::string Folder(const std::string& name) {
    fs::create_directories(dir.File(name));
    return dir.File(name + "/");
  }
  TempFolder dir;
};

}  // namespace

TEST_F(ReliabilityCli, ProjectsAreMadeOpenedAndRenderedFromAnyWorkingFolder) {
  WriteSequence(Folder("n"), "shot", 101, 3, 4, ".png", ".zpic", 32, 24);
  std::string work = Folder("work");

  CliRun made = RunCliIn(dir.Path(), "new n/shot0101.png --filter zsat -o n/p.fvz");
  ASSERT_EQ(made.status, 0) << made.err;
  CliRun set = RunCliIn(dir.Path(), "set n/p.fvz --frame 2 ZMAX=50");
  ASSERT_EQ(set.status, 0) << set.err;
  CliRun rendered = RunCliIn(work, "render ../n/p.fvz -o out/r.png --quiet");
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  for (const char* name : {"out/r0101.png", "out/r0102.png", "out/r0103.png"}) {
    EXPECT_TRUE(fs::exists(work + name)) << name;
  }
  CliRun inside = RunCliIn(dir.File("n"), "render p.fvz --frames 1-2 -o " + Q(work + "again/r.png") + " --quiet");
  ASSERT_EQ(inside.status, 0) << inside.err;
  EXPECT_TRUE(fs::exists(work + "again/r0103.png"));
  EXPECT_EQ(made.err + set.err + rendered.err + inside.err, "");
}

TEST_F(ReliabilityCli, EachFailureIsOneLineNamingTheFileTheReasonAndWhatToDo) {
  std::string n = Folder("n");
  WriteSequence(n, "shot", 1, 2, 4, ".png", ".zpic", 32, 24);
  fs::rename(n + "shot0001.zpic", n + "kept.zpic");
  CliRun missing = RunCliIn(dir.Path(), "new n/shot0001.png --filter dof -o n/p.fvz");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(Lines(missing.err), 1) << missing.err;
  EXPECT_TRUE(Has(missing.err, "n/shot0001.png")) << missing.err;
  EXPECT_TRUE(Has(missing.err, "--depth FILE")) << missing.err;
  EXPECT_FALSE(Has(missing.err, "Select the")) << missing.err;
  EXPECT_FALSE(fs::exists(n + "p.fvz"));

  // An unreadable depth file given on the command line: the reader's reason follows the
  // translated text.
  dir.Write("n/bad.zpic", "ZPIC\1\0\0\0");
  setenv("LC_ALL", "fr_FR.UTF-8", 1);
  CliRun invalid = RunCliIn(dir.Path(), "new n/shot0001.png --depth n/bad.zpic --filter dof -o n/p.fvz");
  unsetenv("LC_ALL");
  EXPECT_EQ(invalid.status, 1);
  EXPECT_EQ(Lines(invalid.err), 1) << invalid.err;
  EXPECT_TRUE(Has(invalid.err, "bad.zpic")) << invalid.err;
  EXPECT_TRUE(Has(invalid.err, "n'existe pas ou n'est pas valide. bad.zpic: ")) << invalid.err;
  EXPECT_TRUE(Has(invalid.err, "--depth FICHIER")) << invalid.err;

  // A project whose images went away: one line, naming the project and the image.
  fs::rename(n + "kept.zpic", n + "shot0001.zpic");
  ASSERT_EQ(RunCliIn(dir.Path(), "new n/shot0001.png --filter dof -o n/p.fvz").status, 0);
  fs::remove(n + "shot0001.png");
  fs::remove(n + "shot0002.png");
  CliRun gone = RunCliIn(dir.Path(), "render n/p.fvz -o out/r.png --quiet");
  EXPECT_EQ(gone.status, 1);
  EXPECT_EQ(Lines(gone.err), 1) << gone.err;
  EXPECT_TRUE(Has(gone.err, "n/p.fvz")) << gone.err;
  EXPECT_TRUE(Has(gone.err, "shot0001.png")) << gone.err;
}

TEST_F(ReliabilityCli, NumbersOutOfRangeAndNamesThatAreNotUtf8NeverAbort) {
  std::string n = Folder("n");
  WriteSequence(n, "shot", 1, 2, 4, ".png", ".zpic", 32, 24);
  ASSERT_EQ(RunCli("new " + Q(n + "shot0001.png") + " --filter fog -o " + Q(n + "p.fvz")).status, 0);
  for (const char* arguments : {"render P --frames 99999999999", "render P --frames 0-99999999999999999999999",
                                "render P --threads 99999999999", "set P --frame 99999999999 DENS=1",
                                "set P --frame 1 DENS=1e999"}) {
    std::string command = arguments;
    command.replace(command.find('P'), 1, Q(n + "p.fvz"));
    CliRun run = RunCli(command);
    EXPECT_NE(run.status, 0) << arguments;
    EXPECT_NE(run.status, 134) << arguments;
    EXPECT_FALSE(run.err.empty()) << arguments;
  }

  // File names are bytes: a Latin-1 folder name is used as it is.
  std::string latin1 = Folder("caf\xe9");
  WriteSequence(latin1, "shot", 1, 1, 4, ".png", ".zpic", 32, 24);
  CliRun made = RunCli("new " + Q(latin1 + "shot0001.png") + " --filter zhue -o " + Q(latin1 + "p.fvz"));
  ASSERT_EQ(made.status, 0) << made.err;
  // A single image's animation ends at frame 999, as its label in the panel does; a keyframe
  // at the largest int would overflow the frame count.
  CliRun far = RunCli("set " + Q(latin1 + "p.fvz") + " --frame 2147483647 DENS=1");
  EXPECT_EQ(far.status, 1);
  EXPECT_TRUE(Has(far.err, "999")) << far.err;
  CliRun shown = RunCli("show " + Q(latin1 + "p.fvz") + " --json");
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(nlohmann::json::parse(shown.out)["filter"], "FXDH");
  CliRun info = RunCli("info " + Q(latin1 + "shot0001.png") + " --json");
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(nlohmann::json::parse(info.out)["width"], 32);
  CliRun rendered = RunCli("render " + Q(latin1 + "p.fvz") + " -o " + Q(latin1 + "r.png") + " --quiet");
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  EXPECT_TRUE(fs::exists(latin1 + "r.png"));
}
