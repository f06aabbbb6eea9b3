#include "project/ProjectModel.h"

#include <algorithm>

#include "animation/FilterTypes.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/RecordKeys.h"
#include "project/DepthFileNames.h"

namespace {

constexpr const char* kOutputPrefix = "Kovrin";
constexpr int kDefaultNumberWidth = 4;

}  // namespace

ProjectModel::ProjectModel() = default;
ProjectModel::~ProjectModel() = default;
ProjectModel::ProjectModel(ProjectModel&&) noexcept = default;
ProjectModel& ProjectModel::operator=(ProjectModel&&) noexcept = default;

std::string ProjectModel::GetImageName(int index) const {
  if (index < 0 || index >= GetImageCount()) return {};
  return frames_.GetImageNames()[size_t(index)];
}

std::string ProjectModel::ImageNameAt(int frame) const { return GetImageName(IsSequence() ? frame : 0); }

int ProjectModel::GetLastFrame() const {
  if (IsSequence()) return GetImageCount() - 1;
  return track_.GetCount() == 0 ? 0 : track_.GetAt(track_.GetCount() - 1)->GetFrameNumber();
}

bool ProjectModel::GetOutputNumber(int frame, int& number) const {
  if (IsSequence()) {
    int width = 0;
    CFileInfo(GetImageName(frame)).GetDigitInfo(number, width, 0);
    return number != -1;
  }
  if (GetLastFrame() >= 1) {
    number = frame;
    return true;
  }
  return false;
}

int ProjectModel::GetOutputNumberWidth() const {
  int number = -1;
  int width = 0;
  CFileInfo(GetImageName(0)).GetDigitInfo(number, width, 0);
  return width > 0 ? width : kDefaultNumberWidth;
}

std::string ProjectModel::OutputBaseName() const {
  if (!frames_.GetOutputName().empty()) return frames_.GetOutputFolder() + frames_.GetOutputName();
  CFileInfo first(ResolveImageFolder() + GetImageName(0));
  int number = 0;
  int width = 0;
  return first.GetPath() + kOutputPrefix + first.GetDigitInfo(number, width, 0);
}

bool ProjectModel::SetFilter(uint32_t filterId) {
  const FilterTypes* types = FindFilterTypes(filterId);
  if (!types) return false;
  filterId_ = filterId;
  options_ = types->makeOptions();
  // Keyframes of another filter's settings cannot be blended by this filter.
  for (int i = track_.GetCount() - 1; i >= 0; --i) {
    if (track_.GetAt(i)->GetTypeCode() != types->settingsTypeCode) track_.RemoveKeyframe(track_.GetAt(i)->GetFrameNumber());
  }
  return true;
}

std::unique_ptr<KeyframeSettings> ProjectModel::NewSettings() const {
  const FilterTypes* types = FindFilterTypes(filterId_);
  return types ? types->makeSettings() : nullptr;
}

std::unique_ptr<KeyframeSettings> ProjectModel::SettingsAt(int frame, const CLayerBitmap* image,
                                                           const DepthRange* range) const {
  auto settings = NewSettings();
  if (!settings || track_.GetCount() == 0) return nullptr;
  track_.GetSettingsAt(*settings, frame, image, range);
  return settings;
}

void ProjectModel::Clear() {
  frames_.Clear();
  track_.RemoveAll();
  track_.SetCurrentFrame(0);
  track_.SetMode(kSingleImageMode);
  filterId_ = 0;
  options_.reset();
}

// --- Where the frames' files are ---

std::string ProjectModel::ResolveImageFolder() const {
  return ResolveFolder(frames_.GetImageFolder(), frames_.GetProjectFolder());
}

std::string ProjectModel::ResolveDepthFolder() const {
  return ResolveFolder(frames_.GetDepthFolder(), frames_.GetProjectFolder());
}

std::string ProjectModel::DepthFileFor(const std::string& imagePath) const {
  if (ImageCarriesDepth(imagePath)) return imagePath;
  int number = -1;
  int width = 0;
  CFileInfo(imagePath).GetDigitInfo(number, width, 0);
  int rootNumber = -1;
  const std::string root =
      CFileInfo(frames_.GetDepthRootName() + frames_.GetDepthExtension()).GetDigitInfo(rootNumber, width, 1);
  // An image without a frame number has one depth file, whatever digits its name carries
  // ("ball_depth_2.zpic" is no frame 2 of anything).
  if (number == -1 && rootNumber != -1) {
    std::string whole = ResolveDepthFolder() + frames_.GetDepthRootName() + frames_.GetDepthExtension();
    return fileExists(whole) ? whole : std::string();
  }
  // A depth name without a frame number is one file, whatever the image's number.
  if (rootNumber == -1) number = -1;
  return CFileIo::FindMatchingFile(ResolveDepthFolder(), root, frames_.GetDepthExtension(), number);
}

