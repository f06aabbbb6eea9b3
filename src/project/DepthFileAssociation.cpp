// Where a frame's depth comes from: the image itself, a companion file of the same root
// and number, or a depth picture; and how a new project finds its depth files and frames.

#include <algorithm>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"
#include "project/ProgramDialogs.h"

namespace {

constexpr int kNotifyFlags = 32769;
constexpr int kAnyFileDialogFlags = 12288;
constexpr int kReaderDialogFlags = 4096;

std::string ResolveFolder(const std::string& stored, const std::string& base) {
  if (!PathIsRelative(stored)) return stored;
  std::string canonical = PathCanonicalize(base + stored);
  return canonical.empty() ? stored : canonical;
}

bool CarriesDepth(const std::string& path) {
  return fileGetClass(path) == kClassRla && rlaIO::HasChannels(path, kDepthBitmap);
}

// OpenEXR images with a depth channel carry their own depth too.
bool ImageCarriesDepth(const std::string& path) {
  uint32_t fileClass = fileGetClass(path);
  return (fileClass == kClassRla || fileClass == kClassExr || fileClass == kClassQel) &&
         rlaIO::HasChannels(path, kDepthBitmap);
}

// The companion depth extensions, in the order they are tried.
std::vector<std::string> DepthExtensions() {
  std::vector<std::string> list = fileGetExtensionArray(kClassRla);
  list.push_back(fileGetMainExtension(kClassQel));
  list.push_back(fileGetMainExtension(kClassZpic));
  list.push_back(fileGetMainExtension(kClassExr));
  return list;
}

std::string MissingDepthText(const std::string& root) { return FormatString(kMissingDepthText, root); }

}  // namespace

std::string ProjectData::ResolveImageFolder() const {
  return ResolveFolder(frames_.GetImageFolder(), frames_.GetProjectFolder());
}
std::string ProjectData::ResolveDepthFolder() const {
  return ResolveFolder(frames_.GetDepthFolder(), frames_.GetProjectFolder());
}

std::string ProjectData::DepthFileFor(const std::string& imagePath) const {
  if (ImageCarriesDepth(imagePath)) return imagePath;
  return DepthFileForCandidate(imagePath);
}

