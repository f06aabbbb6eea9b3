#include "project/FrameAsking.h"

#include "platform/framework/FileHelpers.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProgramDialogs.h"
#include "project/ProjectModel.h"

namespace {

// An image with a colour layer, or null (the user was told why).
std::unique_ptr<CLayerBitmap> ReadImage(const ProjectModel& model, const std::string& path, UserInterface& ui) {
  if (path.empty()) return nullptr;
  // A bare name is relative to the image folder (rather than to the process's current
  // folder, which other work may rely on). A path with a folder is taken as it is: joining
  // it to the image folder again would look for the folder twice.
  const std::string complete = fileStripName(path).empty() ? model.ResolveImageFolder() + path : path;
  C2DIo reader(complete, kIoWithDepth);
  reader.SetView(model.Frames().GetImageView());
  std::unique_ptr<CLayerBitmap> image;
  if (reader.PrepareReading()) image = reader.Read();
  if (!image) {
    // The text names the file; the reader's reason follows without naming it again.
    const std::string name = fileStripPath(complete);
    std::string reason = reader.GetError();
    if (reason.rfind(name + ": ", 0) == 0) reason.erase(0, name.size() + 2);
    ui.Warning(ui.Text(kWarningTitle), AppendReason(ui.Format(kImageFileCannotRead, name), ui.Reason(reason)));
    return nullptr;
  }
  if (!image->GetStandardLayer()) {
    ui.Warning(ui.Text(kInvalidFileType), ui.Format(kImageDoesNotContain, fileStripPath(complete)));
    return nullptr;
  }
  MakeColour(*image);
  return image;
}

// Adds the depth layer of an image read without one; false when it has none (the user was
// told why).
bool AttachDepth(ProjectModel& model, const std::string& imageName, CLayerBitmap& image, UserInterface& ui) {
  const ProjectFrames& frames = model.Frames();
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  std::string depthPath = model.DepthFileFor(model.ResolveImageFolder() + imageName);
  std::string reason;
  auto depth = ReadDepthFile(depthPath, width, height, frames.GetImageView(), reason);

  if (!AcceptDepthImage(depth.get(), width, height)) {
    const std::string shownName =
        depthPath.empty() ? frames.GetDepthRootName() + frames.GetDepthExtension() : fileStripPath(depthPath);
    if (!ui.CanChooseFiles()) {
      // Nobody can pick another file: one notice says which file failed and why.
      ui.Notify(kNoticeProblem, kInvalidDepthNotice, ui.Text(kMissingDepthTitle),
                AppendReason(ui.Format(kAssociatedDepthNotMatching, shownName, fileStripPath(imageName)), reason));
      return false;
    }
    ui.Notify(kNoticeProblem, kInvalidDepthNotice, ui.Text(kMissingDepthTitle),
              AppendReason(ui.Format(kDepthFileNotMatching, shownName, fileStripPath(imageName)), reason));
    C2DIo reader(depthPath.empty() ? model.ResolveDepthFolder() : depthPath, kIoWithDepth);
    depth.reset();
    if (reader.FileDialogBox(ui, kDialogPicture)) {
      depthPath = reader.GetFileName();
      depth = ReadDepthFile(depthPath, width, height, frames.GetImageView(), reason);
    }
    if (!AcceptDepthImage(depth.get(), width, height)) {
      ui.Warning(ui.Text(kInvalidFileType), ui.Text(kZBufferFileCannot));
      return false;
    }
  }

  if (depth->GetLayerByType(kDepthBitmap)) {
    // A depth layer of another height (from a file with a picture of its own) cannot be laid
    // over this image: refuse it rather than misplace every row.
    if (depth->GetHeight() != height) {
      ui.Warning(ui.Text(kInvalidFileType), ui.Text(kZBufferFileCannot));
      return false;
    }
    image.AddLayer(depth->DetachBitmap(kDepthBitmap));
    return true;
  }

  // A picture used as depth: ask once per project whether light is near or far.
  const Bitmap* picture = depth->GetStandardLayer();
  if (frames.GetDepthBitmapAnswer() == kDepthAnswerNotAsked) {
    model.Frames().SetDepthBitmapAnswer(Dialogs(ui).AskDepthType(*picture));
    ui.Notify(kNoticeInformation, kBitmapDepthNotice, ui.Text(kBitmapFileDetected),
              ui.Format(kZBufferFilePicture, fileStripPath(depthPath)));
  }
  image.AddLayer(DepthFromPicture(*picture, frames.GetDepthBitmapAnswer()));
  return true;
}

}  // namespace

std::unique_ptr<Frame> ReadFrameTellingUser(ProjectModel& model, const std::string& imageName, UserInterface& ui) {
  auto image = ReadImage(model, model.ResolveImageFolder() + imageName, ui);
  if (!image) return nullptr;
  if (!image->GetLayerByType(kDepthBitmap) && !AttachDepth(model, imageName, *image, ui)) return nullptr;
  auto frame = std::make_unique<Frame>();
  frame->background = ReplaceBackground(*image);
  frame->range = GetDepthRange(*image);
  frame->image = std::move(image);
  return frame;
}
