#include "project/ProjectHistory.h"

#include <algorithm>
#include <utility>

#include "platform/framework/Archive.h"
#include "project/ProjectData.h"
#include "project/ProjectFilter.h"

ProjectState ProjectHistory::CaptureState() {
  CArchive archive;
  project_.Model().WriteContent(archive);
  return archive.GetBytes();
}

void ProjectHistory::ResetHistory(bool saved) {
  history_.Reset(project_.GetFilter() ? CaptureState() : ProjectState{}, saved);
}

void ProjectHistory::RecordChange() {
  const int name = std::exchange(nextChangeName_, 0);
  if (restoring_ || !project_.GetFilter()) return;
  history_.Record(CaptureState(), project_.GetCurrentFrame(), name);
}

bool ProjectHistory::Undo() { return RestoreState(history_.Undo()); }
bool ProjectHistory::Redo() { return RestoreState(history_.Redo()); }

// Reads the state back as opening a project does, then shows the frame of the step with the
// filter's settings taken from the restored keyframes.
bool ProjectHistory::RestoreState(std::optional<UndoHistory::Target> target) {
  if (!target || !project_.GetFilter()) return false;
  restoring_ = true;
  CArchive archive(*target->state);
  project_.Model().ReadContent(archive);
  const int frame = std::clamp(target->frame, 0, std::max(0, project_.Model().GetLastFrame()));
  project_.GoToFrame(frame, true);
  project_.NotifyChanged(kChangeSettings);  // refreshes the view; the keyframe takes what it holds
  restoring_ = false;
  project_.MarkModified(!history_.IsAtSavedState());
  return true;
}
