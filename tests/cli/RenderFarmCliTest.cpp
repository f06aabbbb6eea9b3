// A sequence split into chunks rendered by concurrent fovara-render processes, as a render
// farm runs it: the frames are those of one process, and a chunk killed halfway and run again
// renders only what it had not finished.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RunCli.h"
#include "support/ImageCompare.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 12;

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string Renderer() {
  const char* program = std::getenv("FOVARA_RENDER");
  return program ? program : "fovara-render";
}

// The frame files of a folder, by name; hidden temporary files are not frames.
std::map<std::string, struct stat> FrameFiles(const std::string& folder) {
  std::map<std::string, struct stat> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.front() == '.') continue;
    struct stat info {};
    ::stat(entry.path().c_str(), &info);
    files[name] = info;
  }
  return files;
}

// Starts fovara-render with its standard output on a pipe; the process id and the pipe.
pid_t StartRender(const std::vector<std::string>& arguments, FILE*& output) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> all = {Renderer()};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  output = ::fdopen(fds[0], "r");
  return pid;
}

class RenderFarmCli : public ::testing::Test {
 protected:
  void SetUp() override {
    SequenceOptions options;
    options.depthStep = 3.0f;
    WriteSequence(dir.Path(), "shot", 1, kFrames, 4, ".png", ".exr", 360, 240, options);
    project = dir.File("shot.fvz");
    ASSERT_EQ(RunCli("new " + Q(dir.File("shot0001.png")) + " --filter dof -o " + Q(project)).status, 0);
    ASSERT_EQ(RunCli("set " + Q(project) + " --frame 0 DMIN=8 DMAX=12 ZMIN=5 ZMAX=120 NERB=12 FARB=20").status, 0);
    ASSERT_EQ(RunCli("set " + Q(project) + " --frame 11 DMIN=40 DMAX=60 NERB=20 FARB=8").status, 0);
    // Compressed harder than the chunks' files: the pixels must not differ for it.
    CliRun one = RunCli("render " + Q(project) + " --frames all -o " + Q(dir.File("one/f.png")) +
                        " --compression small --quiet");
    ASSERT_EQ(one.status, 0) << one.err;
  }

  // Every frame of the folder decodes to the pixels of the one-process render.
  void ExpectFramesOfOneProcess(const std::string& folder) {
    auto files = FrameFiles(folder);
    ASSERT_EQ(files.size(), size_t(kFrames));
    for (const auto& [name, info] : files) {
      auto expected = ReadLayered(dir.File("one/" + name));
      auto actual = ReadLayered(folder + name);
      ASSERT_NE(expected, nullptr) << name;
      ASSERT_NE(actual, nullptr) << name;
      EXPECT_EQ(MaxByteDifference(*expected->GetLayerByType(kRgbBitmap), *actual->GetLayerByType(kRgbBitmap)), 0)
          << name;
    }
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), kFrames);
  }

  TempFolder dir;
  std::string project;
};

}  // namespace

TEST_F(RenderFarmCli, FourConcurrentChunksGiveTheFramesOfOneProcess) {
  fs::create_directory(dir.File("four"));
  std::string command = "parallel --will-cite -j4 --halt now,fail=1 " + Q(Renderer()) + " render " + Q(project) +
                        " --frames {} -o " + Q(dir.File("four/f.png")) +
                        " --skip-existing --quiet ::: 0-2 3-5 6-8 9-11 2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  ExpectFramesOfOneProcess(dir.File("four/"));
}

TEST_F(RenderFarmCli, AKilledChunkRunAgainRendersOnlyWhatItHadNotFinished) {
  fs::create_directory(dir.File("chunk"));
  FILE* output = nullptr;
  pid_t pid = StartRender({"render", project, "--frames", "0-11", "-o", dir.File("chunk/f.png")}, output);
  ASSERT_GT(pid, 0);
  ASSERT_NE(output, nullptr);
  // Killed without warning, as a farm node that fails, once two frames are written.
  char line[4096];
  int written = 0;
  while (written < 2 && std::fgets(line, sizeof line, output)) {
    if (std::string(line).find(" written ") != std::string::npos) ++written;
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::fclose(output);
  ASSERT_EQ(written, 2);

  auto finished = FrameFiles(dir.File("chunk"));
  ASSERT_GE(finished.size(), 2u);
  ASSERT_LT(finished.size(), size_t(kFrames)) << "the chunk ended before it was killed";
  for (const auto& [name, info] : finished) EXPECT_NE(ReadLayered(dir.File("chunk/" + name)), nullptr) << name;

  CliRun again = RunCli("render " + Q(project) + " --frames 0-11 -o " + Q(dir.File("chunk/f.png")) + " --skip-existing");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find(std::to_string(kFrames - finished.size()) + " frame(s) rendered, " +
                           std::to_string(finished.size()) + " kept"),
            std::string::npos)
      << again.out;
  // The finished frames are the very files written before: not rewritten, not replaced.
  auto now = FrameFiles(dir.File("chunk"));
  for (const auto& [name, info] : finished) {
    EXPECT_EQ(now[name].st_ino, info.st_ino) << name;
    EXPECT_EQ(now[name].st_mtim.tv_nsec, info.st_mtim.tv_nsec) << name;
    EXPECT_EQ(now[name].st_mtim.tv_sec, info.st_mtim.tv_sec) << name;
  }
  // The killed process may leave its temporary file: it never takes a frame's name.
  for (const auto& entry : fs::directory_iterator(dir.File("chunk"))) {
    if (entry.path().filename().string().front() == '.') fs::remove(entry.path());
  }
  ExpectFramesOfOneProcess(dir.File("chunk/"));
}
