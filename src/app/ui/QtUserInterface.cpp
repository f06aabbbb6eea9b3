#include "app/ui/QtUserInterface.h"

#include <QApplication>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "app/ui/DepthModeDialog.h"
#include "app/ui/DepthTypeDialog.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/FilterListDialog.h"
#include "app/ui/FramePickerDialog.h"
#include "app/ui/InfoBox.h"
#include "app/ui/NotificationDialog.h"
#include "app/ui/ProgressDialog.h"
#include "app/ui/RenderOptionsDialog.h"
#include "controls/UiText.h"
#include "strings/StringIds.h"

namespace {

constexpr int kPollMs = 10;

QStatusBar* StatusBarOf(QWidget* window) {
  auto* main = qobject_cast<QMainWindow*>(window);
  return main ? main->statusBar() : nullptr;
}

QMessageBox::StandardButtons ButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

Answer AnswerOf(int button, Buttons buttons) {
  switch (button) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Ok: return Answer::Ok;
    default:
      // Closed without a button: the most careful answer the box offered.
      if (buttons == Buttons::YesNoCancel) return Answer::Cancel;
      return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
  }
}

// Colours travel as 0x00BBGGRR.
QColor ToQColor(uint32_t colour) {
  return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

uint32_t FromQColor(const QColor& colour) {
  return uint32_t(colour.red()) | (uint32_t(colour.green()) << 8) | (uint32_t(colour.blue()) << 16);
}

// The folder of a file the user chose becomes the working folder: the next dialog opens
// there, and it is the one remembered for the next session.
std::optional<std::string> WorkIn(std::optional<std::string> chosen) {
  if (chosen && !chosen->empty()) {
    const QFileInfo file(QString::fromStdString(*chosen));
    QDir::setCurrent(file.isDir() ? file.absoluteFilePath() : file.absolutePath());
  }
  return chosen;
}

}  // namespace

QtUserInterface::QtUserInterface(QWidget* mainWindow) : mainWindow_(mainWindow) {}

QtUserInterface::~QtUserInterface() {
  EndProgress();
  CloseInfo();
}

void QtUserInterface::SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

ProgressDialog* QtUserInterface::Progress() const { return progress_.data(); }

InfoBox* QtUserInterface::Info() const { return info_.data(); }

Answer QtUserInterface::Ask(const std::string& text, Buttons buttons) {
  QMessageBox box(buttons == Buttons::Ok ? QMessageBox::Information : QMessageBox::Question, UiText(kProgramName),
                  QString::fromStdString(text), ButtonsOf(buttons), Owner());
  box.setObjectName(QStringLiteral("AskBox"));
  box.setTextFormat(Qt::PlainText);
  if (buttons == Buttons::YesNoCancel) box.setEscapeButton(QMessageBox::Cancel);
  if (buttons == Buttons::YesNo) box.setEscapeButton(QMessageBox::No);
  return AnswerOf(box.exec(), buttons);
}

void QtUserInterface::Warning(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Warning, title.empty() ? UiText(kProgramName) : QString::fromStdString(title),
                  QString::fromStdString(text), QMessageBox::Ok, Owner());
  box.setObjectName(QStringLiteral("WarningBox"));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void QtUserInterface::Notify(int, int, const std::string& title, const std::string& text) {
  NotificationDialog dialog(title, text, Owner());
  dialog.exec();
}

std::optional<std::string> QtUserInterface::ChooseFileToOpen(const FileRequest& request) {
  return WorkIn(ChooseFileToOpenWithDialog(Owner(), request));
}

std::optional<std::string> QtUserInterface::ChooseFileToSave(const FileRequest& request) {
  return WorkIn(ChooseFileToSaveWithDialog(Owner(), request));
}

std::optional<std::string> QtUserInterface::ChooseFolder(const std::string& title, const std::string& start) {
  return WorkIn(ChooseFolderWithDialog(Owner(), title, start));
}

