#pragma once
// What a render is handed besides its frame and settings: where its progress goes and how it
// learns of a cancel, how many threads it may take, and where its messages go. A render reads
// nothing else of the process, so that two renders may run at once on two threads.

#include <functional>
#include <string>

#include "platform/framework/RenderProgress.h"

// Where the messages of work that goes on without asking anybody go (a frame that could not be
// read, say): a window, the terminal, a script's exception.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Tell(const std::string& text) = 0;
};

struct RenderContext {
  RenderProgress& progress;
  // The most threads the render's rows spread over; 0: every core.
  int threads = 0;
  // Null: the messages go nowhere.
  MessageSink* messages = nullptr;

  void Tell(const std::string& text) const {
    if (messages) messages->Tell(text);
  }
};

// Runs work with at most that many threads for the parallel loops inside it (0: every core).
// The limit holds for this call alone: other threads of the process keep their own.
void RunWithThreads(int threads, const std::function<void()>& work);