std::string ProjectData::DepthFileForCandidate(const std::string& imagePath) const {
  int number = -1;
  int width = 0;
  CFileInfo(imagePath).GetDigitInfo(number, width, 0);
  int rootNumber = -1;
  std::string root = CFileInfo(frames_.GetDepthRootName() + frames_.GetDepthExtension()).GetDigitInfo(rootNumber, width, 1);
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

void ProjectData::UseDepthFile(const std::string& path) {
  CFileInfo depthInfo(path);
  frames_.SetDepthFolder(depthInfo.GetPath());
  frames_.SetDepthRootName(depthInfo.GetNameWithoutExt());
  frames_.SetDepthExtension(depthInfo.GetExtension());
}

bool ProjectData::FindCompanionDepthFile() {
  for (const std::string& ext : DepthExtensions()) {
    std::string candidate = frames_.GetDepthFolder() + frames_.GetDepthRootName() + ext;
    if (!fileExists(candidate)) continue;
    if (fileGetClass(candidate) == kClassExr ? !rlaIO::HasChannels(candidate, kDepthBitmap)
                                             : (fileGetClass(candidate) == kClassRla && !CarriesDepth(candidate))) {
      continue;  // a picture file without depth is no depth file
    }
    frames_.SetDepthExtension(ext);
    return true;
  }
  if (UI().CanChooseFiles()) {
    UI().Notify(kNotifyFlags, kMissingDepthNotice, LoadString(kMissingDepthTitle),
                MissingDepthText(frames_.GetDepthRootName()) + "<br><br>" + LoadString(kSelectZBufferFile));
    auto picked = UI().ChooseFileToOpen({kClassAllFiles, kAnyFileDialogFlags, LoadString(kSelectZBufferFile), frames_.GetDepthFolder()});
    if (picked && !picked->empty() && !(fileGetClass(*picked) == kClassRla && !CarriesDepth(*picked))) {
      UseDepthFile(fileMakeAbsolute(*picked));
      return true;
    }
  }
  UI().Notify(kNotifyFlags, kMissingDepthNotice, LoadString(kMissingDepthTitle),
              MissingDepthText(frames_.GetDepthRootName()));
  return false;
}

bool ProjectData::IdentifyDepthFiles(const std::string& chosenPath, const std::string& depthFilePath) {
  if (chosenPath.empty()) return false;
  // Paths are completed here, once: every folder the project keeps is then complete, and
  // names joined to them are never taken against the current folder again.
  const std::string chosen = fileMakeAbsolute(chosenPath);
  const std::string depthFile = fileMakeAbsolute(depthFilePath);
  // The sequence's folder is listed once for all its frames.
  CFileIo::ListingScope listingScope;
  CFileInfo info(chosen);
  frames_.SetDepthBitmapAnswer(-1);
  frames_.SetProjectFolder({});
  frames_.SetImageFolder(info.GetPath());
  frames_.SetDepthFolder(info.GetPath());
  frames_.SetDepthRootName(info.GetNameWithoutExt());
  frames_.SetDepthExtension({});

  if (!depthFile.empty()) {
    if (fileGetClass(depthFile) == kClassRla && !CarriesDepth(depthFile)) {
      UI().Notify(kNotifyFlags, kInvalidDepthNotice, LoadString(kMissingDepthTitle),
                  FormatString(kAssociatedDepthNotMatching, fileStripPath(depthFile), info.GetCompleteName()) + " " + LoadString(kHoldsNoDepthChannel));
      return false;
    }
    UseDepthFile(depthFile);
  } else if (ImageCarriesDepth(chosen)) {
    frames_.SetDepthExtension(info.GetExtension());
  } else if (!FindCompanionDepthFile()) {
    return false;
  }

  std::vector<std::string> listing;
  bool listed = false;
  int depthNumber = -1;
  int width = 0;
  CFileInfo(frames_.GetDepthRootName() + frames_.GetDepthExtension()).GetDigitInfo(depthNumber, width, 1);
  if (depthNumber == -1) {
    // One depth file without a frame number belongs to the chosen image alone.
    listed = true;
    if (fileExists(DepthFileFor(chosen))) listing.push_back(info.GetCompleteName());
  } else {
    listed = CFileIo::GetFileList(chosen, [this](const std::string& path) {
      return fileExists(DepthFileFor(path));
    }, listing);
  }
  if (!listed) {
    UI().Notify(kNotifyFlags, kMissingDepthNotice, LoadString(kMissingDepthTitle), MissingDepthText(frames_.GetDepthRootName()));
    return false;
  }
  if (std::find(listing.begin(), listing.end(), info.GetCompleteName()) == listing.end()) {
    // The depth naming holds no file for the chosen image (a depth file of another frame):
    // the project would start from an image the user did not choose.
    UI().Notify(kNotifyFlags, kMissingDepthNotice, LoadString(kMissingDepthTitle),
                FormatString(kNoZBufferFile, frames_.GetDepthRootName() + frames_.GetDepthExtension(), info.GetCompleteName()));
    return false;
  }

  frames_.SetImageNames({});
  if (listing.size() <= 1) {
    frames_.SetImageNames(listing);
  } else {
    frames_.SetImageNames(UI().SelectFilesFromList(listing));
    if (frames_.GetImageNames().empty()) return false;
  }
  if (!LoadFrame(frames_.GetImageNames().front())) return false;
  track_.SetMode(frames_.GetImageNames().size() > 1 ? kSequenceMode : kSingleImageMode);
  return true;
}

std::unique_ptr<CLayerBitmap> ProjectData::ReadDepthFile(const std::string& path, int width, int height,
                                                        const std::string& view, std::string& reason) {
  if (path.empty()) return nullptr;
  C2DIo reader(path, kIoDepthFile);
  reader.SetView(view);
  std::unique_ptr<CLayerBitmap> depth;
  if (reader.PrepareReading() == 1) {
    reader.SetNeededBitmapSize(width, height);
    depth = reader.Read();
  }
  reason = reader.GetError();
  return depth;
}

bool ProjectData::AcceptDepthImage(const CLayerBitmap* depth, int width, int height) {
  if (!depth || depth->IsEmpty() || depth->GetWidth() != width) return false;
  // A file with neither depth nor a picture (an alpha channel alone) has nothing to give.
  if (!depth->GetLayerByType(kDepthBitmap) && !depth->GetStandardLayer()) return false;
  if (depth->GetHeight() == height) return true;
  // Another height is accepted only from a file that holds both depth and a picture.
  return depth->GetLayerByType(kDepthBitmap) && depth->GetStandardLayer();
}

bool ProjectData::AttachDepth(const std::string& imageName, CLayerBitmap& image) {
  int width = image.GetWidth();
  int height = image.GetHeight();
  std::string depthPath = DepthFileFor(ResolveImageFolder() + imageName);
  std::string reason;
  auto depth = ReadDepthFile(depthPath, width, height, frames_.GetImageView(), reason);

  if (!AcceptDepthImage(depth.get(), width, height)) {
    std::string shownName = depthPath.empty() ? frames_.GetDepthRootName() + frames_.GetDepthExtension() : fileStripPath(depthPath);
    if (!UI().CanChooseFiles()) {
      // Nobody can pick another file: one notice says which file failed and why.
      UI().Notify(kNotifyFlags, kInvalidDepthNotice, LoadString(kMissingDepthTitle),
                  AppendReason(FormatString(kAssociatedDepthNotMatching, shownName, fileStripPath(imageName)), reason));
      return false;
    }
    UI().Notify(kNotifyFlags, kInvalidDepthNotice, LoadString(kMissingDepthTitle),
                AppendReason(FormatString(kDepthFileNotMatching, shownName, fileStripPath(imageName)), reason));
    C2DIo reader(depthPath.empty() ? ResolveDepthFolder() : depthPath, kIoWithDepth);
    depth.reset();
    if (reader.FileDialogBox(kReaderDialogFlags)) {
      depthPath = reader.GetFileName();
      depth = ReadDepthFile(depthPath, width, height, frames_.GetImageView(), reason);
    }
    if (!AcceptDepthImage(depth.get(), width, height)) {
      UI().Warning(LoadString(kInvalidFileType), LoadString(kZBufferFileCannot));
      return false;
    }
  }

  if (depth->GetLayerByType(kDepthBitmap)) {
    // A depth layer of another height (from a file with a picture of its own) cannot be laid
    // over this image: refuse it rather than misplace every row.
    if (depth->GetHeight() != height) {
      UI().Warning(LoadString(kInvalidFileType), LoadString(kZBufferFileCannot));
      return false;
    }
    image.AddLayer(depth->DetachBitmap(kDepthBitmap));
    return true;
  }

  // A picture used as depth: ask once per project whether light is near or far.
  const Bitmap* picture = depth->GetStandardLayer();
  if (frames_.GetDepthBitmapAnswer() == -1) {
    frames_.SetDepthBitmapAnswer(Dialogs().AskDepthType(*picture));
    UI().Notify(1, kBitmapDepthNotice, LoadString(kBitmapFileDetected), FormatString(kZBufferFilePicture, fileStripPath(depthPath)));
  }
  image.AddLayer(DepthFromPicture(*picture, frames_.GetDepthBitmapAnswer()));
  return true;
}

std::unique_ptr<Bitmap> ProjectData::DepthFromPicture(const Bitmap& picture, int answer) {
  std::unique_ptr<Bitmap> grey = picture.ConvertToType(kGreyBitmap);
  return zBitmap::CreateZBitmap(*grey->AsGrey(), answer == 0);
}
