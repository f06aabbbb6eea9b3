// fovara-render convert-depth: saves an image's depth as a grey or coloured picture.

#include <cstdio>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/CliCommands.h"
#include "cli/CliProject.h"
#include "cli/ViewCheck.h"
#include "platform/framework/FileHelpers.h"
#include "tools/DepthConversion.h"

namespace {

struct ConvertOptions {
  std::string image;
  std::string view;
  std::string output;
  bool colour = false;
  bool grey = false;
  bool linear = false;
  bool exponential = false;
  float gamma = 0.2f;
  bool lightNear = false;
};

int RunConvert(const ConvertOptions& options) {
  if (!fileExists(options.image)) return Fail(options.image + ": no such image file");
  if (std::string missing = MissingViewReason(options.image, options.view); !missing.empty()) return Fail(missing);
  CliProject cli;
  cli.ui.depthType = options.lightNear ? 0 : 1;
  cli.ui.depthMode = {options.colour ? 2 : 1, options.linear ? 1 : 0, options.gamma};
  ProjectData& project = cli.session.Project();
  project.Frames().SetImageView(options.view);
  std::string image = AbsolutePath(options.image);
  if (!project.IdentifyDepthFiles(image)) return Fail("cannot read the depth of " + options.image);
  // The sequence listing loaded its first frame: make the named image the current one.
  const auto& names = project.GetImageNames();
  auto it = std::find(names.begin(), names.end(), fileStripPath(image));
  if (it != names.end() && it != names.begin()) {
    int index = int(it - names.begin());
    if (!project.LoadFrameAt(index)) return Fail("cannot read " + options.image);
    project.GetTrack().ResetCurrentFrame(index);
  }
  std::string target = options.output.empty() ? ProposedDepthPictureName(project) : AbsolutePath(options.output);
  cli.ui.fileToSave = target;
  // A failed save was reported already; a cancelled one was not.
  if (!ConvertZBuffer(project)) return cli.ui.HasComplained() ? 1 : Fail("cannot write " + target);
  std::printf("%s\n", target.c_str());
  return 0;
}

}  // namespace

void AddConvertDepthCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* cmd = app.add_subcommand("convert-depth", "Save an image's depth as a grey or coloured picture");
  cmd->add_option("image", options->image, "The image whose depth is converted")->required();
  cmd->add_option("--view", options->view, "View of a stereo image to take (default: its default view)");
  cmd->add_option("-o,--output", options->output, "Picture to write (default: IMAGE's name with .z.tga)");
  auto* grey = cmd->add_flag("--grey", options->grey, "Grey picture (the default)");
  cmd->add_flag("--colour,--color", options->colour, "Coloured picture")->excludes(grey);
  auto* linear = cmd->add_flag("--linear", options->linear, "Linear distribution of the levels");
  cmd->add_flag("--exponential", options->exponential, "Exponential distribution (the default)")->excludes(linear);
  cmd->add_option("--gamma", options->gamma, "Shape of the exponential curve, 0.01 to 1 (default 0.2)")
      ->check(CLI::Range(0.01f, 1.0f));
  cmd->add_flag("--light-near", options->lightNear, "The image's depth picture has light areas near");
  cmd->callback([options, &action] { action = [options] { return RunConvert(*options); }; });
}
