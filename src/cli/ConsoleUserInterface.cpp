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

Answer ConsoleUserInterface::Ask(const std::string& text, Buttons buttons) {
  if (buttons == Buttons::Ok) {
    std::fprintf(stderr, "fovara-render: %s\n", PlainText(text).c_str());
    complained_ = true;
    return Answer::Ok;
  }
  // Nobody is there to answer: keep things as they are.
  return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

void ConsoleUserInterface::Warning(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "fovara-render: %s: %s\n", PlainText(title).c_str(), PlainText(text).c_str());
  complained_ = true;
}

void ConsoleUserInterface::Notify(int flags, int, const std::string& title, const std::string& text) {
  std::fprintf(stderr, "fovara-render: %s: %s\n", PlainText(title).c_str(), PlainText(text).c_str());
  // Flag 1 alone is a note (a depth picture was detected); the others report a failure.
  if (flags != 1) complained_ = true;
}

std::optional<std::string> ConsoleUserInterface::ChooseFileToOpen(const FileRequest&) {
  if (fileToOpen.empty()) return std::nullopt;
  return std::exchange(fileToOpen, std::string());
}

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
  std::fprintf(stderr, "fovara-render: %s\n", PlainText(text).c_str());
}

int ConsoleUserInterface::AskDepthType(const Bitmap&) { return depthType; }

int ConsoleUserInterface::ChooseFilter(const std::vector<FilterChoiceItem>&) { return filterChoice; }

RenderRangeChoice ConsoleUserInterface::AskRenderRange(int) { return {3, 0, 0}; }

DepthModeChoice ConsoleUserInterface::AskDepthMode(const floatBitmap&) { return depthMode; }

std::optional<uint32_t> ConsoleUserInterface::ChooseColour(uint32_t) { return std::nullopt; }
