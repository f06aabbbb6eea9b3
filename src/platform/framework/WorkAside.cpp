#include "platform/framework/WorkAside.h"

#include <mutex>
#include <vector>

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
