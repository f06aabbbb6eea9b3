#include "tools/DepthConversion.h"

#include "platform/framework/FileInfo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"
#include "project/ProgramDialogs.h"

namespace {
constexpr int kSaveDialogFlags = 0x1000;
}

std::string ProposedDepthPictureName(const ProjectData& project) {
  const KeyframeTrack& track = project.GetTrack();
  int index = track.GetMode() == kSequenceMode ? track.GetCurrentFrame() : 0;
  CFileInfo image(project.ResolveImageFolder() + project.GetImageName(index));
  return image.GetPath() + image.GetNameWithoutExt() + ".z.tga";
}

bool ConvertZBuffer(ProjectData& project) {
  const CLayerBitmap* image = project.GetCurrentImage();
  const depthBitmap* depth = image ? image->GetLayer<depthBitmap>() : nullptr;
  if (!depth) return false;
  DepthModeChoice choice = Dialogs().AskDepthMode(*depth);
  CLayerBitmap picture(depth->GetDepthPicture(choice.choice == 1 ? kGreyBitmap : kRgbBitmap, choice.curve, choice.gamma));

  C2DIo output(ProposedDepthPictureName(project), kIoSaving);
  if (!output.FileDialogBox(kSaveDialogFlags)) return false;
  if (output.PrepareSaving(picture, 1) != 1 || !output.Save(picture, -1)) {
    UI().Warning(LoadString(kWarningTitle), output.GetError());
    return false;
  }
  return true;
}
