#pragma once
// Undo and redo of the open project's content: the keyframe track and the filter's options,
// as the project file stores them (UndoHistory holds the steps).

#include <optional>

#include "project/UndoHistory.h"

class ProjectData;

class ProjectHistory {
 public:
  explicit ProjectHistory(ProjectData& project) : project_(project) {}

  // Records the change just made to the keyframes or options as one step; nothing when the
  // content is unchanged (a frame change, a render).
  void RecordChange();
  // False when there was nothing to undo or redo.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // Names the change about to be notified (a string-table id), so that Undo can say what it
  // takes back.
  void NameNextChange(int nameId) { nextChangeName_ = nameId; }
  int UndoNameId() const { return history_.UndoNameId(); }
  int RedoNameId() const { return history_.RedoNameId(); }
  // Starts the history afresh from the present content; `saved` when the file holds it.
  void ResetHistory(bool saved);
  void MarkHistorySaved() { history_.MarkSaved(); }
  bool IsAtSavedState() const { return history_.IsAtSavedState(); }

 private:
  ProjectState CaptureState();
  bool RestoreState(std::optional<UndoHistory::Target> target);

  ProjectData& project_;
  UndoHistory history_;
  int nextChangeName_ = 0;
  bool restoring_ = false;
};
