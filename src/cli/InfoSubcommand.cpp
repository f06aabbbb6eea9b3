// fovara-render info: what the image layer reads from each file.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "cli/CliCommands.h"
#include "tools/RecordText.h"
#include "cli/ViewCheck.h"
#include "platform/image/DepthRange.h"
#include "platform/image/ImageIo.h"

namespace {

struct InfoOptions {
  std::vector<std::string> files;
  std::string view;
  bool json = false;
};

std::vector<std::string> LayerNames(const CLayerBitmap& image) {
  std::vector<std::string> names;
  if (image.GetLayerByType(kRgbBitmap) || image.GetLayerByType(kRgbFloatBitmap)) names.push_back("colour");
  if (image.GetLayerByType(kGreyBitmap)) names.push_back("grey");
  if (image.GetLayerByType(kAlphaBitmap) || image.GetLayerByType(kAlphaFloatBitmap)) names.push_back("alpha");
  if (image.GetLayerByType(kDepthBitmap)) names.push_back("depth");
  return names;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// JSON numbers cannot hold infinity; a background read as such is written as null.
nlohmann::json DepthValue(float v) { return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr); }

void PrintJson(const std::string& file, const C2DIo& io, const CLayerBitmap& image) {
  const ImageFileInfo& info = io.GetFileInfo();
  nlohmann::json out = {{"file", file},
                        {"format", io.GetFormatName()},
                        {"width", image.GetWidth()},
                        {"height", image.GetHeight()},
                        {"display", {image.GetWidth(), image.GetHeight()}},
                        {"data", {info.data.x, info.data.y, info.data.width, info.data.height}},
                        {"layers", LayerNames(image)},
                        {"channels", info.takenChannels}};
  if (!info.views.empty()) {
    out["views"] = info.views;
    out["view"] = info.view;
  }
  if (!info.gbuffer.empty()) out["gbuffer"] = info.gbuffer;
  if (const depthBitmap* depth = image.GetLayer<depthBitmap>()) {
    DepthRange range = GetDepthRange(*depth);
    out["depth"] = {{"min", DepthValue(range.min)}, {"max", DepthValue(range.max)},
                    {"background", DepthValue(range.background)},
                    {"background_pixels", depth->GetBackgroundPixelCount()}};
  }
  std::printf("%s\n", JsonText(out).c_str());
}

void PrintText(const std::string& file, const C2DIo& io, const CLayerBitmap& image) {
  const ImageFileInfo& info = io.GetFileInfo();
  std::printf("%s: %s, %d x %d, layers: %s\n", file.c_str(), io.GetFormatName().c_str(), image.GetWidth(),
              image.GetHeight(), Joined(LayerNames(image)).c_str());
  std::printf("  data window: %d x %d at %d, %d; channels: %s\n", info.data.width, info.data.height, info.data.x,
              info.data.y, Joined(info.takenChannels).c_str());
  if (!info.views.empty()) {
    std::printf("  views: %s; taken: %s\n", Joined(info.views).c_str(), info.view.c_str());
  }
  if (!info.gbuffer.empty()) std::printf("  gbuffer: %s\n", Joined(info.gbuffer).c_str());
  if (const depthBitmap* depth = image.GetLayer<depthBitmap>()) {
    DepthRange range = GetDepthRange(*depth);
    std::printf("  depth: min %g, max %g, background %g (%lld background pixels)\n", range.min, range.max,
                range.background, static_cast<long long>(depth->GetBackgroundPixelCount()));
  }
}

// One file; false when it could not be read (the reason is on stderr).
bool DescribeFile(const std::string& file, const InfoOptions& options) {
  if (std::string missing = MissingViewReason(file, options.view); !missing.empty()) {
    std::fprintf(stderr, "fovara-render: %s\n", missing.c_str());
    return false;
  }
  C2DIo io(file, kIoWithDepth);
  io.SetView(options.view);
  std::unique_ptr<CLayerBitmap> image;
  if (io.PrepareReading()) image = io.Read();
  if (!image) {
    std::string reason = io.GetError().empty() ? file + ": cannot be read" : io.GetError();
    std::fprintf(stderr, "fovara-render: %s\n", reason.c_str());
    return false;
  }
  if (options.json) PrintJson(file, io, *image);
  else PrintText(file, io, *image);
  return true;
}

}  // namespace

void AddInfoCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* cmd = app.add_subcommand("info", "Describe image and depth files: format, size, layers, depth range");
  cmd->add_option("files", options->files, "Files to describe")->required();
  cmd->add_flag("--json", options->json, "One JSON object per file, one per line");
  cmd->add_option("--view", options->view, "View of stereo files to read (default: each file's default view)");
  cmd->callback([options, &action] {
    action = [options] {
      bool allRead = true;
      for (const auto& file : options->files) allRead = DescribeFile(file, *options) && allRead;
      return allRead ? 0 : 1;
    };
  });
}