std::vector<std::string> QtUserInterface::SelectFilesFromList(const std::vector<std::string>& listing) {
  FramePickerDialog dialog(listing, Owner());
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.SelectedNames();
}

void QtUserInterface::BeginProgress(const std::string& text, int total, int) {
  EndProgress();
  progress_ = new ProgressDialog(QString::fromStdString(text), total, Owner());
  progress_->Open();
  progressText_ = QString::fromStdString(text).simplified();
  if (QStatusBar* bar = StatusBarOf(Owner())) statusBefore_ = bar->currentMessage();
  ShowProgressInStatusBar();
}

bool QtUserInterface::ProgressStep() {
  if (!progress_) return false;
  const bool cancelled = progress_->Step();
  ShowProgressInStatusBar();
  return cancelled;
}

void QtUserInterface::EndProgress() {
  if (!progress_) return;
  delete progress_.data();
  if (QStatusBar* bar = StatusBarOf(Owner())) bar->showMessage(statusBefore_);
}

void QtUserInterface::ShowProgressInStatusBar() {
  QStatusBar* bar = StatusBarOf(Owner());
  if (!bar || !progress_) return;
  const QString text =
      QString::fromStdString(FormatString(InterfaceLanguage(), kProgressInStatus, progressText_.toStdString(), progress_->Percent()));
  if (bar->currentMessage() != text) bar->showMessage(text);
}

bool QtUserInterface::WaitFor(const std::string& text, const std::function<bool()>& done, bool cancellable) {
  if (done()) return true;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(kPollMs);
  bool longWait = false;
  ProgressDialog* shown = nullptr;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || (shown && shown->CancelRequested()) || (!longWait && clock.elapsed() >= kQuietWaitMs)) loop.quit();
  });
  poll.start();
  // A short wait repaints the window but keeps the user's input for later: nothing may start
  // while a frame is half read.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (done()) return true;
  // A long one says so: a busy cursor, and a progress display whose Cancel gives up the wait.
  // The display is modal, so the rest of the window only repaints meanwhile.
  longWait = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  ProgressDialog dialog(QString::fromStdString(text), 0, Owner());
  dialog.CancelButton()->setVisible(cancellable);
  shown = cancellable ? &dialog : nullptr;
  dialog.Open();
  QStatusBar* bar = StatusBarOf(Owner());
  const QString before = bar ? bar->currentMessage() : QString();
  if (bar) bar->showMessage(QString::fromStdString(text));
  loop.exec();
  if (bar) bar->showMessage(before);
  QApplication::restoreOverrideCursor();
  return done();
}

void QtUserInterface::ShowInfo(const std::string& text) {
  CloseInfo();
  info_ = new InfoBox(QString::fromStdString(text), Owner());
  info_->Open();
}

void QtUserInterface::ShowInfoFor(const std::string& text, double seconds) {
  ShowInfo(text);
  info_->Wait(seconds);
  CloseInfo();
}

void QtUserInterface::CloseInfo() { delete info_.data(); }

int QtUserInterface::AskDepthType(const Bitmap& picture) {
  DepthTypeDialog dialog(picture, Owner());
  dialog.exec();
  return dialog.LightSide();
}

int QtUserInterface::ChooseFilter(const std::vector<FilterChoiceItem>& filters) {
  FilterListDialog dialog(filters, Owner());
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.ChosenIndex();
}

RenderRangeChoice QtUserInterface::AskRenderRange(int frameCount) {
  RenderOptionsDialog dialog(frameCount, Owner());
  dialog.exec();
  return dialog.GetChoice();
}

DepthModeChoice QtUserInterface::AskDepthMode(const depthBitmap& depth) {
  DepthModeDialog dialog(depth, Owner());
  dialog.exec();
  return dialog.GetChoice();
}

std::optional<uint32_t> QtUserInterface::ChooseColour(uint32_t initial) {
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), Owner(), QString(),
                                               QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return std::nullopt;
  return FromQColor(chosen);
}
