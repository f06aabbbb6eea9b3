#include "tools/FrameReadAhead.h"

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
    try {
      read.image = ProjectData::ReadFrameFiles(files, &read.background);
    } catch (...) {
      read.image.reset();  // the usual load meets the same trouble and reports it
    }
    return read;
  });
}

void FrameReadAhead::OfferTo(ProjectData& project, const std::string& imageName) {
  if (!read_.valid() || imageName != imageName_) return;
  Read read = read_.get();
  project.OfferFrame(imageName_, std::move(read.image), std::move(read.background));
  imageName_.clear();
}
