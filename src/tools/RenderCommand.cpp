#include "tools/RenderCommand.h"

#include "filters/DepthFilterCommand.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"
#include "tools/Progress.h"
#include "tools/RenderRun.h"

namespace {
constexpr uint32_t kRenderId = FourCC("DOFX");
constexpr uint32_t kRenderSaveId = FourCC("DSFX");
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

std::string RenderCommand::GetName() const { return LoadString(2141); }
CommandIdentity RenderCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassSimple, kCategoryRender, kRenderId, 1};
}
std::string RenderCommand::GetHelp(int kind) const { return GetCommandHelp(kind, 41001); }

CommandResult RenderCommand::OnOpenCommand(int) {
  saveFlag_ = saves_ ? 1 : 0;
  return kCommandOk;
}

CommandResult RenderCommand::OnApplyCommand() {
  if (!project_.GetFilter() || !project_.GetCurrentImage()) return kCommandOk;
  FrameRange range = AskFrameRange(project_);

  C2DIo output(project_.OutputBaseName(), kIoSaving);
  output.SetNumberWidth(OutputNumberWidth(project_));
  if (saveFlag_ == 1) {
    bool ready = output.FileDialogBox(kSaveDialogFlags) &&
                 output.PrepareSaving(*project_.GetCurrentImage(), range.last - range.first + 1) == 1;
    if (ready) {
      CFileInfo chosen(output.GetFileName());
      project_.SetOutput(chosen.GetPath(), chosen.GetCompleteName());
    } else {
      ShowInfo(2198, 2.0f);
      saveFlag_ = 0;
    }
  }

  RenderJob job;
  job.first = range.first;
  job.last = range.last;
  job.output = saveFlag_ == 1 ? &output : nullptr;
  RenderOutcome outcome = RunRenderJob(project_, job);
  if (!outcome.saveError.empty()) UI().Warning(LoadString(7354), outcome.saveError);
  return kCommandOk;
}

RenderSaveCommand::RenderSaveCommand(ProjectData& project) : RenderCommand(project, true) {}

std::string RenderSaveCommand::GetName() const { return LoadString(2142); }
CommandIdentity RenderSaveCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassSimple, kCategoryRender, kRenderSaveId, 1};
}
std::string RenderSaveCommand::GetHelp(int kind) const { return GetCommandHelp(kind, 2059); }
