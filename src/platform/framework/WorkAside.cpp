#include "platform/framework/WorkAside.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

void AbandonedWork::Keep(std::thread thread) {
  std::lock_guard lock(mutex_);
  threads_.push_back(std::move(thread));
}

void AbandonedWork::Finish() {
  std::vector<std::thread> joining;
  {
    std::lock_guard lock(mutex_);
    joining.swap(threads_);
  }
  for (std::thread& thread : joining) thread.join();
}

void YieldToTheInterface() {
  // A thread's niceness is its own on Linux, and the threads it starts inherit it.
  constexpr int kNiceness = 5;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kNiceness);
}
