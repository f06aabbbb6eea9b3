#include "platform/framework/WorkAside.h"

#include <mutex>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct AbandonedThreads {
  std::mutex mutex;
  std::vector<std::thread> threads;
  ~AbandonedThreads() { Join(); }
  void Join() {
    std::vector<std::thread> joining;
    {
      std::lock_guard lock(mutex);
      joining.swap(threads);
    }
    for (std::thread& thread : joining) thread.join();
  }
};

AbandonedThreads& Abandoned() {
  static AbandonedThreads threads;
  return threads;
}

}  // namespace

void KeepAbandonedWork(std::thread thread) {
  std::lock_guard lock(Abandoned().mutex);
  Abandoned().threads.push_back(std::move(thread));
}

void FinishAbandonedWork() { Abandoned().Join(); }

void YieldToTheInterface() {
  // A thread's niceness is its own on Linux, and the threads it starts inherit it.
  constexpr int kNiceness = 5;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kNiceness);
}
