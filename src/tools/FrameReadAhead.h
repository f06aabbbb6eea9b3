#pragma once
// Reading the next frame of a sequence (its picture and depth files) on its own thread while
// the current frame renders. The frame is handed to the project only when the render loop
// reaches it; a frame that could not be read quietly is read again the usual way, so that
// the user is told about it exactly as without reading ahead.

#include <future>
#include <memory>
#include <optional>
#include <string>

#include "project/ProjectData.h"

class FrameReadAhead {
 public:
  FrameReadAhead() = default;
  // Waits for a read in progress.
  ~FrameReadAhead();
  FrameReadAhead(const FrameReadAhead&) = delete;
  FrameReadAhead& operator=(const FrameReadAhead&) = delete;

  // Starts reading a frame's files; a frame read before and not taken is dropped.
  void Start(FrameFiles files);
  // When the frame of that name is the one read ahead: waits for its read and offers it to
  // the project, whose next load of that name takes it.
  void OfferTo(ProjectData& project, const std::string& imageName);

 private:
  void Drop();

  struct Read {
    std::unique_ptr<CLayerBitmap> image;
    BackgroundMask background;
    std::optional<DepthRange> range;  // measured here too, off the render's thread
  };
  std::string imageName_;
  std::future<Read> read_;
};
