#include "support/ScriptedUserInterface.h"

#include <utility>

namespace {
// The scripted user interfaces that live, the last made last.
std::vector<ScriptedUserInterface*>& Living() {
  static std::vector<ScriptedUserInterface*> living;
  return living;
}
}  // namespace

ScriptedUserInterface::ScriptedUserInterface() { Living().push_back(this); }

ScriptedUserInterface::~ScriptedUserInterface() { std::erase(Living(), this); }

ScriptedUserInterface* CurrentScriptedUserInterface() { return Living().empty() ? nullptr : Living().back(); }

void ScriptedProgress::Begin(int total, int stepSize, int imageIndex, int imageCount) {
  End();
  ScriptedUserInterface* ui = CurrentScriptedUserInterface();
  if (!ui) return;
  progress_ = std::make_unique<UserInterfaceProgress>(*ui, "");
  progress_->Begin(total, stepSize, imageIndex, imageCount);
}

void ScriptedProgress::End() {
  if (progress_) progress_->End();
  progress_.reset();
}

std::vector<ScriptedUserInterface::Event> ScriptedUserInterface::EventsOfKind(const std::string& kind) const {
  std::vector<Event> out;
  for (const Event& e : events_) {
    if (e.kind == kind) out.push_back(e);
  }
  return out;
}

template <typename T>
T ScriptedUserInterface::Take(std::deque<T>& queue, const T& refusal, const std::string& what) {
  if (queue.empty()) {
    unexpected_.push_back(what);
    return refusal;
  }
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

void ScriptedUserInterface::CheckThread(const std::string& kind) {
  if (std::this_thread::get_id() != thread_) unexpected_.push_back(kind + " called from another thread");
}

void ScriptedUserInterface::Record(std::string kind, std::string title, std::string text, int number) {
  CheckThread(kind);
  events_.push_back({std::move(kind), std::move(title), std::move(text), number});
}

Answer ScriptedUserInterface::Ask(const std::string& text, Buttons buttons) {
  Record("ask", "", text, int(buttons));
  Answer refusal = buttons == Buttons::Ok ? Answer::Ok : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
  if (buttons == Buttons::Ok) return Answer::Ok;  // nothing to choose
  return Take(answers, refusal, "ask: " + text);
}

void ScriptedUserInterface::Warning(const std::string& title, const std::string& text) {
  Record("warning", title, text);
}

void ScriptedUserInterface::Notify(int, int noticeId, const std::string& title, const std::string& text) {
  Record("notify", title, text, noticeId);
}

std::optional<std::string> ScriptedUserInterface::ChooseFileToOpen(const FileRequest& request) {
  Record("open", request.title, request.proposedPath, int(request.fileClass));
  return Take(openFiles, std::optional<std::string>{}, "open: " + request.proposedPath);
}

std::optional<std::string> ScriptedUserInterface::ChooseFileToSave(const FileRequest& request) {
  Record("save", request.title, request.proposedPath, request.flags);
  return Take(saveFiles, std::optional<std::string>{}, "save: " + request.proposedPath);
}

std::optional<std::string> ScriptedUserInterface::ChooseFolder(const std::string& title, const std::string& start) {
  Record("folder", title, start);
  return Take(folders, std::optional<std::string>{}, "folder: " + title);
}

std::vector<std::string> ScriptedUserInterface::SelectFilesFromList(const std::vector<std::string>& listing) {
  std::string joined;
  for (const auto& name : listing) joined += name + "\n";
  Record("select", "", joined, int(listing.size()));
  if (selections.empty()) return listing;
  auto pick = std::move(selections.front());
  selections.pop_front();
  return pick;
}

void ScriptedUserInterface::BeginProgress(const std::string& text, int total, int step) {
  Record("progress", "", text, total);
  (void)step;
  progressOpen_ = true;
}

bool ScriptedUserInterface::ProgressStep() {
  CheckThread("progress step");
  ++progressSteps_;
  return cancelAtStep != 0 && progressSteps_ == cancelAtStep;
}

void ScriptedUserInterface::EndProgress() { progressOpen_ = false; }

void ScriptedUserInterface::ShowInfo(const std::string& text) {
  Record("info", "", text);
  infoOpen_ = true;
}

void ScriptedUserInterface::ShowInfoFor(const std::string& text, double seconds) {
  Record("info", "", text, int(seconds * 1000));
}

void ScriptedUserInterface::CloseInfo() { infoOpen_ = false; }

int ScriptedUserInterface::AskDepthType(const Bitmap&) {
  Record("depth-type", "", "");
  return Take(depthTypes, 1, "depth-type");
}

int ScriptedUserInterface::ChooseFilter(const std::vector<FilterChoiceItem>& filters) {
  std::string names;
  for (const auto& f : filters) names += f.name + "\n";
  Record("filter", "", names, int(filters.size()));
  if (chooseFilter) return chooseFilter(filters);
  return Take(filterChoices, -1, "filter");
}

bool ScriptedUserInterface::WaitFor(const std::string& text, const std::function<bool()>& done, bool cancellable) {
  CheckThread("wait");
  if (!cancelWaits || !cancellable) return UserInterface::WaitFor(text, done, cancellable);
  Record("wait", "", text);
  return false;
}

RenderRangeChoice ScriptedUserInterface::AskRenderRange(int frameCount) {
  Record("render-range", "", "", frameCount);
  return Take(renderRanges, RenderRangeChoice{}, "render-range");
}

DepthModeChoice ScriptedUserInterface::AskDepthMode(const depthBitmap&) {
  Record("depth-mode", "", "");
  return Take(depthModes, DepthModeChoice{}, "depth-mode");
}

std::optional<uint32_t> ScriptedUserInterface::ChooseColour(uint32_t initial) {
  Record("colour", "", "", int(initial));
  return Take(colours, std::optional<uint32_t>{}, "colour");
}
