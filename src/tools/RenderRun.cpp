#include "tools/RenderRun.h"

#include <algorithm>

#include "filters/DepthFilterCommand.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"

FrameRange AskFrameRange(const ProjectData& project) {
  const KeyframeTrack& track = project.GetTrack();
  int lastFrame = track.GetLastFrame();
  if (lastFrame < 1) return {0, 0};
  RenderRangeChoice choice = UI().AskRenderRange(lastFrame + 1);
  switch (choice.mode) {
    case 0: return {0, 0};
    case 1: return {lastFrame, lastFrame};
    case 3: return {0, lastFrame};
    case 4: {
      int a = std::clamp(choice.first, 0, lastFrame);
      int b = std::clamp(choice.last, 0, lastFrame);
      return {std::min(a, b), std::max(a, b)};
    }
    default: return {track.GetCurrentFrame(), track.GetCurrentFrame()};
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
int OutputNumber(const ProjectData& project) {
  int number = 0;
  return project.GetFrameNumber(number) ? number : -1;
}

}  // namespace

RenderOutcome RunRenderJob(ProjectData& project, const RenderJob& job) {
  RenderOutcome outcome;
  DepthFilterCommand* filter = project.GetFilter();
  if (!filter) return outcome;
  KeyframeTrack& track = project.GetTrack();
  project.SetViewMode(kViewImage, true, false);

  int last = job.last;
  for (int f = job.first; f <= last; ++f) {
    track.SetCurrentFrame(f, false);
    if (!project.GetFilter()) {
      // No frame of the sequence could be loaded any more: the project was closed.
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
    std::string fileName;
    if (job.output) {
      fileName = job.output->GetFrameFileName(OutputNumber(project));
      if (job.skipExisting && fileExists(fileName)) {
        ++outcome.skipped;
        if (job.onFrameDone) job.onFrameDone(f - job.first + 1, last - job.first + 1, fileName, true);
        continue;
      }
    }
    auto result = filter->RenderFrame(filter->GetCurrentSettings(), f - job.first + 1, last - job.first + 1);
    if (!result) {
      outcome.cancelled = true;
      break;
    }
    project.SetLastResult(std::move(result), true);
    if (job.output && !job.output->Save(*project.GetLastResult(), OutputNumber(project))) {
      outcome.saveError = job.output->GetError();
      break;
    }
    ++outcome.rendered;
    if (job.onFrameDone) job.onFrameDone(f - job.first + 1, last - job.first + 1, fileName, false);
  }
  return outcome;
}
