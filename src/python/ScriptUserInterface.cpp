#include "python/ScriptUserInterface.h"

#include <algorithm>
#include <regex>

namespace {

// The dialogs' <b> and <br> markup taken out: a script's message is one line.
std::string OneLine(const std::string& markup) {
  static const std::regex kBreaks("(<br>|\n)+");
  static const std::regex kBold("</?b>");
  std::string text = std::regex_replace(std::regex_replace(markup, kBreaks, " "), kBold, "");
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

void ScriptUserInterface::Say(const std::string& text, bool continues) {
  std::string line = OneLine(text);
  if (continues && !complaints_.empty()) {
    complaints_.back() += " " + line;
  } else {
    complaints_.push_back(line);
  }
}

Answer ScriptUserInterface::Ask(const std::string& text, Buttons buttons) {
  if (buttons == Buttons::Ok) {
    Say(text, true);
    return Answer::Ok;
  }
  // Nobody is there to answer: things stay as they are.
  return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

void ScriptUserInterface::Warning(const std::string&, const std::string& text) { Say(text, false); }

void ScriptUserInterface::Notify(int flags, int, const std::string& title, const std::string& text) {
  // Flag 1 alone is a note (a depth picture was detected); the others report a failure.
  if (flags == 1) return;
  Say(OneLine(title) + ": " + text, false);
}

std::optional<std::string> ScriptUserInterface::ChooseFileToOpen(const FileRequest&) { return std::nullopt; }
std::optional<std::string> ScriptUserInterface::ChooseFileToSave(const FileRequest&) { return std::nullopt; }
std::optional<std::string> ScriptUserInterface::ChooseFolder(const std::string&, const std::string&) {
  return std::nullopt;
}

std::vector<std::string> ScriptUserInterface::SelectFilesFromList(const std::vector<std::string>& listing) {
  if (onlyImage.empty()) return listing;  // every frame that has a depth file
  if (std::find(listing.begin(), listing.end(), onlyImage) == listing.end()) return {};
  return {onlyImage};
}

void ScriptUserInterface::BeginProgress(const std::string&, int, int) {}
bool ScriptUserInterface::ProgressStep() { return false; }
void ScriptUserInterface::EndProgress() {}
void ScriptUserInterface::ShowInfo(const std::string&) {}
void ScriptUserInterface::ShowInfoFor(const std::string&, double) {}

int ScriptUserInterface::AskDepthType(const Bitmap&) { return depthType; }
int ScriptUserInterface::ChooseFilter(const std::vector<FilterChoiceItem>&) { return filterChoice; }
RenderRangeChoice ScriptUserInterface::AskRenderRange(int) { return {RenderRangeMode::All, 0, 0}; }
DepthModeChoice ScriptUserInterface::AskDepthMode(const depthBitmap&) { return {}; }
std::optional<uint32_t> ScriptUserInterface::ChooseColour(uint32_t) { return std::nullopt; }
