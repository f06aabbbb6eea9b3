#include "cli/ConsoleUserInterface.h"

#include <cstdio>
#include <regex>

#include <unistd.h>
#include <utility>

std::string PlainText(const std::string& markup) {
  std::string text = std::regex_replace(markup, std::regex("<br>"), "\n");
  text = std::regex_replace(text, std::regex("</?b>"), "");
  // One line per message on the terminal.
  text = std::regex_replace(text, std::regex("\n+"), " ");
  return text;
}

ConsoleUserInterface::~ConsoleUserInterface() { Flush(); }

void ConsoleUserInterface::Say(const std::string& text, bool continues) {
  if (!continues) Flush();
  std::string line = PlainText(text);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  pending_ += (pending_.empty() ? "" : " ") + line;
  complained_ = true;
}

void ConsoleUserInterface::Flush() {
  if (pending_.empty()) return;
  std::string line = subject.empty() ? pending_ : subject + ": " + pending_;
  std::fprintf(stderr, "fovara-render: %s\n", line.c_str());
  pending_.clear();
}

Answer ConsoleUserInterface::Ask(const std::string& text, Buttons buttons) {
  if (buttons == Buttons::Ok) {
    Say(text, true);
    return Answer::Ok;
  }
  // Nobody is there to answer: keep things as they are.
  return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

void ConsoleUserInterface::Warning(const std::string&, const std::string& text) {
  // The title of a warning box ("Warning") adds nothing on a terminal.
  Say(text, false);
}

void ConsoleUserInterface::Notify(int flags, int noticeId, const std::string& title, const std::string& text) {
  bool aboutDepthFile = noticeId == kMissingDepthNotice || noticeId == kInvalidDepthNotice;
  std::string hint = aboutDepthFile && !depthHint.empty() ? " " + depthHint : "";
  bool complainedBefore = complained_;
  Say(PlainText(title) + ": " + text + hint, false);
  // Flag 1 alone is a note (a depth picture was detected); the others report a failure.
  if (flags == kNoticeInformation) {
    Flush();
    complained_ = complainedBefore;
  }
}

std::optional<std::string> ConsoleUserInterface::ChooseFileToOpen(const FileRequest&) { return std::nullopt; }

std::optional<std::string> ConsoleUserInterface::ChooseFileToSave(const FileRequest& request) {
  if (!fileToSave.empty()) return fileToSave;
  if (!request.proposedPath.empty()) return request.proposedPath;
  return std::nullopt;
}

std::optional<std::string> ConsoleUserInterface::ChooseFolder(const std::string&, const std::string&) {
  return std::nullopt;
}

std::vector<std::string> ConsoleUserInterface::SelectFilesFromList(const std::vector<std::string>& listing) {
  return listing;  // every frame that has a depth file
}

void ConsoleUserInterface::BeginProgress(const std::string& text, int total, int) {
  Flush();
  progressText_ = PlainText(text);
  progressTotal_ = total;
  progressDone_ = 0;
  lastDrawn_ = -1;
  DrawBar();
}

bool ConsoleUserInterface::ProgressStep() {
  ++progressDone_;
  DrawBar();
  return false;
}

void ConsoleUserInterface::EndProgress() {
  if (!quiet && progressTotal_ > 0 && isatty(STDERR_FILENO)) std::fprintf(stderr, "\n");
  progressTotal_ = 0;
}

void ConsoleUserInterface::DrawBar() {
  // A bar only makes sense on a terminal; logs get the per-frame lines instead.
  if (quiet || progressTotal_ <= 0 || !isatty(STDERR_FILENO)) return;
  int percent = std::min(100, progressDone_ * 100 / progressTotal_);
  if (percent == lastDrawn_) return;
  lastDrawn_ = percent;
  int filled = percent * 30 / 100;
  std::fprintf(stderr, "\r%s [%s%s] %3d%%", progressText_.c_str(), std::string(size_t(filled), '#').c_str(),
               std::string(size_t(30 - filled), '.').c_str(), percent);
  std::fflush(stderr);
}

void ConsoleUserInterface::ShowInfo(const std::string&) {}

void ConsoleUserInterface::ShowInfoFor(const std::string& text, double) {
  Flush();
  std::fprintf(stderr, "fovara-render: %s\n", PlainText(text).c_str());
}

int ConsoleUserInterface::AskDepthType(const Bitmap&) { return depthType; }

int ConsoleUserInterface::ChooseFilter(const std::vector<FilterChoiceItem>&) { return filterChoice; }

RenderRangeChoice ConsoleUserInterface::AskRenderRange(int) { return {RenderRangeMode::All, 0, 0}; }

DepthModeChoice ConsoleUserInterface::AskDepthMode(const depthBitmap&) { return depthMode; }

std::optional<uint32_t> ConsoleUserInterface::ChooseColour(uint32_t) { return std::nullopt; }
