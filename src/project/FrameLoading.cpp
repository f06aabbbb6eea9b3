// Reading a frame into the current image, and finding a reopened project's files again.

#include <optional>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/WorkAside.h"
#include "project/FrameAsking.h"
#include "project/ProjectData.h"

bool ProjectData::LoadFrame(const std::string& imageName) {
  loadCancelled_ = false;
  if (imageName.empty()) return false;
  // Quietly first, picture and depth side by side on threads of their own while the window
  // keeps answering; what fails is read again the way that tells the user why.
  const FrameFiles files = model_.FrameFilesFor(imageName);
  auto read = RunAside<std::shared_ptr<FrameRead>>(ui_, abandoned_, ui_.Format(kReadingFrame, fileStripPath(imageName)),
                                                   [files] { return std::make_shared<FrameRead>(ReadFrame(files)); });
  if (!read) {
    loadCancelled_ = true;
    return false;
  }
  std::unique_ptr<Frame> frame = std::move((*read)->frame);
  if (!frame) frame = ReadFrameTellingUser(model_, imageName, ui_);
  if (!frame) return false;
  SetFrameImage(std::move(frame->image), std::move(frame->background));
  depthRange_ = frame->range;
  currentImagePath_ = model_.ResolveImageFolder() + imageName;
  return true;
}

void ProjectData::SetFrameImage(std::unique_ptr<CLayerBitmap> image, BackgroundMask background) {
  currentImage_ = std::move(image);
  background_ = std::move(background);
  depthRange_.reset();
}

void ProjectData::SetCurrentImage(std::unique_ptr<CLayerBitmap> image, BackgroundMask background) {
  SetFrameImage(std::move(image), std::move(background));
  currentImagePath_.clear();
}

const DepthRange& ProjectData::GetCurrentDepthRange() const {
  if (!depthRange_) depthRange_ = currentImage_ ? GetDepthRange(*currentImage_) : DepthRange{};
  return *depthRange_;
}

bool ProjectData::IsBackgroundAt(int x, int y) const {
  if (!currentImage_ || background_.empty() || x < 0 || y < 0 || x >= currentImage_->GetWidth() ||
      y >= currentImage_->GetHeight()) {
    return false;
  }
  return background_[size_t(y) * size_t(currentImage_->GetWidth()) + size_t(x)];
}

bool ProjectData::HoldsFrame(const std::string& imageName) const {
  return currentImage_ && !imageName.empty() && model_.ResolveImageFolder() + imageName == currentImagePath_;
}

bool ProjectData::CheckProjectFiles(bool askImages, bool askDepth, std::string* missing) {
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
  if (missing) *missing = removed;
  else ui_.Warning(ui_.Text(kWarningTitle), ui_.Text(kTheseImagesCouldNot) + "\n\n" + removed);
  return false;
}

// One pass over the frames. A folder picked by the user sets restart; the pass then stops.
bool ProjectData::CheckProjectFilesOnce(bool& askImages, bool& askDepth, bool& restart, std::string& removed) {
  ProjectFrames& frames = model_.Frames();
  for (size_t i = 0; i < frames.GetImageNames().size();) {
    std::string image = model_.ResolveImageFolder() + frames.GetImageNames()[i];
    if (fileExists(image) && fileExists(model_.DepthFileFor(image))) {
      askImages = askDepth = false;  // the folders are right: no more questions
      ++i;
      continue;
    }
    if (askImages && ui_.Ask(ui_.Text(kSomeImagesCurrentProject), Buttons::YesNo) == Answer::Yes) {
      if (auto folder = ui_.ChooseFolder(ui_.Text(kSelectFolderContainingImages), model_.ResolveImageFolder())) {
        frames.SetImageFolder(WithTrailingSeparator(fileMakeAbsolute(*folder)));
        askImages = false;
        restart = true;
        return false;
      }
    }
    if (askDepth && ui_.Ask(ui_.Text(kSomeZBufferFiles), Buttons::YesNo) == Answer::Yes) {
      if (auto folder = ui_.ChooseFolder(ui_.Text(kSelectFolderContainingImages), model_.ResolveDepthFolder())) {
        frames.SetDepthFolder(WithTrailingSeparator(fileMakeAbsolute(*folder)));
        askDepth = false;
        restart = true;
        return false;
      }
    }
    removed += frames.GetImageNames()[i] + "\n";
    frames.RemoveImage(i);
  }
  return true;
}
