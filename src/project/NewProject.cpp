#include "project/NewProject.h"

#include "project/DepthFileAssociation.h"
#include "project/FrameAsking.h"
#include "project/ProjectModel.h"

std::unique_ptr<Frame> ReadFirstFrame(ProjectModel& model, const std::string& imagePath, const std::string& depthPath,
                                      UserInterface& ui) {
  if (!AssociateDepthFiles(model, imagePath, depthPath, ui)) return nullptr;
  // Quietly first; what fails is read again the way that tells the user why.
  const std::string first = model.GetImageName(0);
  std::unique_ptr<Frame> frame = ReadFrame(model.FrameFilesFor(first)).frame;
  return frame ? std::move(frame) : ReadFrameTellingUser(model, first, ui);
}

std::unique_ptr<Frame> StartProject(ProjectModel& model, const std::string& imagePath, const std::string& depthPath,
                                    uint32_t filterId, UserInterface& ui) {
  auto frame = ReadFirstFrame(model, imagePath, depthPath, ui);
  if (!frame || !model.SetFilter(filterId)) return nullptr;
  auto settings = model.NewSettings();
  settings->Reset(*frame->image);
  model.Track().SetKeyframe(0, *settings);
  model.Track().SetCurrentFrame(0);
  return frame;
}
