// The project file: the project record, the keyframe track, then the filter's options.

#include <algorithm>

#include "project/ProjectFilter.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/RecordKeys.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"

namespace {

// A folder relative to the project folder.
std::string RelativeFolder(const std::string& resolved, const std::string& base) {
  if (base.empty() || PathIsRelative(resolved)) return resolved;
  return fileMakeRelativePath(resolved, base);
}

}  // namespace

void ProjectData::Serialize(CArchive& archive) {
  std::string folder = fileStripName(fileMakeAbsolute(archive.GetFilePath()));
  if (archive.IsStoring()) {
    WriteProject(archive, folder);
  } else {
    frames_.SetProjectFolder(folder);
    ReadProject(archive);
  }
}

void ProjectData::WriteProject(CArchive& archive, const std::string& newProjectFolder) {
  CCustomData record;
  record.SetUInt(kProjectFilterIdKey, filter_ ? filter_->GetID() : 0);
  // Folders kept relative to the previous project folder are resolved against it, before the
  // project folder changes (a project saved under another folder).
  std::string images = ResolveImageFolder();
  std::string depths = ResolveDepthFolder();
  frames_.SetProjectFolder(newProjectFolder);
  frames_.SetImageFolder(RelativeFolder(images, frames_.GetProjectFolder()));
  frames_.SetDepthFolder(RelativeFolder(depths, frames_.GetProjectFolder()));
  record.SetString(kProjectImageFolderKey, frames_.GetImageFolder());
  record.SetUInt(kProjectDepthAnswerKey, uint32_t(frames_.GetDepthBitmapAnswer()));
  record.SetString(kProjectDepthFolderKey, frames_.GetDepthFolder());
  record.SetString(kProjectDepthRootKey, frames_.GetDepthRootName());
  record.SetString(kProjectDepthExtensionKey, frames_.GetDepthExtension());
  record.SetString(kProjectOutputFolderKey, frames_.GetOutputFolder());
  record.SetString(kProjectOutputNameKey, frames_.GetOutputName());
  record.SetStringArray(kProjectImageNamesKey, frames_.GetImageNames());
  if (!frames_.GetImageView().empty()) record.SetString(kProjectImageViewKey, frames_.GetImageView());
  record.Serialize(archive);
  track_.Serialize(archive);
  if (filter_) filter_->Serialize(archive);
}

void ProjectData::ReadProject(CArchive& archive) {
  CCustomData record;
  record.Serialize(archive);
  uint32_t filterId = record.GetUInt(kProjectFilterIdKey, 0);
  frames_.SetImageFolder(record.GetString(kProjectImageFolderKey, ""));
  frames_.SetDepthBitmapAnswer(int(record.GetUInt(kProjectDepthAnswerKey, 0xFFFFFFFFu)));
  frames_.SetDepthFolder(record.GetString(kProjectDepthFolderKey, ""));
  frames_.SetDepthRootName(record.GetString(kProjectDepthRootKey, ""));
  frames_.SetDepthExtension(record.GetString(kProjectDepthExtensionKey, ""));
  frames_.SetOutputFolder(record.GetString(kProjectOutputFolderKey, ""));
  frames_.SetOutputName(record.GetString(kProjectOutputNameKey, ""));
  frames_.SetImageNames(record.GetStringArray(kProjectImageNamesKey, frames_.GetImageNames()));
  frames_.SetImageView(record.GetString(kProjectImageViewKey, ""));
  track_.Serialize(archive);
  savedCurrentFrame_ = track_.GetCurrentFrame();

  // One message: the project is not opened, and which frames lack their files.
  std::string missing;
  if (!CheckProjectFiles(true, true, &missing)) {
    UI().Warning(LoadString(kWarningTitle), LoadString(kProjectCannotOpenedImage) + "\n\n" + missing);
    throw ProjectFileError(kFileErrorInvalid, "some files of the project are missing");
  }
  if (track_.GetMode() == kSequenceMode) LoadFrameAt(track_.GetCurrentFrame());
  else LoadFrame(GetImageName(0));

  CQelCommand* command = frame_ ? frame_->GetCommandManager().GetCommandById(filterId) : nullptr;
  auto* filter = (command && command->GetType() == kTypeFilter) ? static_cast<ProjectFilter*>(command) : nullptr;
  if (filter) DropKeyframesOfOtherTypes(filter->GetCurrentSettings().GetTypeCode());
  if (!filter || !ActivateFilter(filter)) {
    UI().Ask(LoadString(kFilterNotFound), Buttons::Ok);
    throw ProjectFileError(kFileErrorGeneric, "the project's filter cannot be found");
  }
  filter->Serialize(archive);
  ResetHistory(true);
  MarkModified(false);
}

void ProjectData::DropKeyframesOfOtherTypes(uint32_t typeCode) {
  // Keyframes of another filter's settings cannot be blended by this filter.
  for (int i = track_.GetCount() - 1; i >= 0; --i) {
    if (track_.GetAt(i)->GetTypeCode() != typeCode) track_.RemoveKeyframe(track_.GetAt(i)->GetFrameNumber());
  }
}
