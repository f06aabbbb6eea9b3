// Reading a frame into the current image, and finding a reopened project's files again.

#include <future>
#include <optional>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"

namespace {

// The filters work on colour: a grey picture becomes colour.
void MakeColour(CLayerBitmap& image) {
  if (image.GetLayerByType(kRgbBitmap)) return;
  auto grey = image.DetachBitmap(image.GetStandardLayer()->GetType());
  image.AddLayer(grey->ConvertToType(kRgbBitmap));
}

// Background depths become the farthest depth of the frame.
void ReplaceBackground(CLayerBitmap& image) {
  auto* depth = image.GetLayer<floatBitmap>();
  depth->ReplaceBackgroundDepth(depth->GetMaxDepth());
}

}  // namespace

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
  MakeColour(*image);
  return image;
}

bool ProjectData::LoadFrame(const std::string& imageName) {
  if (imageName.empty()) return false;
  std::unique_ptr<CLayerBitmap> image;
  if (imageName == offeredFrameName_) image = std::move(offeredFrame_);
  offeredFrameName_.clear();
  offeredFrame_.reset();
  // Quietly first, picture and depth side by side; what fails is read again the way that
  // tells the user why.
  if (!image) image = ReadFrameFiles(FrameFilesFor(imageName));
  if (!image) {
    image = ReadImage(ResolveImageFolder() + imageName);
    if (!image) return false;
    if (!image->GetLayerByType(kFloatBitmap) && !AttachDepth(imageName, *image)) return false;
    ReplaceBackground(*image);
  }
  currentImage_ = std::move(image);
  currentImagePath_ = ResolveImageFolder() + imageName;
  return true;
}

bool ProjectData::HoldsFrame(const std::string& imageName) const {
  return currentImage_ && !imageName.empty() && ResolveImageFolder() + imageName == currentImagePath_;
}

FrameFiles ProjectData::GetFrameFiles(int index) const { return FrameFilesFor(GetImageName(index)); }

FrameFiles ProjectData::FrameFilesFor(const std::string& imageName) const {
  FrameFiles files;
  files.imageName = imageName;
  if (files.imageName.empty()) return files;
  std::string path = ResolveImageFolder() + files.imageName;
  files.imagePath = path;
  files.depthPath = DepthFileFor(path);
  files.depthBitmapAnswer = depthBitmapAnswer;
  files.view = imageView;
  return files;
}

std::unique_ptr<CLayerBitmap> ProjectData::ReadFrameFiles(const FrameFiles& files) {
  if (files.imagePath.empty()) return nullptr;
  C2DIo reader(files.imagePath, kIoWithDepth);
  reader.SetView(files.view);
  if (reader.PrepareReading() != 1) return nullptr;
  const int width = reader.GetFileWidth();
  const int height = reader.GetFileHeight();
  // A picture without depth of its own has its depth file read on another thread meanwhile.
  std::future<std::unique_ptr<CLayerBitmap>> depthRead;
  if (!reader.GetFileInfo().channels.depth) {
    depthRead = std::async(std::launch::async, [&files, width, height] {
      std::string reason;
      return ReadDepthFile(files.depthPath, width, height, files.view, reason);
    });
  }
  auto image = reader.Read();
  auto depth = depthRead.valid() ? depthRead.get() : nullptr;
  if (!image || !image->GetStandardLayer() || image->GetWidth() != width || image->GetHeight() != height) {
    return nullptr;
  }
  MakeColour(*image);
  if (!image->GetLayerByType(kFloatBitmap)) {
    if (!AcceptDepthImage(depth.get(), width, height)) return nullptr;
    if (depth->GetLayerByType(kFloatBitmap)) {
      if (depth->GetHeight() != height) return nullptr;
      image->CopyLayers(*depth, kFloatBitmap);
    } else {
      if (files.depthBitmapAnswer == -1) return nullptr;
      image->AddLayer(DepthFromPicture(*depth->GetStandardLayer(), files.depthBitmapAnswer));
    }
  }
  ReplaceBackground(*image);
  return image;
}

void ProjectData::OfferFrame(const std::string& imageName, std::unique_ptr<CLayerBitmap> image) {
  offeredFrameName_ = image ? imageName : std::string();
  offeredFrame_ = std::move(image);
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
