#include "tools/RenderCommand.h"

#include "platform/framework/CommandIds.h"
#include "filters/DepthFilterCommand.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageFormats.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"
#include "platform/framework/Progress.h"
#include "tools/RenderOutputCheck.h"
#include "tools/RenderRun.h"

namespace {
constexpr int kSaveDialogFlags = 0x11000;
constexpr int kF5 = 116;
}  // namespace

RenderCommand::RenderCommand(ProjectData& project) : RenderCommand(project, false) {}

RenderCommand::RenderCommand(ProjectData& project, bool saves) : project_(project), saves_(saves) {
  access_.SetAccess(kF5, saves ? 514 : 512, 64);
  access_.SetMenuPosition(4, saves ? 0x10001 : 0x10000, 0);
  access_.SetBitmap(saves ? 2013 : 2015, saves ? 2014 : 2016);
  access_.SetToolbarPosition(4, saves ? 1 : 0, 0);
}

std::string RenderCommand::GetName() const { return LoadString(kRenderImages); }
CommandIdentity RenderCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassSimple, kCategoryRender, kRenderCommandId, 1};
}
std::string RenderCommand::GetHelp(int kind) const { return GetCommandHelp(kind, kApplyFilterImagesHelp); }

CommandResult RenderCommand::OnOpenCommand(int) {
  saveFlag_ = saves_ ? 1 : 0;
  return kCommandOk;
}

std::string RenderCommand::ProposedOutputName() const {
  // The default name has no extension: the source's own format is proposed, as the command
  // line renders by default.
  std::string name = project_.OutputBaseName();
  if (!CFileInfo(name).GetExtension().empty() && FindWritableFormat(name)) return name;
  return name + CFileInfo(project_.GetImageName(0)).GetExtension();
}

bool RenderCommand::ChooseOutput(C2DIo& output, const FrameRange& range) {
  FileRequest request{kClassAllFiles, kSaveDialogFlags, "", output.GetFileName()};
  // Every frame file is checked below, for the whole range at once.
  request.confirmOverwrite = false;
  for (;;) {
    auto chosen = UI().ChooseFileToSave(request);
    if (!chosen || chosen->empty()) return false;
    output.SetFileName(*chosen);
    request.proposedPath = *chosen;
    if (auto clash = FindInputOverwrite(project_, output, range.first, range.last)) {
      UI().Warning(LoadString(kWarningTitle), DescribeClash(*clash));
      continue;
    }
    const auto existing = ExistingFrameFiles(project_, output, range.first, range.last);
    if (!existing.empty() &&
        UI().Ask(FormatString(kReplaceEarlierFrames, int(existing.size()), fileStripPath(existing.front())),
                 Buttons::YesNo) != Answer::Yes) {
      continue;
    }
    if (output.PrepareSaving(*project_.GetCurrentImage(), range.last - range.first + 1) != 1) {
      UI().Warning(LoadString(kWarningTitle), AppendReason(LoadString(kCannotSaveFrames), LocalReason(output.GetError())));
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

  C2DIo output(ProposedOutputName(), kIoSaving);
  output.SetNumberWidth(OutputNumberWidth(project_));
  if (saveFlag_ == 1 && !ChooseOutput(output, *range)) {
    ShowInfo(kPreviewNotSaved, 2.0f);
    saveFlag_ = 0;
  }

  RenderJob job;
  job.first = range->first;
  job.last = range->last;
  job.output = saveFlag_ == 1 ? &output : nullptr;
  RenderOutcome outcome = RunRenderJob(project_, job);
  if (!outcome.saveError.empty()) {
    UI().Warning(LoadString(kWarningTitle), AppendReason(LoadString(kCannotSaveFrames), LocalReason(outcome.saveError)));
  }
  return kCommandOk;
}

RenderSaveCommand::RenderSaveCommand(ProjectData& project) : RenderCommand(project, true) {}

std::string RenderSaveCommand::GetName() const { return LoadString(kRenderSaveImages); }
CommandIdentity RenderSaveCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassSimple, kCategoryRender, kRenderSaveCommandId, 1};
}
std::string RenderSaveCommand::GetHelp(int kind) const { return GetCommandHelp(kind, kApplyFilterSaveImagesHelp); }
