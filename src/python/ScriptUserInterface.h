#pragma once
// The user interface of the scripting module: nobody is there to answer, so questions get the
// answers a script would want (or are refused), what the core tells the user is gathered as
// one-line messages for the script's exception. Each call of the module has its own.

#include <functional>
#include <string>
#include <vector>

#include "platform/framework/UserInterface.h"
#include "project/ProgramDialogs.h"

class ScriptUserInterface : public UserInterface, public ProgramDialogs {
 public:
  // Speaks the language of the locale (LC_ALL, LC_MESSAGES, LANG).
  ScriptUserInterface() : UserInterface(LanguageFromArguments(0, nullptr)) {}

  // Answers.
  int depthType = 1;             // depth pictures: light areas far, as the dialog proposes
  int filterChoice = -1;         // index in the filter list
  std::string onlyImage;         // when set, the one image taken from a sequence listing

  // What went wrong since the last Clear(), one line each; notes are not kept.
  const std::vector<std::string>& GetComplaints() const { return complaints_; }
  void Clear() { complaints_.clear(); }

  Answer Ask(const std::string& text, Buttons buttons) override;
  void Warning(const std::string& title, const std::string& text) override;
  void Notify(int flags, int noticeId, const std::string& title, const std::string& text) override;
  bool CanChooseFiles() const override { return false; }
  std::optional<std::string> ChooseFileToOpen(const FileRequest& request) override;
  std::optional<std::string> ChooseFileToSave(const FileRequest& request) override;
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override;
  std::vector<std::string> SelectFilesFromList(const std::vector<std::string>& listing) override;
  void BeginProgress(const std::string& text, int total, int step) override;
  bool ProgressStep() override;
  void EndProgress() override;
  void ShowInfo(const std::string& text) override;
  void ShowInfoFor(const std::string& text, double seconds) override;
  void CloseInfo() override {}
  int AskDepthType(const Bitmap& picture) override;
  int ChooseFilter(const std::vector<FilterChoiceItem>& filters) override;
  RenderRangeChoice AskRenderRange(int frameCount) override;
  DepthModeChoice AskDepthMode(const depthBitmap& depth) override;
  std::optional<uint32_t> ChooseColour(uint32_t initial) override;

 private:
  // A new message, or the continuation of the last one (the consequence of a warning).
  void Say(const std::string& text, bool continues);

  std::vector<std::string> complaints_;
};
