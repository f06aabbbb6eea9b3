// fovara-render show: what a project file holds, read without loading its images.

#include <cstdio>
#include <filesystem>
#include <memory>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "animation/KeyframeTrack.h"
#include "cli/CliCommands.h"
#include "cli/CliProject.h"
#include "tools/RecordText.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"

namespace {

struct ShowOptions {
  std::string project;
  bool json = false;
};

nlohmann::ordered_json KeyframesToJson(const KeyframeTrack& track) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (int i = 0; i < track.GetCount(); ++i) {
    const KeyframeSettings* k = track.GetAt(i);
    CCustomData record;
    k->StoreEveryField(record);
    list.push_back({{"frame", k->GetFrameNumber()}, {"type", FourCCToString(k->GetTypeCode())},
                    {"settings", RecordToJson(record)}});
  }
  return list;
}

nlohmann::ordered_json ReadProjectFile(const std::string& path) {
  CArchive archive = OpenArchiveForReading(path);
  CCustomData record;
  record.Serialize(archive);
  KeyframeTrack track;
  track.Serialize(archive);
  CCustomData options;
  options.Serialize(archive);
  return {
      {"filter", FourCCToString(record.GetUInt(kProjectFilterIdKey, 0))},
      {"mode", track.GetMode()},
      {"current_frame", track.GetCurrentFrame()},
      {"image_folder", record.GetString(kProjectImageFolderKey, "")},
      {"depth_folder", record.GetString(kProjectDepthFolderKey, "")},
      {"depth_root", record.GetString(kProjectDepthRootKey, "")},
      {"depth_extension", record.GetString(kProjectDepthExtensionKey, "")},
      {"depth_picture_answer", int32_t(record.GetUInt(kProjectDepthAnswerKey, 0xFFFFFFFFu))},
      {"images", record.GetStringArray(kProjectImageNamesKey, {})},
      {"output_folder", record.GetString(kProjectOutputFolderKey, "")},
      {"output_name", record.GetString(kProjectOutputNameKey, "")},
      {"keyframes", KeyframesToJson(track)},
      {"options", RecordToJson(options)},
  };
}

void PrintText(const nlohmann::ordered_json& p) {
  std::printf("filter %s, %s, %zu image(s), current frame %d\n", p["filter"].get<std::string>().c_str(),
              p["mode"] == 2 ? "image sequence" : "single image", p["images"].size(), p["current_frame"].get<int>());
  std::printf("images in '%s', depth files '%s%s' in '%s'\n", p["image_folder"].get<std::string>().c_str(),
              p["depth_root"].get<std::string>().c_str(), p["depth_extension"].get<std::string>().c_str(),
              p["depth_folder"].get<std::string>().c_str());
  for (const auto& k : p["keyframes"]) {
    std::printf("keyframe %d (%s): %s\n", k["frame"].get<int>(), k["type"].get<std::string>().c_str(),
                JsonText(k["settings"]).c_str());
  }
  std::printf("options: %s\n", JsonText(p["options"]).c_str());
}

int RunShow(const ShowOptions& options) {
  if (!std::filesystem::is_regular_file(options.project)) return Fail(options.project + ": no such project file");
  nlohmann::ordered_json project;
  try {
    project = ReadProjectFile(options.project);
  } catch (const std::exception& e) {
    return Fail(options.project + ": not a readable project: " + e.what());
  }
  if (options.json) std::printf("%s\n", JsonText(project).c_str());
  else PrintText(project);
  return 0;
}

}  // namespace

void AddShowCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<ShowOptions>();
  CLI::App* cmd = app.add_subcommand("show", "Print what a project file holds");
  cmd->add_option("project", options->project, "Project file (.fvz)")->required();
  cmd->add_flag("--json", options->json, "One JSON object");
  cmd->callback([options, &action] { action = [options] { return RunShow(*options); }; });
}
