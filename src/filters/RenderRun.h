#pragma once
// Rendering a range of a project's frames with its filter and keyframed settings, each saved,
// when asked, as a numbered image file. The same loop for fovara-render, the Python module and
// the desktop program's batch render: it asks the keyframe track for each frame's settings,
// reads the frame and calls the filter's operation. Nothing of the project changes: no
// current frame, no keyframe.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "animation/KeyframeSettings.h"
#include "platform/framework/RenderContext.h"
#include "platform/framework/StringTable.h"
#include "project/FrameSource.h"

class C2DIo;
class ProjectModel;

struct RenderJob {
  int first = 0;
  int last = 0;
  // Where frames are saved; null renders without saving.
  C2DIo* output = nullptr;
  // Frames whose file already exists are left as they are and not rendered.
  bool skipExisting = false;
  // The language of the messages (a frame that cannot be read, a frame that would replace an
  // input).
  Language language = Language::English;
  // The settings a frame renders with; empty: the keyframes' at that frame. The desktop
  // program gives the frame on show the settings on its panel.
  std::function<std::unique_ptr<KeyframeSettings>(int frame, const Frame& read)> settingsFor;
  // The first frame, when the caller read it already (to prepare the output): not read again,
  // and let go as soon as the next frame is read (hand the job over, so that the caller keeps
  // no hold of it).
  std::shared_ptr<const Frame> firstRead;
  // Each rendered frame before it goes to the writer (the desktop program shows it).
  std::function<void(const CLayerBitmap& rendered)> onRendered;
  // Told of each frame as it is done: position in the range from 1, the range size, the file
  // written ("" when not saved), whether it was kept.
  std::function<void(int, int, const std::string&, bool)> onFrameDone;
};

struct RenderOutcome {
  int rendered = 0;
  int skipped = 0;
  // Frames that could not be read (each was told to the context's messages); the others render.
  int failed = 0;
  bool cancelled = false;
  // Set when a frame could not be saved, or would replace a file the project reads (then
  // nothing is rendered); the run stops there.
  std::string saveError;
};

// Frames [first, last].
struct FrameRange {
  int first = 0;
  int last = 0;
};
// Frames are read ahead on a thread of their own while the current one renders (its rows over
// the context's threads), and written on another while the next renders.
RenderOutcome RunRenderJob(const ProjectModel& project, RenderJob job, RenderContext& context);
