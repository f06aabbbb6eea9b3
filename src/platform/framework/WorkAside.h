#pragma once
// Long reading done on a thread of its own while the user interface waits for it (WaitFor), so
// that the window keeps answering while a big frame is read. When the user cancels, the work is
// left to finish on its thread and its result is dropped; its owner (an AbandonedWork) waits
// for such work before it goes.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/framework/UserInterface.h"

// Keeps the threads whose work was abandoned until they end, at the latest when it goes.
class AbandonedWork {
 public:
  AbandonedWork() = default;
  ~AbandonedWork() { Finish(); }
  AbandonedWork(const AbandonedWork&) = delete;
  AbandonedWork& operator=(const AbandonedWork&) = delete;

  void Keep(std::thread thread);
  // Waits for every abandoned work.
  void Finish();

 private:
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};

// The calling thread (and the threads it starts) give way to the user interface's.
void YieldToTheInterface();

// The work's result, or nothing when the user cancelled. An exception of the work is thrown
// again here. Work that uses what the caller owns must not be given up: not cancellable.
enum class Giving { Up, NeverUp };
template <typename Result>
std::optional<Result> RunAside(UserInterface& ui, AbandonedWork& abandoned, const std::string& text,
                               std::function<Result()> work, Giving giving = Giving::Up) {
  struct State {
    std::atomic<bool> done{false};
    Result result{};
    std::exception_ptr failure;
  };
  auto state = std::make_shared<State>();
  std::thread thread([state, work = std::move(work)] {
    YieldToTheInterface();
    try {
      state->result = work();
    } catch (...) {
      state->failure = std::current_exception();
    }
    state->done = true;
  });
  if (!ui.WaitFor(text, [&state] { return state->done.load(); }, giving == Giving::Up)) {
    abandoned.Keep(std::move(thread));
    return std::nullopt;
  }
  thread.join();
  if (state->failure) std::rethrow_exception(state->failure);
  return std::move(state->result);
}
