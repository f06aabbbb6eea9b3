#include "tools/DepthConversion.h"

#include "platform/framework/FileInfo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"

namespace {
constexpr int kColouredDepth = 2;
}  // namespace

std::string ProposedDepthPictureName(const ProjectModel& project, int frame) {
  CFileInfo image(project.ResolveImageFolder() + project.ImageNameAt(frame));
  return image.GetPath() + image.GetNameWithoutExt() + ".z.tga";
}

std::unique_ptr<CLayerBitmap> DepthPictureOf(const depthBitmap& depth, const DepthModeChoice& mode) {
  return std::make_unique<CLayerBitmap>(
      depth.GetDepthPicture(mode.choice == kColouredDepth ? kRgbBitmap : kGreyBitmap, mode.curve, mode.gamma));
}

bool ConvertZBuffer(ProjectData& project) {
  const CLayerBitmap* image = project.GetCurrentImage();
  const depthBitmap* depth = image ? image->GetLayer<depthBitmap>() : nullptr;
  if (!depth) return false;
  UserInterface& ui = project.UI();
  const auto picture = DepthPictureOf(*depth, Dialogs(ui).AskDepthMode(*depth));
  C2DIo output(ProposedDepthPictureName(project.Model(), project.GetCurrentFrame()), kIoSaving);
  if (!output.FileDialogBox(ui, kDialogPicture)) return false;
  if (!output.PrepareSaving(*picture, 1) || !output.Save(*picture, -1)) {
    ui.Warning(ui.Text(kWarningTitle), output.GetError());
    return false;
  }
  return true;
}
