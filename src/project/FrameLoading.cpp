// Reading a frame into the current image, and finding a reopened project's files again.

#include <optional>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"

std::unique_ptr<CLayerBitmap> ProjectData::ReadImage(const std::string& path) {
  if (path.empty()) return nullptr;
  // A bare name is relative to the image folder (rather than to the process's current
  // folder, which other work may rely on). A path with a folder is taken as it is: joining
  // it to the image folder again would look for the folder twice.
  std::string complete = fileStripName(path).empty() ? ResolveImageFolder() + path : path;
  C2DIo reader(complete, kIoWithDepth);
  reader.SetView(imageView);
  std::unique_ptr<CLayerBitmap> image;
  if (reader.PrepareReading() == 1) image = reader.Read();
  if (!image) {
    UI().Warning(LoadString(7354), AppendReason(LoadString(5124), reader.GetError()));
    return nullptr;
  }
  Bitmap* standard = image->GetStandardLayer();
  if (!standard) {
    UI().Warning(LoadString(2190), FormatString(2193, fileStripPath(complete)));
    return nullptr;
  }
  if (!image->GetLayerByType(kRgbBitmap)) {
    auto grey = image->DetachBitmap(standard->GetType());
    image->AddLayer(grey->ConvertToType(kRgbBitmap));
  }
  return image;
}

bool ProjectData::LoadFrame(const std::string& imageName) {
  if (imageName.empty()) return false;
  auto image = ReadImage(ResolveImageFolder() + imageName);
  if (!image) return false;
  if (!image->GetLayerByType(kFloatBitmap) && !AttachDepth(imageName, *image)) return false;
  auto* depth = image->GetLayer<floatBitmap>();
  depth->ReplaceBackgroundDepth(depth->GetMaxDepth());
  currentImage_ = std::move(image);
  return true;
}

bool ProjectData::CheckProjectFiles(bool askImages, bool askDepth) {
  // Every removed name is listed, also those removed before a folder was picked again.
  std::string removed;
  // Each folder is listed once for all the frames (again after the user picked another).
  std::optional<CFileIo::ListingScope> listingScope;
  bool restart = true;
  while (restart) {
    restart = false;
    listingScope.reset();
    listingScope.emplace();
    CheckProjectFilesOnce(askImages, askDepth, restart, removed);
  }
  if (removed.empty()) return true;
  UI().Warning(LoadString(7354), LoadString(5125) + "\n\n" + removed);
  return false;
}

// One pass over the frames. A folder picked by the user sets restart; the pass then stops.
bool ProjectData::CheckProjectFilesOnce(bool& askImages, bool& askDepth, bool& restart, std::string& removed) {
  for (size_t i = 0; i < imageNames_.size();) {
    std::string image = ResolveImageFolder() + imageNames_[i];
    if (fileExists(image) && fileExists(DepthFileFor(image))) {
      askImages = askDepth = false;  // the folders are right: no more questions
      ++i;
      continue;
    }
    if (askImages && UI().Ask(LoadString(2147), Buttons::YesNo) == Answer::Yes) {
      if (auto folder = UI().ChooseFolder(LoadString(2186), ResolveImageFolder())) {
        imageFolder = WithTrailingSeparator(fileMakeAbsolute(*folder));
        askImages = false;
        restart = true;
        return false;
      }
    }
    if (askDepth && UI().Ask(LoadString(2148), Buttons::YesNo) == Answer::Yes) {
      if (auto folder = UI().ChooseFolder(LoadString(2186), ResolveDepthFolder())) {
        depthFolder = WithTrailingSeparator(fileMakeAbsolute(*folder));
        askDepth = false;
        restart = true;
        return false;
      }
    }
    removed += imageNames_[i] + "\n";
    imageNames_.erase(imageNames_.begin() + long(i));
  }
  return true;
}
