// Undo and redo of the project's content: the keyframe track and the filter's options, as
// the project file stores them.

#include <algorithm>
#include <utility>

#include "project/ProjectFilter.h"
#include "platform/framework/Archive.h"
#include "project/ProjectData.h"

ProjectState ProjectData::CaptureState() {
  CArchive archive;
  // The frame shown is not content: moving through the frames makes no step.
  const int frame = track_.GetCurrentFrame();
  track_.ResetCurrentFrame(0);
  track_.Serialize(archive);
  track_.ResetCurrentFrame(frame);
  if (filter_) filter_->Serialize(archive);
  return archive.GetBytes();
}

void ProjectData::ResetHistory(bool saved) { history_.Reset(filter_ ? CaptureState() : ProjectState{}, saved); }

void ProjectData::RecordChange() {
  const int name = std::exchange(nextChangeName_, 0);
  if (restoring_ || !filter_) return;
  history_.Record(CaptureState(), track_.GetCurrentFrame(), name);
}

bool ProjectData::Undo() { return RestoreState(history_.Undo()); }
bool ProjectData::Redo() { return RestoreState(history_.Redo()); }

// Reads the state back as opening a project does, then shows the frame of the step with the
// filter's settings taken from the restored keyframes.
bool ProjectData::RestoreState(std::optional<UndoHistory::Target> target) {
  if (!target || !filter_) return false;
  restoring_ = true;
  const int from = track_.GetCurrentFrame();
  CArchive archive(*target->state);
  track_.Serialize(archive);
  filter_->Serialize(archive);
  track_.ResetCurrentFrame(from);
  const int frame = std::clamp(target->frame, 0, std::max(0, track_.GetLastFrame()));
  track_.SetCurrentFrame(frame, true);
  NotifyChanged(kChangeSettings);  // refreshes the view; the keyframe takes what it holds
  restoring_ = false;
  MarkModified(!history_.IsAtSavedState());
  return true;
}
