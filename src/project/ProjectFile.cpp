// The open project's file: the model reads and writes it; opening one also finds the frames'
// files again, loads the current frame and activates the filter.

#include "platform/framework/Archive.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"
#include "project/ProjectFilter.h"

void ProjectData::Serialize(CArchive& archive) {
  if (archive.IsStoring()) {
    model_.Write(archive);
  } else {
    ReadProject(archive);
  }
}

void ProjectData::ReadProject(CArchive& archive) {
  try {
    model_.Read(archive);
  } catch (const ProjectFileError&) {
    ui_.Ask(ui_.Text(kFilterNotFound), Buttons::Ok);
    throw;
  }
  // One message: the project is not opened, and which frames lack their files.
  std::string missing;
  if (!CheckProjectFiles(true, true, &missing)) {
    ui_.Warning(ui_.Text(kWarningTitle), ui_.Text(kProjectCannotOpenedImage) + "\n\n" + missing);
    throw ProjectFileError(ProjectFileCause::Invalid, "some files of the project are missing");
  }
  // An opened project shows its first frame.
  model_.Track().SetCurrentFrame(0);
  LoadFrame(model_.GetImageName(0));

  CQelCommand* command = frame_ ? frame_->GetCommandManager().GetCommandById(model_.GetFilterId()) : nullptr;
  auto* filter = (command && command->GetType() == kTypeFilter) ? static_cast<ProjectFilter*>(command) : nullptr;
  if (!filter || !ActivateFilter(filter)) {
    ui_.Ask(ui_.Text(kFilterNotFound), Buttons::Ok);
    throw ProjectFileError(ProjectFileCause::Generic, "the project's filter cannot be found");
  }
  history_.ResetHistory(true);
  MarkModified(false);
}
