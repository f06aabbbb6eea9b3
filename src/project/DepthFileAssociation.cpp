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

namespace {

constexpr int kNotifyFlags = 32769;
constexpr int kMissingDepthNotice = 6000;
constexpr int kInvalidDepthNotice = 6001;
constexpr int kBitmapDepthNotice = 6002;
constexpr int kAnyFileDialogFlags = 12288;
constexpr int kReaderDialogFlags = 4096;

std::string ResolveFolder(const std::string& stored, const std::string& projectFolder) {
  if (!PathIsRelative(stored)) return stored;
  std::string canonical = PathCanonicalize(projectFolder + stored);
  return canonical.empty() ? stored : canonical;
}

bool CarriesDepth(const std::string& path) {
  return fileGetClass(path) == kClassRla && rlaIO::HasChannels(path, kFloatBitmap);
}

// OpenEXR images with a depth channel carry their own depth too.
bool ImageCarriesDepth(const std::string& path) {
  uint32_t fileClass = fileGetClass(path);
  return (fileClass == kClassRla || fileClass == kClassExr || fileClass == kClassQel) &&
         rlaIO::HasChannels(path, kFloatBitmap);
}

// The companion depth extensions, in the order they are tried.
std::vector<std::string> DepthExtensions() {
  std::vector<std::string> list = fileGetExtensionArray(kClassRla);
  list.push_back(fileGetMainExtension(kClassQel));
  list.push_back(fileGetMainExtension(kClassZpic));
  list.push_back(fileGetMainExtension(kClassExr));
  return list;
}

std::string MissingDepthText(const std::string& root) { return FormatString(2143, root); }

}  // namespace

std::string ProjectData::ResolveImageFolder() const { return ResolveFolder(imageFolder, projectFolder); }
std::string ProjectData::ResolveDepthFolder() const { return ResolveFolder(depthFolder, projectFolder); }

std::string ProjectData::DepthFileFor(const std::string& imagePath) const {
  if (ImageCarriesDepth(imagePath)) return imagePath;
  return DepthFileForCandidate(imagePath);
}

std::string ProjectData::DepthFileForCandidate(const std::string& imagePath) const {
  int number = -1;
  int width = 0;
  CFileInfo(imagePath).GetDigitInfo(number, width, 0);
  int rootNumber = -1;
  std::string root = CFileInfo(depthRootName + depthExtension).GetDigitInfo(rootNumber, width, 1);
  return CFileIo::FindMatchingFile(ResolveDepthFolder(), root, depthExtension, number);
}

bool ProjectData::IdentifyDepthFiles(const std::string& chosen, const std::string& depthFile) {
  if (chosen.empty()) return false;
  CFileInfo info(chosen);
  depthBitmapAnswer = -1;
  projectFolder.clear();
  imageFolder = depthFolder = info.GetPath();
  depthRootName = info.GetNameWithoutExt();
  depthExtension.clear();

  if (!depthFile.empty()) {
    if (fileGetClass(depthFile) == kClassRla && !CarriesDepth(depthFile)) return false;
    CFileInfo depthInfo(depthFile);
    depthFolder = depthInfo.GetPath();
    depthRootName = depthInfo.GetNameWithoutExt();
    depthExtension = depthInfo.GetExtension();
  } else if (ImageCarriesDepth(chosen)) {
    depthExtension = info.GetExtension();
  } else {
    for (const std::string& ext : DepthExtensions()) {
      std::string candidate = depthFolder + depthRootName + ext;
      if (!fileExists(candidate)) continue;
      if (fileGetClass(candidate) == kClassExr ? !rlaIO::HasChannels(candidate, kFloatBitmap)
                                               : (fileGetClass(candidate) == kClassRla && !CarriesDepth(candidate))) {
        continue;  // a picture file without depth is no depth file
      }
      depthExtension = ext;
      break;
    }
  }

  if (depthExtension.empty()) {
    UI().Notify(kNotifyFlags, kMissingDepthNotice, LoadString(2144),
                MissingDepthText(depthRootName) + "<br><br>" + LoadString(2209));
    auto picked = UI().ChooseFileToOpen({kClassAllFiles, kAnyFileDialogFlags, LoadString(2209), depthFolder});
    if (picked && !picked->empty() && !(fileGetClass(*picked) == kClassRla && !CarriesDepth(*picked))) {
      CFileInfo depthInfo(*picked);
      depthFolder = depthInfo.GetPath();
      depthRootName = depthInfo.GetNameWithoutExt();
      depthExtension = depthInfo.GetExtension();
    }
  }
  if (depthExtension.empty()) {
    UI().Notify(kNotifyFlags, kMissingDepthNotice, LoadString(2144), MissingDepthText(depthRootName));
    return false;
  }

  std::vector<std::string> listing;
  bool listed = CFileIo::GetFileList(chosen, [this](const std::string& path) {
    return fileExists(DepthFileFor(path));
  }, listing);
  if (!listed) {
    UI().Notify(kNotifyFlags, kMissingDepthNotice, LoadString(2144), MissingDepthText(depthRootName));
    return false;
  }

  imageNames_.clear();
  if (listing.size() <= 1) {
    imageNames_ = listing;
  } else {
    imageNames_ = UI().SelectFilesFromList(listing);
    if (imageNames_.empty()) return false;
  }
  if (imageNames_.empty() || !LoadFrame(imageNames_.front())) return false;
  track_.SetMode(imageNames_.size() > 1 ? kSequenceMode : kSingleImageMode);
  return true;
}

