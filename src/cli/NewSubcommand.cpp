// fovara-render new: a project from an image, as the New project command makes it.

#include <filesystem>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/CliCommands.h"
#include "cli/CliProject.h"
#include "cli/ViewCheck.h"
#include "filters/FilterRegistry.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/StringTable.h"
#include "platform/image/ImageIo.h"
#include "project/NewProject.h"

namespace {

struct NewOptions {
  std::string image;
  std::string filter;
  std::string output;
  std::string depth;
  std::string view;
  bool lightNear = false;
  bool lightFar = false;
};

int RunNew(const NewOptions& options) {
  auto filterId = FilterIdFromName(options.filter);
  if (!filterId) return Fail("unknown filter '" + options.filter + "' (use " + FilterNames() + ")");
  if (!fileExists(options.image)) return Fail(options.image + ": no such image file");
  if (!options.depth.empty() && !fileExists(options.depth)) return Fail(options.depth + ": no such depth file");
  if (std::string missing = MissingViewReason(options.image, options.view); !missing.empty()) return Fail(missing);

  CliProject cli;
  cli.ui.depthType = options.lightNear ? kDepthPictureLightNear : kDepthPictureLightFar;
  cli.ui.subject = options.image;
  cli.ui.depthHint = cli.ui.Text(kGiveDepthFileDepth);
  std::string depth = options.depth.empty() ? "" : AbsolutePath(options.depth);
  cli.model.Frames().SetImageView(options.view);
  if (!StartProject(cli.model, AbsolutePath(options.image), depth, *filterId, cli.ui)) {
    if (cli.ui.HasComplained()) return 1;  // the reason was given, naming the image
    return Fail("cannot make a project from " + options.image);
  }
  cli.ui.Flush();
  if (!cli.Save(options.output)) return 1;
  const FilterEntry* filter = FindFilter(*filterId);
  std::printf("%s: %s, %d frame(s), depth files %s*%s\n", options.output.c_str(),
              LoadString(cli.ui.GetLanguage(), filter->description.nameStringId).c_str(), cli.model.GetImageCount(),
              cli.model.ResolveDepthFolder().c_str(), cli.model.Frames().GetDepthExtension().c_str());
  return 0;
}

}  // namespace

void AddNewCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<NewOptions>();
  CLI::App* cmd = app.add_subcommand("new", "Make a project from an image or the first image of a sequence");
  cmd->add_option("image", options->image, "The image (any frame of a numbered sequence)")->required();
  cmd->add_option("--filter", options->filter, "Filter: " + FilterNames())->required();
  cmd->add_option("-o,--output", options->output, "Project file to write (.fvz)")->required();
  cmd->add_option("--depth", options->depth, "Depth file of the image, when it is not found by its name");
  cmd->add_option("--view", options->view, "View of stereo images to take (default: each file's default view)");
  auto* nearFlag = cmd->add_flag("--light-near", options->lightNear, "Depth pictures: light areas are near");
  cmd->add_flag("--light-far", options->lightFar, "Depth pictures: light areas are far (the default)")->excludes(nearFlag);
  cmd->callback([options, &action] { action = [options] { return RunNew(*options); }; });
}
