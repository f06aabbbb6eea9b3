#include "platform/framework/RenderContext.h"

#include <tbb/task_arena.h>

void RunWithThreads(int threads, const std::function<void()>& work) {
  if (threads <= 0) {
    work();
    return;
  }
  // An arena of its own: the parallel loops started inside take at most its threads.
  tbb::task_arena arena(threads);
  arena.execute(work);
}
