// fovara-render set: makes a frame a keyframe and sets settings or options by record key.

#include <memory>
#include <vector>

#include <CLI/CLI.hpp>

#include "tools/AnimationActions.h"
#include "cli/CliCommands.h"
#include "cli/CliProject.h"
#include "tools/RecordText.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace {

struct SetOptions {
  std::string project;
  int frame = -1;
  std::vector<std::string> settings;
  std::vector<std::string> options;
};

// Applies KEY=VALUE assignments to a record; the first error is returned.
std::string Assign(CCustomData& record, const std::vector<std::string>& assignments) {
  for (const auto& assignment : assignments) {
    std::string key;
    std::string value;
    if (!SplitAssignment(assignment, key, value)) return "expected KEY=VALUE, got '" + assignment + "'";
    std::string error = SetRecordValue(record, key, value);
    if (!error.empty()) return error;
  }
  return {};
}

// A diaph file named relative to the current folder is stored complete.
std::vector<std::string> AbsoluteDiaphPath(std::vector<std::string> assignments) {
  for (auto& assignment : assignments) {
    std::string key;
    std::string value;
    if (SplitAssignment(assignment, key, value) && key == "DPAT" && !value.empty()) {
      assignment = key + "=" + AbsolutePath(value);
    }
  }
  return assignments;
}

bool TakenAsGiven(const CCustomData::Entry& given, const CCustomData& taken) {
  for (const auto& entry : taken.Entries()) {
    if (entry.key == given.key) return entry.value == given.value;
  }
  return false;
}

int RunSet(const SetOptions& options) {
  if (options.settings.empty() && options.options.empty()) return Fail("nothing to set");
  if (!options.settings.empty() && options.frame < 0) return Fail("settings need --frame N (N >= 0)");
  CliProject cli;
  cli.ui.subject = options.project;
  if (!cli.Open(options.project)) return 1;
  ProjectModel& model = cli.model;

  if (!options.settings.empty()) {
    if (model.IsSequence() && options.frame > model.GetLastFrame()) {
      return Fail("frame " + std::to_string(options.frame) + " is beyond the sequence's last frame " +
                  std::to_string(model.GetLastFrame()));
    }
    // As in the animation panel, where a keyframe's label goes up to that frame.
    if (!model.IsSequence() && options.frame > kMaxSingleImageFrame) {
      return Fail("frame " + std::to_string(options.frame) + " is beyond the last frame of a single image's animation, " +
                  std::to_string(kMaxSingleImageFrame));
    }
    // The frame's settings as a render of it takes them are the start, then the named keys
    // change.
    const auto frame = cli.ReadFrameOf(options.frame);
    if (!frame) return 1;
    auto settings = model.SettingsAt(options.frame, frame->image.get(), &frame->range);
    CCustomData record;
    settings->StoreEveryField(record);
    std::string error = Assign(record, options.settings);
    if (!error.empty()) return Fail(error);
    settings->LoadRecord(record);
    std::string refusal = settings->CheckValues();
    if (!refusal.empty()) return Fail(refusal);
    model.Track().SetKeyframe(options.frame, *settings);
  }
  if (!options.options.empty()) {
    FilterOptions& filterOptions = *model.Options();
    CCustomData record;
    filterOptions.StoreRecord(record);
    std::string error = Assign(record, AbsoluteDiaphPath(options.options));
    if (!error.empty()) return Fail(error);
    filterOptions.LoadRecord(record);
    // An option the filter could not take (a diaph picture it cannot use, say) is an error.
    CCustomData taken;
    filterOptions.StoreRecord(taken);
    for (const auto& entry : record.Entries()) {
      if (!TakenAsGiven(entry, taken)) return Fail(FourCCToString(entry.key) + " could not be set: check the value");
    }
  }
  if (cli.ui.HasComplained()) {
    cli.ui.Flush();
    return Fail("nothing was saved");
  }
  return cli.Save(options.project) ? 0 : 1;
}

}  // namespace

void AddSetCommand(CLI::App& app, CliAction& action) {
  auto options = std::make_shared<SetOptions>();
  CLI::App* cmd = app.add_subcommand("set", "Make a frame a keyframe and set settings (and filter options) by key");
  cmd->add_option("project", options->project, "Project file (.fvz)")->required();
  cmd->add_option("--frame", options->frame, "The frame to make a keyframe");
  cmd->add_option("settings", options->settings, "KEY=VALUE settings of the frame's keyframe");
  cmd->add_option("--option", options->options, "KEY=VALUE options of the filter (not keyframed)");
  cmd->callback([options, &action] { action = [options] { return RunSet(*options); }; });
}
