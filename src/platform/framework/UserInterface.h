#pragma once
// The one place where the program asks or tells the user anything. The core never opens a
// window: the desktop program installs real dialogs, fovara-render a non-interactive
// implementation, and the tests a scripted one.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>


enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// File classes, as FourCC values (see FileClasses.h for the extensions of each).
struct FileRequest {
  uint32_t fileClass = 0;     // 'ALLF' any picture or depth file, or one class
  int flags = 0;              // the caller's dialog flags, passed along unchanged
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
  virtual ~UserInterface() = default;

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

};

// The installed implementation. The caller keeps ownership and uninstalls it (nullptr)
// before destroying it.
void InstallUserInterface(UserInterface* ui);
// The installed implementation; a silent default that answers Cancel and No when none is.
UserInterface& UI();
