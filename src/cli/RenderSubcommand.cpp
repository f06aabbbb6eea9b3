// fovara-render render: renders a range of a project's frames to numbered image files.

#include <charconv>
#include <cstdio>
#include <limits>
#include <filesystem>
#include <memory>
#include <regex>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/CliCommands.h"
#include "cli/CliProject.h"
#include "cli/RenderFarmHelp.h"
#include "filters/FilterRegistry.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/Progress.h"
#include "platform/image/ImageIo.h"
#include "project/RenderOutputName.h"
#include "project/RenderOutputCheck.h"
#include "filters/RenderRun.h"

namespace {

struct RenderOptions {
  std::string project;
  std::string frames = "all";
  std::string output;
  std::string format;
  bool skipExisting = false;
  std::string compression = "fast";
  bool exrFloat = false;
  int threads = 0;
  bool quiet = false;
};

// The digits of a frame number; LLONG_MAX for a number that does not even fit that.
long long FrameNumber(const std::string& digits) {
  long long value = 0;
  auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return status == std::errc() ? value : std::numeric_limits<long long>::max();
}

// "all", "current" or "A-B" (frames counted from 0, in any order) within 0..lastFrame.
bool ParseFrames(const std::string& text, const ProjectModel& project, FrameRange& range, std::string& error) {
  int lastFrame = std::max(0, project.GetLastFrame());
  std::smatch m;
  if (text == "all") {
    range = {0, lastFrame};
  } else if (text == "current") {
    int current = std::clamp(project.Track().GetCurrentFrame(), 0, lastFrame);
    range = {current, current};
  } else if (std::regex_match(text, m, std::regex(R"((\d+)(?:-(\d+))?)"))) {
    // Numbers too large for a frame are beyond the last frame as well.
    long long a = FrameNumber(m[1]);
    long long b = m[2].matched ? FrameNumber(m[2]) : a;
    if (std::max(a, b) > lastFrame) {
      error = fmt::format("frames {} are beyond the last frame {}", text, lastFrame);
      return false;
    }
    range = {int(std::min(a, b)), int(std::max(a, b))};
  } else {
    error = "--frames takes all, current or A-B, not '" + text + "'";
    return false;
  }
  return true;
}

// The output file name (base, and the extension that names the format).
std::string OutputName(const RenderOptions& options, const ProjectModel& project) {
  return RenderOutputName(options.output.empty() ? std::string() : AbsolutePath(options.output), options.format, project);
}

int RunRender(const RenderOptions& options) {
  CliProject cli;
  cli.ui.quiet = options.quiet;
  cli.ui.subject = options.project;
  if (!cli.Open(options.project)) return 1;
  const ProjectModel& project = cli.model;

  FrameRange range;
  std::string error;
  if (!ParseFrames(options.frames, project, range, error)) return Fail(error);

  std::string outputName = OutputName(options, project);
  C2DIo output(outputName, kIoSaving);
  output.SetNumberWidth(project.GetOutputNumberWidth());
  // Checked before anything is made or written: frames must not replace the project's sources.
  if (auto clash = FindInputOverwrite(project, output, range.first, range.last)) {
    return Fail(DescribeClash(cli.ui.GetLanguage(), *clash));
  }
  std::error_code ec;
  std::filesystem::create_directories(CFileInfo(outputName).GetPath(), ec);
  output.SetCompression(options.compression == "small"  ? ImageCompression::Small
                        : options.compression == "none" ? ImageCompression::None
                                                        : ImageCompression::Fast);
  output.SetFullFloat(options.exrFloat);
  // The first frame tells what the files will hold (alpha, float colour).
  std::shared_ptr<const Frame> first = cli.ReadFrameOf(range.first);
  if (!first) return 1;
  if (!output.PrepareSaving(*first->image, range.last - range.first + 1)) return Fail(output.GetError());
  if (!output.GetWarning().empty() && !options.quiet) std::fprintf(stderr, "fovara-render: %s\n", output.GetWarning().c_str());

  RenderJob job;
  job.first = range.first;
  job.last = range.last;
  job.output = &output;
  job.skipExisting = options.skipExisting;
  job.language = cli.ui.GetLanguage();
  job.firstRead = std::move(first);
  job.onFrameDone = [&](int index, int count, const std::string& file, bool skipped) {
    cli.ui.Flush();
    if (!options.quiet) std::printf("frame %d/%d %s %s\n", index, count, skipped ? "kept" : "written", file.c_str());
    std::fflush(stdout);
  };
  const FilterEntry* filter = FindFilter(project.GetFilterId());
  UserInterfaceProgress progress(cli.ui, LoadString(cli.ui.GetLanguage(), filter->description.nameStringId));
  UserInterfaceMessages messages(cli.ui);
  RenderContext context{progress, options.threads, &messages};
  RenderOutcome outcome = RunRenderJob(project, std::move(job), context);
  cli.ui.Flush();
  if (!outcome.saveError.empty()) return Fail(outcome.saveError);
  if (outcome.cancelled) return Fail("rendering stopped before the last frame");
  if (outcome.failed > 0 || cli.ui.HasComplained()) {
    cli.ui.Flush();
    return Fail("some frames could not be rendered");
  }
  if (!options.quiet) std::printf("%d frame(s) rendered, %d kept\n", outcome.rendered, outcome.skipped);
  return 0;
}

}  // namespace

void AddRenderCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<RenderOptions>();
  CLI::App* cmd = app.add_subcommand("render", "Render a project's frames to numbered image files");
  cmd->add_option("project", options->project, "Project file (.fvz)")->required();
  cmd->add_option("--frames", options->frames, "all (default), current, or A-B (frames from 0)");
  cmd->add_option("-o,--output", options->output, "Output base name (default: the project's output name)");
  cmd->add_option("--format", options->format, "tga, png, tif, exr or jpg (default: the output name's, else the images')")
      ->check(CLI::IsMember({"tga", "png", "tif", "tiff", "exr", "jpg", "jpeg", "bmp"}));
  cmd->add_flag("--skip-existing", options->skipExisting, "Leave frames whose file already exists");
  cmd->add_option("--compression", options->compression, "fast (default), small or none: PNG, EXR, TIFF and TGA size")
      ->check(CLI::IsMember({"fast", "small", "none"}));
  cmd->add_flag("--exr-float", options->exrFloat,
                "OpenEXR output keeps float colour as 32-bit floats (default: half floats)");
  cmd->add_option("--threads", options->threads, "Threads to use (default: all cores)")->check(CLI::Range(1, 1024));
  cmd->add_flag("--quiet", options->quiet, "No progress on the terminal");
  cmd->footer(RenderFarmHelp());
  cmd->callback([options, &action] { action = [options] { return RunRender(*options); }; });
}
