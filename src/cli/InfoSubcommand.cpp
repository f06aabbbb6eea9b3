// fovara-render info: what the image layer reads from each file.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "cli/CliCommands.h"
#include "cli/RecordText.h"
#include "platform/image/DepthRange.h"
#include "platform/image/ImageIo.h"

namespace {

struct InfoOptions {
  std::vector<std::string> files;
  bool json = false;
};

std::vector<std::string> LayerNames(const CLayerBitmap& image) {
  std::vector<std::string> names;
  if (image.GetLayerByType(kRgbBitmap)) names.push_back("colour");
  if (image.GetLayerByType(kGreyBitmap)) names.push_back("grey");
  if (image.GetLayerByType(kAlphaBitmap)) names.push_back("alpha");
  if (image.GetLayerByType(kFloatBitmap)) names.push_back("depth");
  return names;
}

// JSON numbers cannot hold infinity; a background read as such is written as null.
nlohmann::json DepthValue(float v) { return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr); }

void PrintJson(const std::string& file, const std::string& format, const CLayerBitmap& image) {
  nlohmann::json out = {{"file", file}, {"format", format}, {"width", image.GetWidth()},
                        {"height", image.GetHeight()}, {"layers", LayerNames(image)}};
  if (const floatBitmap* depth = image.GetLayer<floatBitmap>()) {
    DepthRange range = GetDepthRange(*depth);
    out["depth"] = {{"min", DepthValue(range.min)}, {"max", DepthValue(range.max)},
                    {"background", DepthValue(range.background)},
                    {"background_pixels", depth->GetBackgroundPixelCount()}};
  }
  std::printf("%s\n", JsonText(out).c_str());
}

void PrintText(const std::string& file, const std::string& format, const CLayerBitmap& image) {
  std::string layers;
  for (const auto& name : LayerNames(image)) layers += (layers.empty() ? "" : ", ") + name;
  std::printf("%s: %s, %d x %d, layers: %s\n", file.c_str(), format.c_str(), image.GetWidth(),
              image.GetHeight(), layers.c_str());
  if (const floatBitmap* depth = image.GetLayer<floatBitmap>()) {
    DepthRange range = GetDepthRange(*depth);
    std::printf("  depth: min %g, max %g, background %g (%lld background pixels)\n", range.min, range.max,
                range.background, static_cast<long long>(depth->GetBackgroundPixelCount()));
  }
}

// One file; false when it could not be read (the reason is on stderr).
bool DescribeFile(const std::string& file, bool json) {
  C2DIo io(file, kIoWithDepth);
  std::unique_ptr<CLayerBitmap> image;
  if (io.PrepareReading() == 1) image = io.Read();
  if (!image) {
    std::string reason = io.GetError().empty() ? file + ": cannot be read" : io.GetError();
    std::fprintf(stderr, "fovara-render: %s\n", reason.c_str());
    return false;
  }
  if (json) PrintJson(file, io.GetFormatName(), *image);
  else PrintText(file, io.GetFormatName(), *image);
  return true;
}

}  // namespace

void AddInfoCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* cmd = app.add_subcommand("info", "Describe image and depth files: format, size, layers, depth range");
  cmd->add_option("files", options->files, "Files to describe")->required();
  cmd->add_flag("--json", options->json, "One JSON object per file, one per line");
  cmd->callback([options, &action] {
    action = [options] {
      bool allRead = true;
      for (const auto& file : options->files) allRead = DescribeFile(file, options->json) && allRead;
      return allRead ? 0 : 1;
    };
  });
}
