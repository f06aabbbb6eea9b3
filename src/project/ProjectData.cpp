#include "project/ProjectData.h"

#include "platform/framework/StringTable.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectFilter.h"

ProjectData::ProjectData(UserInterface& ui) : ui_(ui), view_(*this), history_(*this) {}

ProjectData::~ProjectData() = default;

ImageViewport& ProjectData::Viewport() const { return frame_ ? frame_->GetViewport() : silentViewport_; }

void ProjectData::MarkModified(bool modified) const {
  if (frame_) frame_->SetModifiedFlag(modified);
}

bool ProjectData::LoadFrameAt(int index) {
  if (!model_.IsSequence()) return true;
  if (index < 0 || index >= model_.GetImageCount()) return false;
  if (LoadFrame(model_.GetImageName(index))) return true;
  // A read the user cancelled says nothing against the image.
  if (!loadCancelled_) model_.Frames().RemoveImage(size_t(index));
  return false;
}

int ProjectData::GoToFrame(int to, bool force) {
  KeyframeTrack& track = model_.Track();
  const int from = track.GetCurrentFrame();
  if (from == to && !force) return from;
  if (model_.IsSequence() && from != to && !LoadFrameAt(to)) {
    // Cancelled by the user: the frame on show stays, and so does everything else.
    if (loadCancelled_) return from;
    // Keyframe 0 holds the settings every later frame starts from: it stays.
    if (to != 0) track.RemoveKeyframe(to);
    FallBackToFirstFrame();
    return track.GetCurrentFrame();
  }
  track.SetCurrentFrame(to);
  if (filter_) filter_->GoToFrame(to);
  if (from != to) NotifyChanged(kChangeFrame);
  return to;
}

void ProjectData::FallBackToFirstFrame() {
  // Frame 0 is tried once, directly: going through GoToFrame would come back here when it
  // fails too.
  if (LoadFrameAt(0)) {
    model_.Track().SetCurrentFrame(0);
    if (filter_) filter_->GoToFrame(0);
    NotifyChanged(kChangeFrame);
    return;
  }
  // No frame can be shown: a half-loaded project would render the wrong image.
  ui_.Warning(ui_.Text(kWarningTitle), ui_.Text(kNoneProjectsFramesCan));
  CloseProject(filter_);
}

void ProjectData::SetOutput(const std::string& folder, const std::string& name) {
  ProjectFrames& frames = model_.Frames();
  if (folder == frames.GetOutputFolder() && name == frames.GetOutputName()) return;
  MarkModified(true);
  frames.SetOutputFolder(folder);
  frames.SetOutputName(name);
}

void ProjectData::SetLastResult(std::unique_ptr<CLayerBitmap> result, bool updateNow) {
  lastResult_ = std::move(result);
  view_.SetViewMode(kViewLastResult, false, true);
  view_.RedrawView(updateNow);
}
