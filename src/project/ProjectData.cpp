#include "project/ProjectData.h"

#include "project/ProjectFilter.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ApplicationFrame.h"

namespace {
constexpr const char* kOutputPrefix = "Kovrin";
}

ProjectData::ProjectData() { track_.SetOwner(this); }

ProjectData::~ProjectData() = default;

ImageViewport& ProjectData::View() const {
  static SilentViewport silent;
  return frame_ ? frame_->GetViewport() : silent;
}

void ProjectData::MarkModified(bool modified) const {
  if (frame_) frame_->SetModifiedFlag(modified);
}

std::string ProjectData::GetImageName(int index) const {
  if (index < 0 || index >= GetImageCount()) return {};
  return frames_.GetImageNames()[size_t(index)];
}

bool ProjectData::LoadFrameAt(int index) {
  if (track_.GetMode() != kSequenceMode) return true;
  if (index < 0 || index >= GetImageCount()) return false;
  if (LoadFrame(frames_.GetImageNames()[size_t(index)])) return true;
  // A read the user cancelled says nothing against the image.
  if (!loadCancelled_) frames_.RemoveImage(size_t(index));
  return false;
}

bool ProjectData::GetFrameNumber(int& number) const { return GetFrameNumberAt(track_.GetCurrentFrame(), number); }

bool ProjectData::GetFrameNumberAt(int frame, int& number) const {
  if (track_.GetMode() == kSequenceMode) {
    int width = 0;
    CFileInfo(GetImageName(frame)).GetDigitInfo(number, width, 0);
    return number != -1;
  }
  if (track_.GetLastFrame() >= 1) {
    number = frame;
    return true;
  }
  return false;
}

bool ProjectData::ChangeFrame(int from, int to, bool force) {
  if (from == to && !force) return true;
  if (track_.GetMode() == kSequenceMode && from != to && !LoadFrameAt(to)) {
    // Cancelled by the user: the frame on show stays, and so does everything else.
    if (loadCancelled_) return false;
    // Keyframe 0 holds the settings every later frame starts from: it stays.
    if (to != 0) track_.RemoveKeyframe(to);
    FallBackToFirstFrame();
    return false;
  }
  if (filter_) filter_->GoToFrame(to);
  if (from != to) NotifyChanged(kChangeFrame);
  return true;
}

void ProjectData::FallBackToFirstFrame() {
  // Frame 0 is tried once, directly: going through the track would come back here when it
  // fails too.
  if (LoadFrameAt(0)) {
    track_.ResetCurrentFrame(0);
    if (filter_) filter_->GoToFrame(0);
    NotifyChanged(kChangeFrame);
    return;
  }
  // No frame can be shown: a half-loaded project would render the wrong image.
  UI().Warning(LoadString(kWarningTitle), LoadString(kNoneProjectsFramesCan));
  CloseProject(filter_);
}

std::string ProjectData::OutputBaseName() {
  if (frames_.GetOutputName().empty()) {
    CFileInfo first(ResolveImageFolder() + GetImageName(0));
    int number = 0;
    int width = 0;
    frames_.SetOutputFolder(first.GetPath());
    frames_.SetOutputName(kOutputPrefix + first.GetDigitInfo(number, width, 0));
  }
  return frames_.GetOutputFolder() + frames_.GetOutputName();
}

void ProjectData::SetOutput(const std::string& folder, const std::string& name) {
  if (folder == frames_.GetOutputFolder() && name == frames_.GetOutputName()) return;
  MarkModified(true);
  frames_.SetOutputFolder(folder);
  frames_.SetOutputName(name);
}