std::unique_ptr<CLayerBitmap> ProjectData::ReadDepthFile(const std::string& path, int width, int height) {
  if (path.empty()) return nullptr;
  C2DIo reader(path, kIoWithDepth);
  if (reader.PrepareReading() != 1) return nullptr;
  reader.SetNeededBitmapSize(width, height);
  return reader.Read();
}

bool ProjectData::AcceptDepthImage(const CLayerBitmap* depth, int width, int height) {
  if (!depth || depth->IsEmpty() || depth->GetWidth() != width) return false;
  if (depth->GetHeight() == height) return true;
  // Another height is accepted only from a file that holds both depth and a picture.
  return depth->GetLayerByType(kFloatBitmap) && depth->GetStandardLayer();
}

bool ProjectData::AttachDepth(const std::string& imageName, CLayerBitmap& image) {
  int width = image.GetWidth();
  int height = image.GetHeight();
  std::string depthPath = DepthFileFor(ResolveImageFolder() + imageName);
  auto depth = ReadDepthFile(depthPath, width, height);

  if (!AcceptDepthImage(depth.get(), width, height)) {
    std::string shownName = depthPath.empty() ? depthRootName + depthExtension : fileStripPath(depthPath);
    UI().Notify(kNotifyFlags, kInvalidDepthNotice, LoadString(2144),
                FormatString(2191, shownName, fileStripPath(imageName)));
    C2DIo reader(depthPath.empty() ? ResolveDepthFolder() : depthPath, kIoWithDepth);
    depth.reset();
    if (reader.FileDialogBox(kReaderDialogFlags)) {
      depthPath = reader.GetFileName();
      depth = ReadDepthFile(depthPath, width, height);
    }
    if (!AcceptDepthImage(depth.get(), width, height)) {
      UI().Warning(LoadString(2190), LoadString(2188));
      return false;
    }
  }

  if (depth->GetLayerByType(kFloatBitmap)) {
    // A depth layer of another height (from a file with a picture of its own) cannot be laid
    // over this image: refuse it rather than misplace every row.
    if (depth->GetHeight() != height) {
      UI().Warning(LoadString(2190), LoadString(2188));
      return false;
    }
    image.CopyLayers(*depth, kFloatBitmap);
    return true;
  }

  // A picture used as depth: ask once per project whether light is near or far.
  const Bitmap* picture = depth->GetStandardLayer();
  if (depthBitmapAnswer == -1) {
    depthBitmapAnswer = UI().AskDepthType(*picture);
    UI().Notify(1, kBitmapDepthNotice, LoadString(2197), FormatString(2170, fileStripPath(depthPath)));
  }
  image.AddLayer(DepthFromPicture(*picture, depthBitmapAnswer));
  return true;
}

std::unique_ptr<Bitmap> ProjectData::DepthFromPicture(const Bitmap& picture, int depthBitmapAnswer) {
  std::unique_ptr<Bitmap> grey = picture.ConvertToType(kGreyBitmap);
  return zBitmap::CreateZBitmap(*grey->AsGrey(), depthBitmapAnswer == 0);
}
