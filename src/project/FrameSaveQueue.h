#pragma once
// Writing rendered frames on their own thread, in the order they were rendered, while the
// next frame renders. Each file is written under a temporary name and renamed when complete,
// so the renames follow the frame order too. At most one frame waits while another is being
// written: a render faster than the writer waits for it instead of piling frames up.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/image/LayerBitmap.h"

class C2DIo;

struct QueuedFrame {
  // Null for a frame kept as it was: it only passes through, so that the frames are
  // reported in their order.
  std::unique_ptr<CLayerBitmap> image;
  int number = -1;  // the output number; -1 for none
  std::string fileName;
  // Position in the range from 1 and the range size, for the report.
  int index = 0;
  int count = 0;
  bool kept = false;
};

class FrameSaveQueue {
 public:
  explicit FrameSaveQueue(C2DIo& output);
  // Finishes the frames handed over.
  ~FrameSaveQueue();
  FrameSaveQueue(const FrameSaveQueue&) = delete;
  FrameSaveQueue& operator=(const FrameSaveQueue&) = delete;

  // Hands a frame over; waits while another frame is already waiting. After a failed save
  // nothing more is written: the frame is dropped.
  void Push(QueuedFrame frame);
  // The frames written or kept since the last call, in order, their images released.
  std::vector<QueuedFrame> TakeDone();
  // Waits until every frame handed over is written (or dropped after a failure).
  void Finish();
  // Why a save failed; empty while every save succeeded.
  std::string GetError() const;

 private:
  void WriteFrames();

  C2DIo& output_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<QueuedFrame> waiting_;
  std::vector<QueuedFrame> done_;
  bool finishing_ = false;
  std::string error_;
  std::thread thread_;
};
