#include "tools/RenderRun.h"

#include <algorithm>
#include <optional>

#include "filters/DepthFilterCommand.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/UserInterface.h"
#include "platform/framework/Progress.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"
#include "tools/FrameReadAhead.h"
#include "tools/FrameSaveQueue.h"
#include "tools/RenderOutputCheck.h"
#include "project/ProgramDialogs.h"

std::optional<FrameRange> AskFrameRange(const ProjectData& project) {
  const KeyframeTrack& track = project.GetTrack();
  int lastFrame = track.GetLastFrame();
  if (lastFrame < 1) return FrameRange{0, 0};
  RenderRangeChoice choice = Dialogs().AskRenderRange(lastFrame + 1);
  if (choice.cancelled) return std::nullopt;
  switch (choice.mode) {
    case 0: return FrameRange{0, 0};
    case 1: return FrameRange{lastFrame, lastFrame};
    case 3: return FrameRange{0, lastFrame};
    case 4: {
      int a = std::clamp(choice.first, 0, lastFrame);
      int b = std::clamp(choice.last, 0, lastFrame);
      return FrameRange{std::min(a, b), std::max(a, b)};
    }
    default: return FrameRange{track.GetCurrentFrame(), track.GetCurrentFrame()};
  }
}

int OutputNumberWidth(const ProjectData& project) {
  int number = -1;
  int width = 0;
  CFileInfo(project.GetImageName(0)).GetDigitInfo(number, width, 0);
  return width > 0 ? width : 4;
}

namespace {

// The number a frame is saved under; -1 for none (a single image rendered once).
int OutputNumberAt(const ProjectData& project, int frame) {
  int number = 0;
  return project.GetFrameNumberAt(frame, number) ? number : -1;
}

}  // namespace

std::string FrameFileAt(const ProjectData& project, const C2DIo& output, int frame) {
  return output.GetFrameFileName(OutputNumberAt(project, frame));
}

namespace {

// The frame a run renders after frame f: the next one whose file is not kept.
int NextFrameToRender(const ProjectData& project, const RenderJob& job, int f, int last) {
  for (int next = f + 1; next <= last; ++next) {
    if (!job.output || !job.skipExisting) return next;
    if (!fileExists(job.output->GetFrameFileName(OutputNumberAt(project, next)))) return next;
  }
  return -1;
}

std::unique_ptr<CLayerBitmap> CopyOf(const CLayerBitmap& image) {
  auto copy = std::make_unique<CLayerBitmap>();
  copy->CopyLayers(image, ~0u);
  return copy;
}

// Counts and reports the frames the writer has finished since the last call.
void ReportSaved(FrameSaveQueue& saves, const RenderJob& job, RenderOutcome& outcome) {
  for (const QueuedFrame& done : saves.TakeDone()) {
    ++(done.kept ? outcome.skipped : outcome.rendered);
    if (job.onFrameDone) job.onFrameDone(done.index, done.count, done.fileName, done.kept);
  }
}

}  // namespace

// The frames pass through three stages, each on its own thread: the next frame is read
// while the current one renders (its rows over all cores) and the previous one is written.
// Everything that talks to the user - loading a frame that needs a question or a warning,
// the progress display and its Cancel, the view - stays on the calling thread.
RenderOutcome RunRenderJob(ProjectData& project, const RenderJob& job) {
  RenderOutcome outcome;
  DepthFilterCommand* filter = CurrentFilterCommand(project);
  if (!filter) return outcome;
  if (job.output) {
    if (auto clash = FindInputOverwrite(project, *job.output, job.first, job.last)) {
      outcome.saveError = DescribeClash(*clash);
      return outcome;
    }
  }
  KeyframeTrack& track = project.GetTrack();
  const bool sequence = track.GetMode() == kSequenceMode;
  project.SetViewMode(kViewImage, true, false);

  FrameReadAhead readAhead;
  std::optional<FrameSaveQueue> saves;
  if (job.output) saves.emplace(*job.output);

  // The count is the number of frames asked for, and the index counts every frame taken up,
  // so that a frame that drops out of the sequence does not renumber the others.
  const int count = job.last - job.first + 1;
  int index = 0;
  int last = job.last;
  for (int f = job.first; f <= last; ++f) {
    if (saves) {
      ReportSaved(*saves, job, outcome);
      if (!saves->GetError().empty()) break;
    }
    ++index;
    const int number = OutputNumberAt(project, f);
    std::string fileName = job.output ? job.output->GetFrameFileName(number) : std::string();
    // A kept frame is not even read: a rerun chunk of a farm goes straight to its missing frames.
    if (job.output && job.skipExisting && fileExists(fileName)) {
      saves->Push({nullptr, number, fileName, index, count, true});
      continue;
    }
    if (sequence) readAhead.OfferTo(project, project.GetImageName(f));
    track.SetCurrentFrame(f, false);
    if (!project.GetFilter()) {
      // No frame of the sequence could be loaded any more: the project was closed.
      outcome.cancelled = true;
      break;
    }
    if (track.GetCurrentFrame() != f && project.LoadWasCancelled()) {
      // The user cancelled the reading of the frame: the render stops there.
      outcome.cancelled = true;
      break;
    }
    if (track.GetCurrentFrame() != f) {
      // The frame's image could not be loaded and left the sequence: the next image moved
      // into its place, and the range is one shorter.
      --f;
      --last;
      continue;
    }
    if (sequence) readAhead.Start(project.GetFrameFiles(NextFrameToRender(project, job, f, last)));

    UserInterfaceProgress progress;
    auto result = filter->RenderFrame(filter->GetCurrentSettings(), index, count, progress);
    if (!result) {
      outcome.cancelled = true;
      break;
    }
    if (saves) {
      saves->Push({job.keepLastResult ? CopyOf(*result) : std::move(result), number, fileName, index, count, false});
    } else {
      ++outcome.rendered;
      if (job.onFrameDone) job.onFrameDone(index, count, fileName, false);
    }
    if (result) project.SetLastResult(std::move(result), true);
  }
  // Frames rendered before a cancel are written, as they would have been one after another.
  if (saves) {
    saves->Finish();
    ReportSaved(*saves, job, outcome);
    outcome.saveError = saves->GetError();
  }
  return outcome;
}
