#pragma once
// What the render options dialog holds and remembers: the render mode (first, last, current,
// all frames, or a range) and the range's two frames, kept in the preferences record 'RDRO'.

#include "project/ProgramDialogs.h"

class RenderOptions {
 public:
  // Reads the remembered choice for an animation of frameCount frames (defaults: the current
  // frame; the range from the first to the last frame).
  explicit RenderOptions(int frameCount);

  RenderRangeMode GetMode() const { return mode_; }
  int GetFirst() const { return first_; }
  int GetLast() const { return last_; }
  // |last - first| + 1.
  int GetFramesNumber() const;
  // The range edits are enabled only for a range.
  bool RangeEnabled() const { return mode_ == RenderRangeMode::Range; }

  void SetMode(RenderRangeMode mode) { mode_ = mode; }
  // An edited frame beyond the last frame of the animation becomes the last frame.
  void SetFirst(int first);
  void SetLast(int last);

  // The choice as the render run takes it.
  RenderRangeChoice GetChoice() const { return {mode_, first_, last_}; }
  // Remembers the choice for the next time; false when the preferences cannot be written.
  bool Store() const;

 private:
  int frameCount_;
  RenderRangeMode mode_;
  int first_;
  int last_;
};
