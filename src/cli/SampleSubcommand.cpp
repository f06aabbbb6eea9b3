// fovara-render sample: writes the bundled sample scene.

#include <cstdio>
#include <filesystem>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/CliCommands.h"
#include "cli/CliProject.h"
#include "cli/SampleScene.h"
#include "platform/framework/FileHelpers.h"

namespace {

struct SampleOptions {
  std::string folder;
  SampleSceneOptions scene;
};

int RunSample(const SampleOptions& options) {
  std::error_code ec;
  std::filesystem::create_directories(options.folder, ec);
  if (ec) return Fail("cannot create " + options.folder + ": " + ec.message());
  std::string error;
  auto names = WriteSampleScene(WithTrailingSeparator(AbsolutePath(options.folder)), options.scene, error);
  if (names.empty()) return Fail(error);
  std::printf("%zu frames written to %s (%s ... %s, with .zpic depth files)\n", names.size(), options.folder.c_str(),
              names.front().c_str(), names.back().c_str());
  return 0;
}

}  // namespace

void AddSampleCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<SampleOptions>();
  CLI::App* cmd = app.add_subcommand("sample", "Write the sample scene: a numbered sequence with depth files");
  cmd->add_option("folder", options->folder, "Folder to write into")->required();
  cmd->add_option("--width", options->scene.width, "Width in pixels")->check(CLI::Range(16, 8192));
  cmd->add_option("--height", options->scene.height, "Height in pixels")->check(CLI::Range(16, 8192));
  cmd->add_option("--frames", options->scene.frames, "Number of frames")->check(CLI::Range(1, 1000));
  cmd->callback([options, &action] { action = [options] { return RunSample(*options); }; });
}
