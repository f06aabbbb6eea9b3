#include "project/UndoHistory.h"

void UndoHistory::Reset(ProjectState state, bool saved) {
  steps_.clear();
  position_ = 0;
  current_ = std::move(state);
  saved_.reset();
  if (saved) saved_ = 0;
}

bool UndoHistory::Record(ProjectState state, int frame, int nameId) {
  if (state == current_) return false;
  steps_.resize(position_);
  // The saved state lay among the dropped steps: no position leads back to it any more.
  if (saved_ && *saved_ > position_) saved_.reset();
  steps_.push_back({std::move(current_), state, frame, nameId});
  ++position_;
  current_ = std::move(state);
  if (steps_.size() > maxSteps_) DropOldestStep();
  return true;
}

void UndoHistory::DropOldestStep() {
  steps_.erase(steps_.begin());
  --position_;
  if (saved_) {
    if (*saved_ == 0) saved_.reset();
    else --*saved_;
  }
}

std::optional<UndoHistory::Target> UndoHistory::Undo() {
  if (!CanUndo()) return std::nullopt;
  const Step& step = steps_[--position_];
  current_ = step.before;
  return Target{&current_, step.frame};
}

std::optional<UndoHistory::Target> UndoHistory::Redo() {
  if (!CanRedo()) return std::nullopt;
  const Step& step = steps_[position_++];
  current_ = step.after;
  return Target{&current_, step.frame};
}