std::vector<std::string> ProjectModel::FramesWithoutFiles() const {
  // The depth files of a long sequence are found in one listing of their folder.
  CFileIo::ListingScope listing;
  std::vector<std::string> missing;
  for (const std::string& name : frames_.GetImageNames()) {
    const std::string image = ResolveImageFolder() + name;
    if (!fileExists(image) || !fileExists(DepthFileFor(image))) missing.push_back(name);
  }
  return missing;
}

FrameFiles ProjectModel::GetFrameFiles(int frame) const { return FrameFilesFor(ImageNameAt(frame)); }

FrameFiles ProjectModel::FrameFilesFor(const std::string& imageName) const {
  FrameFiles files;
  files.imageName = imageName;
  if (files.imageName.empty()) return files;
  files.imagePath = ResolveImageFolder() + files.imageName;
  files.depthPath = DepthFileFor(files.imagePath);
  files.depthBitmapAnswer = frames_.GetDepthBitmapAnswer();
  files.view = frames_.GetImageView();
  return files;
}

// --- The project file ---

void ProjectModel::Write(CArchive& archive) {
  const std::string folder = fileStripName(fileMakeAbsolute(archive.GetFilePath()));
  CCustomData record;
  record.SetUInt(kProjectFilterIdKey, filterId_);
  // Folders kept relative to the previous project folder are resolved against it, before the
  // project folder changes (a project saved under another folder).
  const std::string images = ResolveImageFolder();
  const std::string depths = ResolveDepthFolder();
  frames_.SetProjectFolder(folder);
  frames_.SetImageFolder(RelativeFolder(images, folder));
  frames_.SetDepthFolder(RelativeFolder(depths, folder));
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
  if (options_) options_->Serialize(archive);
}

void ProjectModel::Read(CArchive& archive) {
  Clear();
  frames_.SetProjectFolder(fileStripName(fileMakeAbsolute(archive.GetFilePath())));
  CCustomData record;
  record.Serialize(archive);
  const uint32_t filterId = record.GetUInt(kProjectFilterIdKey, 0);
  frames_.SetImageFolder(record.GetString(kProjectImageFolderKey, ""));
  frames_.SetDepthBitmapAnswer(int(record.GetUInt(kProjectDepthAnswerKey, uint32_t(kDepthAnswerNotAsked))));
  frames_.SetDepthFolder(record.GetString(kProjectDepthFolderKey, ""));
  frames_.SetDepthRootName(record.GetString(kProjectDepthRootKey, ""));
  frames_.SetDepthExtension(record.GetString(kProjectDepthExtensionKey, ""));
  frames_.SetOutputFolder(record.GetString(kProjectOutputFolderKey, ""));
  frames_.SetOutputName(record.GetString(kProjectOutputNameKey, ""));
  frames_.SetImageNames(record.GetStringArray(kProjectImageNamesKey, {}));
  frames_.SetImageView(record.GetString(kProjectImageViewKey, ""));
  track_.Serialize(archive);
  if (!SetFilter(filterId)) throw ProjectFileError(ProjectFileCause::Generic, "the project's filter cannot be found");
  options_->Serialize(archive);
}

void ProjectModel::WriteContent(CArchive& archive) {
  const int frame = track_.GetCurrentFrame();
  track_.SetCurrentFrame(0);
  track_.Serialize(archive);
  track_.SetCurrentFrame(frame);
  if (options_) options_->Serialize(archive);
}

void ProjectModel::ReadContent(CArchive& archive) {
  const int frame = track_.GetCurrentFrame();
  track_.Serialize(archive);
  track_.SetCurrentFrame(frame);
  if (options_) options_->Serialize(archive);
}

void ProjectModel::SetFolders(const ProjectFolders& folders) {
  frames_.SetProjectFolder(folders.project);
  frames_.SetImageFolder(folders.images);
  frames_.SetDepthFolder(folders.depths);
}

void OpenProjectFile(const std::string& path, ProjectModel& model) {
  CArchive archive = OpenArchiveForReading(path);
  model.Read(archive);
}

std::string SaveProjectFile(ProjectModel& model, const std::string& path) {
  // Writing makes the folders relative to the new project folder; a save that fails must
  // leave them as they were.
  const ProjectFolders before = model.GetFolders();
  CArchive archive;
  archive.SetFilePath(path);
  std::string failure;
  try {
    model.Write(archive);
    failure = WriteFileAtomically(path, archive.GetBytes());
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (!failure.empty()) model.SetFolders(before);
  return failure;
}
