#pragma once
// The desktop program's user interface: every question and message of the core as a Qt
// dialog, owned by the main window. The program makes it once a QApplication exists and hands
// it to the application, which hands it to the project.

#include <QPointer>
#include <QWidget>

#include "platform/framework/UserInterface.h"
#include "project/ProgramDialogs.h"

class InfoBox;
class ProgressDialog;

class QtUserInterface : public UserInterface, public ProgramDialogs {
 public:
  explicit QtUserInterface(QWidget* mainWindow = nullptr);
  ~QtUserInterface() override;
  QtUserInterface(const QtUserInterface&) = delete;
  QtUserInterface& operator=(const QtUserInterface&) = delete;

  // The window that owns the dialogs; they are centred on it.
  void SetMainWindow(QWidget* mainWindow);

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

  // How long a wait keeps the user's input for later before it shows its progress display.
  static constexpr int kQuietWaitMs = 200;

  // The open progress display and information box, or null.
  ProgressDialog* Progress() const;
  InfoBox* Info() const;

 private:
  QWidget* Owner() const { return mainWindow_.data(); }
  // The render's progress in the main window's status bar too.
  void ShowProgressInStatusBar();

  QString progressText_;
  QString statusBefore_;

  QPointer<QWidget> mainWindow_;
  // Children of the main window: guarded, since the window may go first and take them along.
  QPointer<ProgressDialog> progress_;
  QPointer<InfoBox> info_;
};
