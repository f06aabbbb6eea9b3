#pragma once
// The one place where the program asks or tells the user anything. The core never opens a
// window: each program makes its own user interface at its top level and hands it to what it
// runs (the desktop program real dialogs, fovara-render and the Python module non-interactive
// ones, the tests a scripted one). A user interface speaks one language: the texts the core
// shows through it are taken in that language.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/framework/StringTable.h"


enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// What a file dialog is for (FileRequest::flags), passed along unchanged: a picture, any file
// (a depth file the search did not find), a new project's image, a render's frames.
constexpr int kDialogPicture = 0x1000;
constexpr int kDialogAnyFile = 0x3000;
constexpr int kDialogNewProject = 0x13000;
constexpr int kDialogFrames = 0x11000;

// How a notice reads: information, or a problem the user may mend (a file missing).
constexpr int kNoticeInformation = 1;
constexpr int kNoticeProblem = 0x8001;

// File classes, as FourCC values (see FileClasses.h for the extensions of each).
struct FileRequest {
  uint32_t fileClass = 0;     // 'ALLF' any picture or depth file, or one class
  int flags = 0;              // what the dialog is for (kDialogPicture, ...)
  std::string title;          // may be empty
  std::string proposedPath;   // start folder or proposed file name
  // Saving: whether the dialog asks before replacing the chosen file. Callers that check
  // every file they will write themselves turn it off.
  bool confirmOverwrite = true;
};

// Notices about depth files (the notification dialog's notice ids).
constexpr int kMissingDepthNotice = 6000;
constexpr int kInvalidDepthNotice = 6001;
constexpr int kBitmapDepthNotice = 6002;

class UserInterface {
 public:
  explicit UserInterface(Language language = Language::English) : language_(language) {}
  virtual ~UserInterface() = default;

  // The language of the texts shown through this interface.
  Language GetLanguage() const { return language_; }
  void SetLanguage(Language language) { language_ = language; }
  std::string Text(int id) const { return LoadString(language_, id); }
  template <typename... Args>
  std::string Format(int id, const Args&... args) const {
    return FormatString(language_, id, args...);
  }
  // A reason a reader or the system gave, fit to follow a text of this language.
  std::string Reason(const std::string& reason) const { return LocalReason(language_, reason); }

  // Message box with the given buttons.
  virtual Answer Ask(const std::string& text, Buttons buttons) = 0;
  // Warning box: title and message.
  virtual void Warning(const std::string& title, const std::string& text) = 0;
  // Notification dialog; text uses <b> and <br> markup.
  virtual void Notify(int flags, int noticeId, const std::string& title, const std::string& text) = 0;

  // False for an implementation that has no file dialogs to offer (the command line): the
  // program then does not invite the user to pick a file.
  virtual bool CanChooseFiles() const { return true; }
  virtual std::optional<std::string> ChooseFileToOpen(const FileRequest& request) = 0;
  // Returns the chosen complete file name, extension included (it names the format).
  virtual std::optional<std::string> ChooseFileToSave(const FileRequest& request) = 0;
  virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) = 0;
  // Picks frames of a sequence listing; an empty answer means none.
  virtual std::vector<std::string> SelectFilesFromList(const std::vector<std::string>& listing) = 0;

  // Progress with Cancel. total > 0.
  virtual void BeginProgress(const std::string& text, int total, int step) = 0;
  // Advances by one; true when the user asked to cancel.
  virtual bool ProgressStep() = 0;
  virtual void EndProgress() = 0;

  // Waits for work running on another thread; done tells when it has finished. The window
  // keeps answering meanwhile; a long wait shows a busy cursor and a progress display, with
  // Cancel when the work may be given up. False when the user cancelled before the work was
  // done. The default just waits.
  virtual bool WaitFor(const std::string& text, const std::function<bool()>& done, bool cancellable = true);

  // Information box. Timed boxes close by themselves after the given time.
  virtual void ShowInfo(const std::string& text) = 0;
  virtual void ShowInfoFor(const std::string& text, double seconds) = 0;
  virtual void CloseInfo() = 0;

  // The information box with a string-table text; a non-zero time closes it after that many
  // seconds. At most one box is open.
  void ShowInfoText(int stringId, double seconds);
  // Closes the box ShowInfoText opened, if it is open.
  void CloseInfoText();

 private:
  Language language_;
  bool infoOpen_ = false;
};

// A user interface nobody sees: it never blocks, refuses every question (Cancel, No) and
// forgets what it is told. What runs without anybody to ask uses it.
class SilentUserInterface final : public UserInterface {
 public:
  using UserInterface::UserInterface;
  Answer Ask(const std::string&, Buttons buttons) override;
  void Warning(const std::string&, const std::string&) override {}
  void Notify(int, int, const std::string&, const std::string&) override {}
  std::optional<std::string> ChooseFileToOpen(const FileRequest&) override { return std::nullopt; }
  std::optional<std::string> ChooseFileToSave(const FileRequest&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return std::nullopt; }
  std::vector<std::string> SelectFilesFromList(const std::vector<std::string>&) override { return {}; }
  void BeginProgress(const std::string&, int, int) override {}
  bool ProgressStep() override { return false; }
  void EndProgress() override {}
  void ShowInfo(const std::string&) override {}
  void ShowInfoFor(const std::string&, double) override {}
  void CloseInfo() override {}
};
