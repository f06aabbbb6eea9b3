#pragma once
// How a render reports its progress and learns that the user cancelled. Renderers receive one
// and poll it on the calling thread between bands of rows; whoever starts the render decides
// what it shows (the user interface's progress display, or nothing).

class RenderProgress {
 public:
  virtual ~RenderProgress() = default;
  // Opens a display of `total` steps of `stepSize` for image imageIndex of imageCount.
  // A total of 0 opens nothing.
  virtual void Begin(int total, int stepSize, int imageIndex, int imageCount) = 0;
  // One step done; true when the user cancelled. False when nothing is open.
  virtual bool Step() = 0;
  virtual void End() = 0;
};

// A render nobody watches: shows nothing and is never cancelled.
class NoProgress final : public RenderProgress {
 public:
  void Begin(int, int, int, int) override {}
  bool Step() override { return false; }
  void End() override {}
};
