#include "project/FrameSource.h"

#include <tbb/task_arena.h>

#include "platform/framework/FileHelpers.h"
#include "platform/image/ImageIo.h"

void MakeColour(CLayerBitmap& image) {
  if (image.GetLayerByType(kRgbBitmap) || image.GetLayerByType(kRgbFloatBitmap)) return;
  auto grey = image.DetachBitmap(image.GetStandardLayer()->GetType());
  image.AddLayer(grey->ConvertToType(kRgbBitmap));
}

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

std::unique_ptr<CLayerBitmap> ReadDepthFile(const std::string& path, int width, int height, const std::string& view,
                                            std::string& reason) {
  if (path.empty()) return nullptr;
  C2DIo reader(path, kIoDepthFile);
  reader.SetView(view);
  std::unique_ptr<CLayerBitmap> depth;
  if (reader.PrepareReading()) {
    reader.SetNeededBitmapSize(width, height);
    depth = reader.Read();
  }
  reason = reader.GetError();
  return depth;
}

bool AcceptDepthImage(const CLayerBitmap* depth, int width, int height) {
  if (!depth || depth->IsEmpty() || depth->GetWidth() != width) return false;
  // A file with neither depth nor a picture (an alpha channel alone) has nothing to give.
  if (!depth->GetLayerByType(kDepthBitmap) && !depth->GetStandardLayer()) return false;
  if (depth->GetHeight() == height) return true;
  // Another height is accepted only from a file that holds both depth and a picture.
  return depth->GetLayerByType(kDepthBitmap) && depth->GetStandardLayer();
}

std::unique_ptr<Bitmap> DepthFromPicture(const Bitmap& picture, int answer) {
  std::unique_ptr<Bitmap> grey = picture.ConvertToType(kGreyBitmap);
  return zBitmap::CreateZBitmap(*grey->AsGrey(), answer == 0);
}

namespace {

FrameRead Failed(std::string why) { return {nullptr, std::move(why)}; }

// The depth of a picture without depth of its own, from its depth file's content.
std::string AddDepth(CLayerBitmap& image, std::unique_ptr<CLayerBitmap> depth, const FrameFiles& files,
                     const std::string& reason) {
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  const std::string depthName = files.depthPath.empty() ? std::string("its depth file") : fileStripPath(files.depthPath);
  if (!AcceptDepthImage(depth.get(), width, height)) {
    return depthName + " cannot give the depth of " + files.imageName + (reason.empty() ? "" : ": " + reason);
  }
  if (depth->GetLayerByType(kDepthBitmap)) {
    // A depth layer of another height (from a file with a picture of its own) cannot be laid
    // over this image.
    if (depth->GetHeight() != height) return depthName + " is not the size of " + files.imageName;
    image.AddLayer(depth->DetachBitmap(kDepthBitmap));
    return {};
  }
  if (files.depthBitmapAnswer == -1) return depthName + " is a picture nobody said how to read as depth";
  image.AddLayer(DepthFromPicture(*depth->GetStandardLayer(), files.depthBitmapAnswer));
  return {};
}

}  // namespace

FrameRead ReadFrame(const FrameFiles& files) {
  if (files.imagePath.empty()) return Failed("no such frame");
  C2DIo reader(files.imagePath, kIoWithDepth);
  reader.SetView(files.view);
  if (!reader.PrepareReading()) return Failed(reader.GetError());
  const int width = reader.GetFileWidth();
  const int height = reader.GetFileHeight();
  // A picture without depth of its own has its depth file read on another thread meanwhile.
  std::future<std::unique_ptr<CLayerBitmap>> depthRead;
  std::string depthReason;
  if (!reader.GetFileInfo().channels.depth) {
    depthRead = std::async(std::launch::async, [&files, &depthReason, width, height] {
      return ReadDepthFile(files.depthPath, width, height, files.view, depthReason);
    });
  }
  auto image = reader.Read();
  auto depth = depthRead.valid() ? depthRead.get() : nullptr;
  if (!image) return Failed(reader.GetError());
  if (!image->GetStandardLayer() || image->GetWidth() != width || image->GetHeight() != height) {
    return Failed(files.imageName + " holds no picture");
  }
  MakeColour(*image);
  if (!image->GetLayerByType(kDepthBitmap)) {
    std::string why = AddDepth(*image, std::move(depth), files, depthReason);
    if (!why.empty()) return Failed(why);
  }
  auto frame = std::make_unique<Frame>();
  frame->background = ReplaceBackground(*image);
  frame->range = GetDepthRange(*image);
  frame->image = std::move(image);
  return {std::move(frame), {}};
}

FrameReadAhead::~FrameReadAhead() { Drop(); }

void FrameReadAhead::Drop() {
  if (read_.valid()) read_.wait();
  read_ = {};
  imagePath_.clear();
}

void FrameReadAhead::Start(FrameFiles files) {
  Drop();
  if (files.imagePath.empty()) return;
  imagePath_ = files.imagePath;
  read_ = std::async(std::launch::async, [files = std::move(files)] {
    FrameRead read;
    // The reading keeps to its own thread: the scans over the frame's depths that would spread
    // over all cores would take the render's threads from the frame being rendered.
    tbb::task_arena alone(1);
    alone.execute([&] {
      try {
        read = ReadFrame(files);
      } catch (const std::exception& e) {
        read = Failed(e.what());
      }
    });
    return read;
  });
}

FrameRead FrameReadAhead::Take(const FrameFiles& files) {
  if (read_.valid() && files.imagePath == imagePath_) {
    FrameRead read = read_.get();
    imagePath_.clear();
    return read;
  }
  Drop();
  return ReadFrame(files);
}
