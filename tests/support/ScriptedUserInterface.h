#pragma once
// A user-interface implementation for tests: it records every question and message and
// answers from queues filled beforehand. A question with no scripted answer is recorded
// as unexpected and refused, so a test sees dialogs it did not plan for. So is any call made
// from another thread than the one that installed it: the user interface has one thread.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/framework/Progress.h"
#include "platform/framework/UserInterface.h"
#include "project/ProgramDialogs.h"

class ScriptedUserInterface : public UserInterface, public ProgramDialogs {
 public:
  struct Event {
    std::string kind;  // "ask", "warning", "notify", "open", "save", "folder", "select",
                       // "progress", "info", "depth-type", "filter", "render-range",
                       // "depth-mode", "colour"
    std::string title;
    std::string text;
    int number = 0;  // notice id, progress total, ...
  };

  // Speaks English: the tests read the English texts. The one made last is current until it
  // goes (CurrentScriptedUserInterface).
  ScriptedUserInterface();
  ~ScriptedUserInterface() override;
  ScriptedUserInterface(const ScriptedUserInterface&) = delete;
  ScriptedUserInterface& operator=(const ScriptedUserInterface&) = delete;

  // Scripted answers, taken in order.
  std::deque<Answer> answers;
  std::deque<std::optional<std::string>> openFiles;
  std::deque<std::optional<std::string>> saveFiles;
  std::deque<std::optional<std::string>> folders;
  std::deque<std::vector<std::string>> selections;  // empty queue: every listed frame is taken
  std::deque<int> depthTypes;
  std::deque<int> filterChoices;
  // When set, the filter list is asked of it instead (a real dialog, say).
  std::function<int(const std::vector<FilterChoiceItem>&)> chooseFilter;
  std::deque<RenderRangeChoice> renderRanges;
  std::deque<DepthModeChoice> depthModes;
  std::deque<std::optional<uint32_t>> colours;
  // ProgressStep answers Cancel on this call (counted from 1 over the whole test); 0 never.
  int cancelAtStep = 0;
  // Waits for work on another thread are cancelled at once (recorded as "wait"); else they
  // wait for the work, unrecorded.
  bool cancelWaits = false;

  const std::vector<Event>& Events() const { return events_; }
  std::vector<Event> EventsOfKind(const std::string& kind) const;
  const std::vector<std::string>& Unexpected() const { return unexpected_; }
  int ProgressSteps() const { return progressSteps_; }
  bool ProgressOpen() const { return progressOpen_; }
  bool InfoOpen() const { return infoOpen_; }
  void ClearEvents() { events_.clear(); unexpected_.clear(); }

  Answer Ask(const std::string& text, Buttons buttons) override;
  void Warning(const std::string& title, const std::string& text) override;
  void Notify(int flags, int noticeId, const std::string& title, const std::string& text) override;
  std::optional<std::string> ChooseFileToOpen(const FileRequest& request) override;
  std::optional<std::string> ChooseFileToSave(const FileRequest& request) override;
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override;
  std::vector<std::string> SelectFilesFromList(const std::vector<std::string>& listing) override;
  void BeginProgress(const std::string& text, int total, int step) override;
  bool ProgressStep() override;
  void EndProgress() override;
  bool WaitFor(const std::string& text, const std::function<bool()>& done, bool cancellable = true) override;
  void ShowInfo(const std::string& text) override;
  void ShowInfoFor(const std::string& text, double seconds) override;
  void CloseInfo() override;
  int AskDepthType(const Bitmap& picture) override;
  int ChooseFilter(const std::vector<FilterChoiceItem>& filters) override;
  RenderRangeChoice AskRenderRange(int frameCount) override;
  DepthModeChoice AskDepthMode(const depthBitmap& depth) override;
  std::optional<uint32_t> ChooseColour(uint32_t initial) override;

 private:
  template <typename T>
  T Take(std::deque<T>& queue, const T& refusal, const std::string& what);
  void Record(std::string kind, std::string title, std::string text, int number = 0);
  void CheckThread(const std::string& kind);

  std::vector<Event> events_;
  std::vector<std::string> unexpected_;
  std::thread::id thread_ = std::this_thread::get_id();
  int progressSteps_ = 0;
  bool progressOpen_ = false;
  bool infoOpen_ = false;
};

// The scripted user interface made last; null when none lives.
ScriptedUserInterface* CurrentScriptedUserInterface();

// A render's progress shown in the current scripted user interface (as a program shows its
// renders in its own), under no filter's name; nothing is shown while none lives.
class ScriptedProgress final : public RenderProgress {
 public:
  void Begin(int total, int stepSize, int imageIndex, int imageCount) override;
  bool Step() override { return progress_ && progress_->Step(); }
  void End() override;

 private:
  std::unique_ptr<UserInterfaceProgress> progress_;
};
