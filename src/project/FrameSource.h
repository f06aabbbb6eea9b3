#pragma once
// Reading a project's frames: the picture, its depth (the image's own, a companion file's, or a
// depth picture's), background depths made the farthest depth, and the depth range. Nothing
// here asks anybody anything: a frame that cannot be read comes back with the reason, and may
// be read on any thread. FrameReadAhead reads the next frame of a render on a thread of its
// own while the current one renders.

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "platform/image/DepthRange.h"
#include "platform/image/LayerBitmap.h"
#include "project/FrameFiles.h"

// Where a frame's depth was background before it took the farthest depth, pixel by pixel
// (row 0 first); empty when no pixel was.
using BackgroundMask = std::vector<bool>;

struct Frame {
  std::unique_ptr<CLayerBitmap> image;  // colour (grey pictures become colour), depth, alpha when present
  BackgroundMask background;
  DepthRange range;
};

struct FrameRead {
  std::unique_ptr<Frame> frame;  // null when the files could not be read
  // Why not, in English with the file named; a depth picture that was never asked about, a
  // file missing, unreadable or of another size.
  std::string failure;
};

FrameRead ReadFrame(const FrameFiles& files);

// The filters work on colour: a grey picture becomes colour.
void MakeColour(CLayerBitmap& image);
// Background depths become the farthest depth of the frame; the mask remembers where they were.
BackgroundMask ReplaceBackground(CLayerBitmap& image);
// A depth file's content (depth, or a picture), read for an image of that size; null with the
// reader's reason.
std::unique_ptr<CLayerBitmap> ReadDepthFile(const std::string& path, int width, int height, const std::string& view,
                                            std::string& reason);
// Whether a depth file's content can give depth to an image of that size.
bool AcceptDepthImage(const CLayerBitmap* depth, int width, int height);
// The depth layer of a grey or colour picture, light near when the answer is 0.
std::unique_ptr<Bitmap> DepthFromPicture(const Bitmap& picture, int depthBitmapAnswer);

class FrameReadAhead {
 public:
  FrameReadAhead() = default;
  // Waits for a read in progress.
  ~FrameReadAhead();
  FrameReadAhead(const FrameReadAhead&) = delete;
  FrameReadAhead& operator=(const FrameReadAhead&) = delete;

  // Starts reading a frame's files; a frame read before and not taken is dropped.
  void Start(FrameFiles files);
  // The frame of those files: the one read ahead when it is that one, else read now.
  FrameRead Take(const FrameFiles& files);

 private:
  void Drop();

  std::string imagePath_;
  std::future<FrameRead> read_;
};
