// fovara-render convert-depth: saves an image's depth as a grey or coloured picture.

#include <algorithm>
#include <cstdio>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/CliCommands.h"
#include "cli/CliProject.h"
#include "cli/ViewCheck.h"
#include "platform/framework/FileHelpers.h"
#include "platform/image/ImageIo.h"
#include "project/DepthFileAssociation.h"
#include "project/FrameAsking.h"
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
  cli.ui.depthType = options.lightNear ? kDepthPictureLightNear : kDepthPictureLightFar;
  cli.ui.subject = options.image;
  ProjectModel& model = cli.model;
  model.Frames().SetImageView(options.view);
  const std::string image = AbsolutePath(options.image);
  if (!AssociateDepthFiles(model, image, "", cli.ui)) return Fail("cannot read the depth of " + options.image);
  const auto frame = ReadFrameTellingUser(model, fileStripPath(image), cli.ui);
  if (!frame) return cli.ui.HasComplained() ? 1 : Fail("cannot read " + options.image);
  const DepthModeChoice mode{options.colour ? 2 : 1, options.linear ? 1 : 0, options.gamma};
  const auto picture = DepthPictureOf(*frame->image->GetLayer<depthBitmap>(), mode);
  const auto& names = model.Frames().GetImageNames();
  const int index = int(std::find(names.begin(), names.end(), fileStripPath(image)) - names.begin());
  const std::string target =
      options.output.empty() ? ProposedDepthPictureName(model, index) : AbsolutePath(options.output);
  C2DIo output(target, kIoSaving);
  if (!output.PrepareSaving(*picture, 1) || !output.Save(*picture, -1)) return Fail(output.GetError());
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
