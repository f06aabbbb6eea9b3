// Reading a frame into the current image, and finding a reopened project's files again.

#include <future>
#include <optional>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/framework/WorkAside.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"

namespace {

// The filters work on colour: a grey picture becomes colour.
void MakeColour(CLayerBitmap& image) {
  if (image.GetLayerByType(kRgbBitmap) || image.GetLayerByType(kRgbFloatBitmap)) return;
  auto grey = image.DetachBitmap(image.GetStandardLayer()->GetType());
  image.AddLayer(grey->ConvertToType(kRgbBitmap));
}


// Background depths become the farthest depth of the frame; the mask remembers where they
// were, so that the readout can still say "background".
BackgroundMask ReplaceBackground(CLayerBitmap& image) {
  auto* depth = image.GetLayer<depthBitmap>();
  const float* d = depth->GetData();
  BackgroundMask background(depth->GetValueCount());
  bool any = false;
  for (size_t i = 0; i < background.size(); ++i) {
    if (IsBackgroundDepth(d[i])) background[i] = any = true;
  }
  depth->ReplaceBackgroundDepth(depth->GetMaxDepth());
  if (!any) background.clear();
  return background;
}

struct ReadFrame {
  std::unique_ptr<CLayerBitmap> image;
  BackgroundMask background;
  std::optional<DepthRange> range;  // measured on the reading thread too
};

}  // namespace

std::unique_ptr<CLayerBitmap> ProjectData::ReadImage(const std::string& path) {
  if (path.empty()) return nullptr;
  // A bare name is relative to the image folder (rather than to the process's current
  // folder, which other work may rely on). A path with a folder is taken as it is: joining
  // it to the image folder again would look for the folder twice.
  std::string complete = fileStripName(path).empty() ? ResolveImageFolder() + path : path;
  C2DIo reader(complete, kIoWithDepth);
  reader.SetView(frames_.GetImageView());
  std::unique_ptr<CLayerBitmap> image;
  if (reader.PrepareReading() == 1) image = reader.Read();
  if (!image) {
    // The text names the file; the reader's reason follows without naming it again.
    const std::string name = fileStripPath(complete);
    std::string reason = reader.GetError();
    if (reason.rfind(name + ": ", 0) == 0) reason.erase(0, name.size() + 2);
    UI().Warning(LoadString(kWarningTitle), AppendReason(FormatString(kImageFileCannotRead, name), LocalReason(reason)));
    return nullptr;
  }
  Bitmap* standard = image->GetStandardLayer();
  if (!standard) {
    UI().Warning(LoadString(kInvalidFileType), FormatString(kImageDoesNotContain, fileStripPath(complete)));
    return nullptr;
  }
  MakeColour(*image);
  return image;
}

bool ProjectData::LoadFrame(const std::string& imageName) {
  loadCancelled_ = false;
  if (imageName.empty()) return false;
  std::unique_ptr<CLayerBitmap> image;
  BackgroundMask background;
  std::optional<DepthRange> range;
  if (imageName == offeredFrameName_) {
    image = std::move(offeredFrame_);
    background = std::move(offeredBackground_);
    range = offeredRange_;
  }
  // A frame offered under another name is dropped once this one is in place, so that the
  // new frame is never mistaken for it.
  const std::unique_ptr<CLayerBitmap> unused = std::move(offeredFrame_);
  offeredFrameName_.clear();
  offeredBackground_.clear();
  offeredRange_.reset();
  // Quietly first, picture and depth side by side on threads of their own while the window
  // keeps answering; what fails is read again the way that tells the user why.
  if (!image) {
    const FrameFiles files = FrameFilesFor(imageName);
    auto read = RunAside<ReadFrame>(FormatString(kReadingFrame, fileStripPath(imageName)), [files] {
      ReadFrame frame;
      frame.image = ReadFrameFiles(files, &frame.background);
      if (frame.image) frame.range = GetDepthRange(*frame.image);
      return frame;
    });
    if (!read) {
      loadCancelled_ = true;
      return false;
    }
    image = std::move(read->image);
    background = std::move(read->background);
    range = read->range;
  }
  if (!image) {
    image = ReadImage(ResolveImageFolder() + imageName);
    if (!image) return false;
    if (!image->GetLayerByType(kDepthBitmap) && !AttachDepth(imageName, *image)) return false;
    background = ReplaceBackground(*image);
  }
  SetFrameImage(std::move(image), std::move(background));
  depthRange_ = range;
  currentImagePath_ = ResolveImageFolder() + imageName;
  return true;
}

