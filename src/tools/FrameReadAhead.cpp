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
  read_ = std::async(std::launch::async, [files = std::move(files)]() -> std::unique_ptr<CLayerBitmap> {
    try {
      return ProjectData::ReadFrameFiles(files);
    } catch (...) {
      return nullptr;  // the usual load meets the same trouble and reports it
    }
  });
}

void FrameReadAhead::OfferTo(ProjectData& project, const std::string& imageName) {
  if (!read_.valid() || imageName != imageName_) return;
  project.OfferFrame(imageName_, read_.get());
  imageName_.clear();
}
