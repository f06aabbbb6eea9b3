#pragma once
// Rendering a range of frames with the project's filter and its keyframed settings, showing
// each as the last result and, when asked, saving it as a numbered image file.

#include <functional>
#include <memory>
#include <optional>
#include <string>

class C2DIo;
class ProjectData;

struct RenderJob {
  int first = 0;
  int last = 0;
  // Where frames are saved; null renders without saving.
  C2DIo* output = nullptr;
  // Frames whose file already exists are left as they are and not rendered.
  bool skipExisting = false;
  // Each rendered frame becomes the project's last result, on show; a saved frame is then
  // written from a copy. Without it (nobody looks) the frame itself goes to the writer.
  bool keepLastResult = true;
  // Told of each frame as it is done: position in the range from 1, the range size, the file
  // written ("" when not saved), whether it was skipped.
  std::function<void(int, int, const std::string&, bool)> onFrameDone;
};

struct RenderOutcome {
  int rendered = 0;
  int skipped = 0;
  bool cancelled = false;
  // Set when a frame could not be saved; the run stops there.
  std::string saveError;
};

// The range [first, last] after asking the user (or nothing asked for a single frame);
// nothing when the user cancelled the question.
struct FrameRange {
  int first = 0;
  int last = 0;
};
std::optional<FrameRange> AskFrameRange(const ProjectData& project);

// The digits a saved frame number gets: those of the first image's number, else 4.
int OutputNumberWidth(const ProjectData& project);

// The file a frame is saved under.
std::string FrameFileAt(const ProjectData& project, const C2DIo& output, int frame);

// Refuses (saveError, nothing rendered or written) a job whose frames would replace a file
// the project reads.
RenderOutcome RunRenderJob(ProjectData& project, const RenderJob& job);