void ProjectData::SetFrameImage(std::unique_ptr<CLayerBitmap> image, BackgroundMask background) {
  currentImage_ = std::move(image);
  background_ = std::move(background);
  depthRange_.reset();
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
  files.depthBitmapAnswer = frames_.GetDepthBitmapAnswer();
  files.view = frames_.GetImageView();
  return files;
}

std::unique_ptr<CLayerBitmap> ProjectData::ReadFrameFiles(const FrameFiles& files, BackgroundMask* background) {
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
  if (!image->GetLayerByType(kDepthBitmap)) {
    if (!AcceptDepthImage(depth.get(), width, height)) return nullptr;
    if (depth->GetLayerByType(kDepthBitmap)) {
      if (depth->GetHeight() != height) return nullptr;
      image->AddLayer(depth->DetachBitmap(kDepthBitmap));
    } else {
      if (files.depthBitmapAnswer == -1) return nullptr;
      image->AddLayer(DepthFromPicture(*depth->GetStandardLayer(), files.depthBitmapAnswer));
    }
  }
  BackgroundMask replaced = ReplaceBackground(*image);
  if (background) *background = std::move(replaced);
  return image;
}

void ProjectData::OfferFrame(const std::string& imageName, std::unique_ptr<CLayerBitmap> image,
                             BackgroundMask background, std::optional<DepthRange> range) {
  offeredRange_ = image ? range : std::nullopt;
  offeredFrameName_ = image ? imageName : std::string();
  offeredFrame_ = std::move(image);
  offeredBackground_ = std::move(background);
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
  else UI().Warning(LoadString(kWarningTitle), LoadString(kTheseImagesCouldNot) + "\n\n" + removed);
  return false;
}

// One pass over the frames. A folder picked by the user sets restart; the pass then stops.
bool ProjectData::CheckProjectFilesOnce(bool& askImages, bool& askDepth, bool& restart, std::string& removed) {
  for (size_t i = 0; i < frames_.GetImageNames().size();) {
    std::string image = ResolveImageFolder() + frames_.GetImageNames()[i];
    if (fileExists(image) && fileExists(DepthFileFor(image))) {
      askImages = askDepth = false;  // the folders are right: no more questions
      ++i;
      continue;
    }
    if (askImages && UI().Ask(LoadString(kSomeImagesCurrentProject), Buttons::YesNo) == Answer::Yes) {
      if (auto folder = UI().ChooseFolder(LoadString(kSelectFolderContainingImages), ResolveImageFolder())) {
        frames_.SetImageFolder(WithTrailingSeparator(fileMakeAbsolute(*folder)));
        askImages = false;
        restart = true;
        return false;
      }
    }
    if (askDepth && UI().Ask(LoadString(kSomeZBufferFiles), Buttons::YesNo) == Answer::Yes) {
      if (auto folder = UI().ChooseFolder(LoadString(kSelectFolderContainingImages), ResolveDepthFolder())) {
        frames_.SetDepthFolder(WithTrailingSeparator(fileMakeAbsolute(*folder)));
        askDepth = false;
        restart = true;
        return false;
      }
    }
    removed += frames_.GetImageNames()[i] + "\n";
    frames_.RemoveImage(i);
  }
  return true;
}
