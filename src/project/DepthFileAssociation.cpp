// How a new project finds its depth files and frames: the image itself, a companion file of
// the same root and number, or a file the user picks; then the frames of the sequence.

#include "project/DepthFileAssociation.h"

#include <algorithm>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/DepthFileNames.h"
#include "project/ProjectData.h"

namespace {


std::string MissingDepthText(const UserInterface& ui, const std::string& root) {
  return ui.Format(kMissingDepthText, root);
}

// Depth naming from one depth file: its folder, name and extension.
void UseDepthFile(ProjectFrames& frames, const std::string& path) {
  CFileInfo depthInfo(path);
  frames.SetDepthFolder(depthInfo.GetPath());
  frames.SetDepthRootName(depthInfo.GetNameWithoutExt());
  frames.SetDepthExtension(depthInfo.GetExtension());
}

// A new project's companion depth file of the same root, or one the user picks.
bool FindCompanionDepthFile(ProjectFrames& frames, UserInterface& ui) {
  for (const std::string& ext : DepthExtensions()) {
    std::string candidate = frames.GetDepthFolder() + frames.GetDepthRootName() + ext;
    if (!fileExists(candidate)) continue;
    if (fileGetClass(candidate) == kClassExr ? !rlaIO::HasChannels(candidate, kDepthBitmap)
                                             : (fileGetClass(candidate) == kClassRla && !CarriesDepth(candidate))) {
      continue;  // a picture file without depth is no depth file
    }
    frames.SetDepthExtension(ext);
    return true;
  }
  if (ui.CanChooseFiles()) {
    ui.Notify(kNoticeProblem, kMissingDepthNotice, ui.Text(kMissingDepthTitle),
              MissingDepthText(ui, frames.GetDepthRootName()) + "<br><br>" + ui.Text(kSelectZBufferFile));
    auto picked =
        ui.ChooseFileToOpen({kClassAllFiles, kDialogAnyFile, ui.Text(kSelectZBufferFile), frames.GetDepthFolder()});
    if (picked && !picked->empty() && !(fileGetClass(*picked) == kClassRla && !CarriesDepth(*picked))) {
      UseDepthFile(frames, fileMakeAbsolute(*picked));
      return true;
    }
  }
  ui.Notify(kNoticeProblem, kMissingDepthNotice, ui.Text(kMissingDepthTitle), MissingDepthText(ui, frames.GetDepthRootName()));
  return false;
}

}  // namespace

bool AssociateDepthFiles(ProjectModel& model, const std::string& chosenPath, const std::string& depthFilePath,
                         UserInterface& ui) {
  ProjectFrames& frames = model.Frames();
  if (chosenPath.empty()) return false;
  // Paths are completed here, once: every folder the project keeps is then complete, and
  // names joined to them are never taken against the current folder again.
  const std::string chosen = fileMakeAbsolute(chosenPath);
  const std::string depthFile = fileMakeAbsolute(depthFilePath);
  // The sequence's folder is listed once for all its frames.
  CFileIo::ListingScope listingScope;
  CFileInfo info(chosen);
  frames.SetDepthBitmapAnswer(kDepthAnswerNotAsked);
  frames.SetProjectFolder({});
  frames.SetImageFolder(info.GetPath());
  frames.SetDepthFolder(info.GetPath());
  frames.SetDepthRootName(info.GetNameWithoutExt());
  frames.SetDepthExtension({});

  if (!depthFile.empty()) {
    if (fileGetClass(depthFile) == kClassRla && !CarriesDepth(depthFile)) {
      ui.Notify(kNoticeProblem, kInvalidDepthNotice, ui.Text(kMissingDepthTitle),
                ui.Format(kAssociatedDepthNotMatching, fileStripPath(depthFile), info.GetCompleteName()) + " " +
                    ui.Text(kHoldsNoDepthChannel));
      return false;
    }
    UseDepthFile(frames, depthFile);
  } else if (ImageCarriesDepth(chosen)) {
    frames.SetDepthExtension(info.GetExtension());
  } else if (!FindCompanionDepthFile(frames, ui)) {
    return false;
  }

  std::vector<std::string> listing;
  bool listed = false;
  int depthNumber = -1;
  int width = 0;
  CFileInfo(frames.GetDepthRootName() + frames.GetDepthExtension()).GetDigitInfo(depthNumber, width, 1);
  if (depthNumber == -1) {
    // One depth file without a frame number belongs to the chosen image alone.
    listed = true;
    if (fileExists(model.DepthFileFor(chosen))) listing.push_back(info.GetCompleteName());
  } else {
    listed = CFileIo::GetFileList(
        chosen, [&model](const std::string& path) { return fileExists(model.DepthFileFor(path)); }, listing);
  }
  if (!listed) {
    ui.Notify(kNoticeProblem, kMissingDepthNotice, ui.Text(kMissingDepthTitle),
              MissingDepthText(ui, frames.GetDepthRootName()));
    return false;
  }
  if (std::find(listing.begin(), listing.end(), info.GetCompleteName()) == listing.end()) {
    // The depth naming holds no file for the chosen image (a depth file of another frame):
    // the project would start from an image the user did not choose.
    ui.Notify(kNoticeProblem, kMissingDepthNotice, ui.Text(kMissingDepthTitle),
              ui.Format(kNoZBufferFile, frames.GetDepthRootName() + frames.GetDepthExtension(), info.GetCompleteName()));
    return false;
  }

  frames.SetImageNames({});
  if (listing.size() <= 1) {
    frames.SetImageNames(listing);
  } else {
    frames.SetImageNames(ui.SelectFilesFromList(listing));
    if (frames.GetImageNames().empty()) return false;
  }
  model.Track().SetMode(frames.GetImageNames().size() > 1 ? kSequenceMode : kSingleImageMode);
  return true;
}

bool ProjectData::IdentifyDepthFiles(const std::string& chosenPath, const std::string& depthFilePath) {
  return AssociateDepthFiles(model_, chosenPath, depthFilePath, ui_) && LoadFrame(model_.GetImageName(0));
}

