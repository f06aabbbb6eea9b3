#pragma once
// The user interface of fovara-render: it never blocks. Questions are answered from the
// command line's options (or refused), messages and warnings go to stderr, and progress is a
// bar on stderr.

#include <string>

#include "platform/framework/UserInterface.h"
#include "project/ProgramDialogs.h"

class ConsoleUserInterface : public UserInterface, public ProgramDialogs {
 public:
  // Speaks the language of the locale (LC_ALL, LC_MESSAGES, LANG).
  ConsoleUserInterface() : UserInterface(LanguageFromArguments(0, nullptr)) {}
  ~ConsoleUserInterface() override;

  // Answers.
  int depthType = 1;            // light areas far, as the dialog proposes
  int filterChoice = -1;        // index in the filter list
  std::string fileToSave;       // given to the save-file question
  bool quiet = false;           // no progress bar
  // The file the command works on: every message line starts with it.
  std::string subject;
  // What the user can do about a missing or invalid depth file (an option of the command);
  // appended to those notices.
  std::string depthHint;

  // True once a warning or notification was shown: the command should fail.
  bool HasComplained() const { return complained_; }
  // Prints the message line being gathered, if any. A warning and the notes that follow it
  // (the consequence: "the project cannot be opened") make one line.
  void Flush();

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

  DepthModeChoice depthMode;

 private:
  void DrawBar();
  // Starts a new message line, or continues the one being gathered.
  void Say(const std::string& text, bool continues);

  std::string pending_;

  bool complained_ = false;
  std::string progressText_;
  int progressTotal_ = 0;
  int progressDone_ = 0;
  int lastDrawn_ = -1;
};

// Text without the dialogs' <b> and <br> markup.
std::string PlainText(const std::string& markup);
