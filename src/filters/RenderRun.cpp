#include "filters/RenderRun.h"

#include <algorithm>

#include "filters/FilterRegistry.h"
#include "platform/framework/FileHelpers.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectModel.h"
#include "project/FrameSaveQueue.h"
#include "project/RenderOutputCheck.h"

namespace {

// The frame a run renders after frame f: the next one whose file is not kept; -1 for none.
int NextFrameToRender(const ProjectModel& project, const RenderJob& job, int f) {
  for (int next = f + 1; next <= job.last; ++next) {
    if (!job.output || !job.skipExisting) return next;
    if (!fileExists(job.output->GetFrameFileName(OutputNumberOf(project, next)))) return next;
  }
  return -1;
}

// Counts and reports the frames the writer has finished since the last call.
void ReportSaved(FrameSaveQueue& saves, const RenderJob& job, RenderOutcome& outcome) {
  for (const QueuedFrame& done : saves.TakeDone()) {
    ++(done.kept ? outcome.skipped : outcome.rendered);
    if (job.onFrameDone) job.onFrameDone(done.index, done.count, done.fileName, done.kept);
  }
}

// The frames of a run as they are read: a single image animated over many frames is read once.
class RunFrames {
 public:
  RunFrames(const ProjectModel& project, int first, std::shared_ptr<const Frame> firstRead)
      : project_(project), last_(std::move(firstRead)) {
    if (last_) lastPath_ = project.GetFrameFiles(first).imagePath;
  }

  // The frame's picture, or null with the reason in failure.
  std::shared_ptr<const Frame> Read(int frame, int next, std::string& failure) {
    const FrameFiles files = project_.GetFrameFiles(frame);
    if (!last_ || files.imagePath != lastPath_) {
      FrameRead read = readAhead_.Take(files);
      failure = read.failure;
      last_ = std::move(read.frame);
      lastPath_ = last_ ? files.imagePath : std::string();
    }
    const FrameFiles nextFiles = project_.GetFrameFiles(next);
    if (next >= 0 && nextFiles.imagePath != lastPath_) readAhead_.Start(nextFiles);
    return last_;
  }

 private:
  const ProjectModel& project_;
  FrameReadAhead readAhead_;
  std::shared_ptr<const Frame> last_;
  std::string lastPath_;
};

std::string CannotRead(Language language, const FrameFiles& files, const std::string& failure) {
  return AppendReason(FormatString(language, kImageFileCannotRead, fileStripPath(files.imageName)),
                      LocalReason(language, failure));
}

}  // namespace

RenderOutcome RunRenderJob(const ProjectModel& project, RenderJob job, RenderContext& context) {
  RenderOutcome outcome;
  const FilterEntry* filter = FindFilter(project.GetFilterId());
  if (!filter || !project.Options()) return outcome;
  if (job.output) {
    if (auto clash = FindInputOverwrite(project, *job.output, job.first, job.last)) {
      outcome.saveError = DescribeClash(job.language, *clash);
      return outcome;
    }
  }
  // The options as they stand when the render starts.
  const std::unique_ptr<FilterOptions> options = project.Options()->Clone();
  RunFrames frames(project, job.first, std::move(job.firstRead));
  std::optional<FrameSaveQueue> saves;
  if (job.output) saves.emplace(*job.output);

  const int count = job.last - job.first + 1;
  int index = 0;
  for (int f = job.first; f <= job.last; ++f) {
    if (saves) {
      ReportSaved(*saves, job, outcome);
      if (!saves->GetError().empty()) break;
    }
    ++index;
    const int number = OutputNumberOf(project, f);
    const std::string fileName = job.output ? job.output->GetFrameFileName(number) : std::string();
    // A kept frame is not even read: a rerun chunk of a farm goes straight to its missing frames.
    if (job.output && job.skipExisting && fileExists(fileName)) {
      saves->Push({nullptr, number, fileName, index, count, true});
      continue;
    }
    std::string failure;
    const auto frame = frames.Read(f, NextFrameToRender(project, job, f), failure);
    if (!frame) {
      context.Tell(CannotRead(job.language, project.GetFrameFiles(f), failure));
      ++outcome.failed;
      continue;
    }
    const auto settings = job.settingsFor ? job.settingsFor(f, *frame)
                                          : project.SettingsAt(f, frame->image.get(), &frame->range);
    if (!settings) break;
    auto result = RunFilter(filter->render, {*frame->image, *settings, *options, std::nullopt, index, count}, context);
    if (!result) {
      outcome.cancelled = true;
      break;
    }
    if (job.onRendered) job.onRendered(*result);
    if (saves) {
      saves->Push({std::move(result), number, fileName, index, count, false});
    } else {
      ++outcome.rendered;
      if (job.onFrameDone) job.onFrameDone(index, count, fileName, false);
    }
  }
  // Frames rendered before a cancel are written, as they would have been one after another.
  if (saves) {
    saves->Finish();
    ReportSaved(*saves, job, outcome);
    outcome.saveError = saves->GetError();
  }
  return outcome;
}
