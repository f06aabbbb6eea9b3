#include "tools/FrameReadAhead.h"

#include <tbb/task_arena.h>

FrameReadAhead::~FrameReadAhead() { Drop(); }

void FrameReadAhead::Drop() {
  if (read_.valid()) read_.wait();
  read_ = {};
  imageName_.clear();
}

void FrameReadAhead::Start(FrameFiles files) {
  Drop();
  if (files.imageName.empty()) return;
  imageName_ = files.imageName;
  read_ = std::async(std::launch::async, [files = std::move(files)]() -> Read {
    Read read;
    // The reading keeps to its own thread: the scans over the frame's depths that would spread
    // over all cores would take the render's threads from the frame being rendered.
    tbb::task_arena alone(1);
    alone.execute([&] {
      try {
        read.image = ProjectData::ReadFrameFiles(files, &read.background);
        if (read.image) read.range = GetDepthRange(*read.image);
      } catch (...) {
        read.image.reset();  // the usual load meets the same trouble and reports it
      }
    });
    return read;
  });
}

void FrameReadAhead::OfferTo(ProjectData& project, const std::string& imageName) {
  if (!read_.valid() || imageName != imageName_) return;
  Read read = read_.get();
  project.OfferFrame(imageName_, std::move(read.image), std::move(read.background), read.range);
  imageName_.clear();
}
