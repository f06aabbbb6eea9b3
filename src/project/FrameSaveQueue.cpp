#include "project/FrameSaveQueue.h"

#include <exception>
#include <filesystem>
#include <utility>

#include "platform/image/ImageIo.h"

namespace {

// Saves one frame; false with the reason in error.
bool SaveFrame(C2DIo& output, const QueuedFrame& frame, std::string& error) {
  try {
    if (output.Save(*frame.image, frame.number)) return true;
    error = output.GetError();
  } catch (const std::exception& e) {
    error = std::filesystem::path(frame.fileName).filename().string() + ": " + e.what();
  }
  return false;
}

}  // namespace

FrameSaveQueue::FrameSaveQueue(C2DIo& output) : output_(output), thread_([this] { WriteFrames(); }) {}

FrameSaveQueue::~FrameSaveQueue() { Finish(); }

void FrameSaveQueue::Push(QueuedFrame frame) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return waiting_.empty() || !error_.empty(); });
  if (!error_.empty()) return;
  waiting_.push_back(std::move(frame));
  changed_.notify_all();
}

std::vector<QueuedFrame> FrameSaveQueue::TakeDone() {
  std::lock_guard lock(mutex_);
  return std::exchange(done_, {});
}

void FrameSaveQueue::Finish() {
  {
    std::lock_guard lock(mutex_);
    finishing_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

std::string FrameSaveQueue::GetError() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void FrameSaveQueue::WriteFrames() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !waiting_.empty() || finishing_; });
    if (waiting_.empty()) return;
    QueuedFrame frame = std::move(waiting_.front());
    waiting_.pop_front();
    changed_.notify_all();
    if (!error_.empty()) continue;  // nothing more is written after a failure
    if (frame.image) {
      lock.unlock();
      std::string error;
      bool saved = SaveFrame(output_, frame, error);
      frame.image.reset();
      lock.lock();
      if (!saved) {
        error_ = error;
        changed_.notify_all();
        continue;
      }
    }
    done_.push_back(std::move(frame));
  }
}
