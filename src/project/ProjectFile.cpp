// The project file: the project record, the keyframe track, then the filter's options.

#include <algorithm>

#include "project/ProjectFilter.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FourCC.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"

namespace {

constexpr uint32_t kFilterIdKey = FourCC("FXID");
constexpr uint32_t kImageFolderKey = FourCC("IPTH");
constexpr uint32_t kDepthAnswerKey = FourCC("ZMDE");
constexpr uint32_t kDepthFolderKey = FourCC("ZPTH");
constexpr uint32_t kDepthRootKey = FourCC("ZBSN");
constexpr uint32_t kDepthExtensionKey = FourCC("ZEXT");
constexpr uint32_t kOutputFolderKey = FourCC("OPTH");
constexpr uint32_t kOutputNameKey = FourCC("ONAM");
constexpr uint32_t kImageNamesKey = FourCC("FLNM");
// Ours: the view of stereo images, kept only when one was chosen.
constexpr uint32_t kImageViewKey = FourCC("VIEW");

// A folder relative to the project folder.
std::string RelativeFolder(const std::string& resolved, const std::string& projectFolder) {
  if (projectFolder.empty() || PathIsRelative(resolved)) return resolved;
  return fileMakeRelativePath(resolved, projectFolder);
}

}  // namespace

void ProjectData::Serialize(CArchive& archive) {
  std::string folder = fileStripName(fileMakeAbsolute(archive.GetFilePath()));
  if (archive.IsStoring()) {
    WriteProject(archive, folder);
  } else {
    projectFolder = folder;
    ReadProject(archive);
  }
}

void ProjectData::WriteProject(CArchive& archive, const std::string& newProjectFolder) {
  CCustomData record;
  record.SetUInt(kFilterIdKey, filter_ ? filter_->GetID() : 0);
  // Folders kept relative to the previous project folder are resolved against it, before the
  // project folder changes (a project saved under another folder).
  std::string images = ResolveImageFolder();
  std::string depths = ResolveDepthFolder();
  projectFolder = newProjectFolder;
  imageFolder = RelativeFolder(images, projectFolder);
  depthFolder = RelativeFolder(depths, projectFolder);
  record.SetString(kImageFolderKey, imageFolder);
  record.SetUInt(kDepthAnswerKey, uint32_t(depthBitmapAnswer));
  record.SetString(kDepthFolderKey, depthFolder);
  record.SetString(kDepthRootKey, depthRootName);
  record.SetString(kDepthExtensionKey, depthExtension);
  record.SetString(kOutputFolderKey, outputFolder);
  record.SetString(kOutputNameKey, outputName);
  record.SetStringArray(kImageNamesKey, imageNames_);
  if (!imageView.empty()) record.SetString(kImageViewKey, imageView);
  record.Serialize(archive);
  track_.Serialize(archive);
  if (filter_) filter_->Serialize(archive);
}

void ProjectData::ReadProject(CArchive& archive) {
  CCustomData record;
  record.Serialize(archive);
  uint32_t filterId = record.GetUInt(kFilterIdKey, 0);
  imageFolder = record.GetString(kImageFolderKey, "");
  depthBitmapAnswer = int(record.GetUInt(kDepthAnswerKey, 0xFFFFFFFFu));
  depthFolder = record.GetString(kDepthFolderKey, "");
  depthRootName = record.GetString(kDepthRootKey, "");
  depthExtension = record.GetString(kDepthExtensionKey, "");
  outputFolder = record.GetString(kOutputFolderKey, "");
  outputName = record.GetString(kOutputNameKey, "");
  imageNames_ = record.GetStringArray(kImageNamesKey, imageNames_);
  imageView = record.GetString(kImageViewKey, "");
  track_.Serialize(archive);
  savedCurrentFrame = track_.GetCurrentFrame();

  // One message: the project is not opened, and which frames lack their files.
  std::string missing;
  if (!CheckProjectFiles(true, true, &missing)) {
    UI().Warning(LoadString(7354), LoadString(2189) + "\n\n" + missing);
    throw ProjectFileError(kFileErrorInvalid, "some files of the project are missing");
  }
  if (track_.GetMode() == kSequenceMode) LoadFrameAt(track_.GetCurrentFrame());
  else LoadFrame(GetImageName(0));

  CQelCommand* command = frame_ ? frame_->GetCommandManager().GetCommandById(filterId) : nullptr;
  auto* filter = (command && command->GetType() == kTypeFilter) ? static_cast<ProjectFilter*>(command) : nullptr;
  if (filter) DropKeyframesOfOtherTypes(filter->GetCurrentSettings().GetTypeCode());
  if (!filter || !ActivateFilter(filter)) {
    UI().Ask(LoadString(2187), Buttons::Ok);
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
