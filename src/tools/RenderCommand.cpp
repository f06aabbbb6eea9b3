#include "tools/RenderCommand.h"

#include "platform/framework/CommandIds.h"
#include "filters/DepthFilterCommand.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageFormats.h"
#include "platform/image/ImageIo.h"
#include "project/ProgramDialogs.h"
#include "project/ProjectData.h"
#include "platform/framework/Progress.h"
#include "project/RenderOutputCheck.h"
#include "filters/RenderRun.h"

namespace {
constexpr int kF5 = 116;
// How long the box saying the frames are not saved stays.
constexpr double kNotSavedSeconds = 2.0;
}  // namespace

namespace {

// The range after asking the user (nothing asked for a single frame); nothing when the user
// cancelled the question.
std::optional<FrameRange> AskFrameRange(const ProjectData& project) {
  const int lastFrame = project.Model().GetLastFrame();
  if (lastFrame < 1) return FrameRange{0, 0};
  RenderRangeChoice choice = Dialogs(project.UI()).AskRenderRange(lastFrame + 1);
  if (choice.cancelled) return std::nullopt;
  switch (choice.mode) {
    case RenderRangeMode::First: return FrameRange{0, 0};
    case RenderRangeMode::Last: return FrameRange{lastFrame, lastFrame};
    case RenderRangeMode::All: return FrameRange{0, lastFrame};
    case RenderRangeMode::Range: {
      int a = std::clamp(choice.first, 0, lastFrame);
      int b = std::clamp(choice.last, 0, lastFrame);
      return FrameRange{std::min(a, b), std::max(a, b)};
    }
    case RenderRangeMode::Current: break;
  }
  return FrameRange{project.GetCurrentFrame(), project.GetCurrentFrame()};
}

}  // namespace

RenderCommand::RenderCommand(ProjectData& project) : RenderCommand(project, false) {}

RenderCommand::RenderCommand(ProjectData& project, bool saves) : project_(project), saves_(saves) {
  access_.SetAccess(kF5, saves ? 514 : 512, 64);
  access_.SetMenuPosition(4, saves ? 0x10001 : 0x10000, 0);
  access_.SetBitmap(saves ? 2013 : 2015, saves ? 2014 : 2016);
  access_.SetToolbarPosition(4, saves ? 1 : 0, 0);
}

std::string RenderCommand::GetName(Language language) const { return LoadString(language, kRenderImages); }
CommandIdentity RenderCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassSimple, kCategoryRender, kRenderCommandId, 1};
}
std::string RenderCommand::GetHelp(Language language, int kind) const { return GetCommandHelp(language, kind, kApplyFilterImagesHelp); }

CommandResult RenderCommand::OnOpenCommand(int) {
  saveFlag_ = saves_ ? 1 : 0;
  return kCommandOk;
}

std::string RenderCommand::ProposedOutputName() const {
  // The default name has no extension: the source's own format is proposed, as the command
  // line renders by default.
  std::string name = project_.Model().OutputBaseName();
  if (!CFileInfo(name).GetExtension().empty() && FindWritableFormat(name)) return name;
  return name + CFileInfo(project_.Model().GetImageName(0)).GetExtension();
}

bool RenderCommand::ChooseOutput(C2DIo& output, const FrameRange& range) {
  FileRequest request{kClassAllFiles, kDialogFrames, "", output.GetFileName()};
  // Every frame file is checked below, for the whole range at once.
  request.confirmOverwrite = false;
  UserInterface& ui = project_.UI();
  const ProjectModel& model = project_.Model();
  for (;;) {
    auto chosen = ui.ChooseFileToSave(request);
    if (!chosen || chosen->empty()) return false;
    output.SetFileName(*chosen);
    request.proposedPath = *chosen;
    if (auto clash = FindInputOverwrite(model, output, range.first, range.last)) {
      ui.Warning(ui.Text(kWarningTitle), DescribeClash(ui.GetLanguage(), *clash));
      continue;
    }
    const auto existing = ExistingFrameFiles(model, output, range.first, range.last);
    if (!existing.empty() &&
        ui.Ask(ui.Format(kReplaceEarlierFrames, int(existing.size()), fileStripPath(existing.front())),
               Buttons::YesNo) != Answer::Yes) {
      continue;
    }
    if (!output.PrepareSaving(*project_.GetCurrentImage(), range.last - range.first + 1)) {
      ui.Warning(ui.Text(kWarningTitle), AppendReason(ui.Text(kCannotSaveFrames), ui.Reason(output.GetError())));
      return false;
    }
    CFileInfo file(output.GetFileName());
    project_.SetOutput(file.GetPath(), file.GetCompleteName());
    return true;
  }
}

CommandResult RenderCommand::OnApplyCommand() {
  if (!project_.GetFilter() || !project_.GetCurrentImage()) return kCommandOk;
  const std::optional<FrameRange> range = AskFrameRange(project_);
  if (!range) return kCommandOk;

  UserInterface& ui = project_.UI();
  C2DIo output(ProposedOutputName(), kIoSaving);
  output.SetNumberWidth(project_.Model().GetOutputNumberWidth());
  if (saveFlag_ == 1 && !ChooseOutput(output, *range)) {
    ui.ShowInfoText(kPreviewNotSaved, kNotSavedSeconds);
    saveFlag_ = 0;
  }

  RenderJob job;
  job.first = range->first;
  job.last = range->last;
  job.output = saveFlag_ == 1 ? &output : nullptr;
  job.language = ui.GetLanguage();
  // The frame on show renders as its panel shows it, also with an edit no keyframe holds.
  const int current = project_.GetCurrentFrame();
  job.settingsFor = [this, current](int frame, const Frame& read) {
    if (frame == current) return project_.GetFilter()->GetCurrentSettings().Clone();
    return project_.Model().SettingsAt(frame, read.image.get(), &read.range);
  };
  // Each frame is on show as the last result while the next one renders.
  project_.View().SetViewMode(kViewImage, true, false);
  job.onRendered = [this](const CLayerBitmap& rendered) {
    auto copy = std::make_unique<CLayerBitmap>();
    copy->CopyLayers(rendered, ~0u);
    project_.SetLastResult(std::move(copy), true);
  };
  UserInterfaceProgress progress(ui, project_.GetFilter()->GetName(ui.GetLanguage()));
  UserInterfaceMessages messages(ui);
  RenderContext context{progress, 0, &messages};
  RenderOutcome outcome = RunRenderJob(project_.Model(), job, context);
  if (!outcome.saveError.empty()) {
    ui.Warning(ui.Text(kWarningTitle), AppendReason(ui.Text(kCannotSaveFrames), ui.Reason(outcome.saveError)));
  }
  return kCommandOk;
}

RenderSaveCommand::RenderSaveCommand(ProjectData& project) : RenderCommand(project, true) {}

std::string RenderSaveCommand::GetName(Language language) const { return LoadString(language, kRenderSaveImages); }
CommandIdentity RenderSaveCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassSimple, kCategoryRender, kRenderSaveCommandId, 1};
}
std::string RenderSaveCommand::GetHelp(Language language, int kind) const { return GetCommandHelp(language, kind, kApplyFilterSaveImagesHelp); }
