#pragma once
// The project's undo history. A step holds the project's serialised content (keyframe track
// and filter options, as a project file holds them) before and after one change, and the
// frame at which the change was made. Undoing replays the earlier bytes through the same
// reading a reopen uses, so an undone project is exactly what saving it then would have kept.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

using ProjectState = std::vector<uint8_t>;

class UndoHistory {
 public:
  explicit UndoHistory(size_t maxSteps = 200) : maxSteps_(maxSteps) {}

  // Forgets every step; the state becomes the base the next change is compared with.
  // `saved` tells whether that state is the one in the project file.
  void Reset(ProjectState state, bool saved);
  // Records a step from the last known state to this one, made at a frame and named by a
  // string-table id (0: no name); nothing when both are the same bytes. True when a step was
  // recorded. Steps that were undone are dropped: they can no longer be redone.
  bool Record(ProjectState state, int frame, int nameId = 0);

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < steps_.size(); }
  // The name of the step Undo or Redo would take back or make again; 0 when none or unnamed.
  int UndoNameId() const { return CanUndo() ? steps_[position_ - 1].nameId : 0; }
  int RedoNameId() const { return CanRedo() ? steps_[position_].nameId : 0; }
  // The state to restore and the frame to show; null when there is nothing to undo or redo.
  struct Target {
    const ProjectState* state;
    int frame;
  };
  std::optional<Target> Undo();
  std::optional<Target> Redo();

  // The current state is the one just written to the project file.
  void MarkSaved() { saved_ = position_; }
  bool IsAtSavedState() const { return saved_ && *saved_ == position_; }
  size_t GetStepCount() const { return steps_.size(); }

 private:
  struct Step {
    ProjectState before;
    ProjectState after;
    int frame;
    int nameId;
  };
  void DropOldestStep();

  std::vector<Step> steps_;
  size_t position_ = 0;  // steps before it are done, steps from it on were undone
  ProjectState current_;
  std::optional<size_t> saved_;
  size_t maxSteps_;
};
