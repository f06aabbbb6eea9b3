#include "app/ui/QtUserInterface.h"

#include <QColorDialog>
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
#include "app/ui/UiText.h"

namespace {

constexpr int kProgramNameId = 57344;

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
  QMessageBox box(buttons == Buttons::Ok ? QMessageBox::Information : QMessageBox::Question, UiText(kProgramNameId),
                  QString::fromStdString(text), ButtonsOf(buttons), Owner());
  box.setObjectName(QStringLiteral("AskBox"));
  box.setTextFormat(Qt::PlainText);
  if (buttons == Buttons::YesNoCancel) box.setEscapeButton(QMessageBox::Cancel);
  if (buttons == Buttons::YesNo) box.setEscapeButton(QMessageBox::No);
  return AnswerOf(box.exec(), buttons);
}

void QtUserInterface::Warning(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Warning, title.empty() ? UiText(kProgramNameId) : QString::fromStdString(title),
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
  return ChooseFileToOpenWithDialog(Owner(), request);
}

std::optional<std::string> QtUserInterface::ChooseFileToSave(const FileRequest& request) {
  return ChooseFileToSaveWithDialog(Owner(), request);
}

std::optional<std::string> QtUserInterface::ChooseFolder(const std::string& title, const std::string& start) {
  return ChooseFolderWithDialog(Owner(), title, start);
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
}

bool QtUserInterface::ProgressStep() { return progress_ && progress_->Step(); }

void QtUserInterface::EndProgress() { delete progress_.data(); }

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
  // However the dialog is closed, its choice is the one rendered.
  RenderOptionsDialog dialog(frameCount, Owner());
  dialog.exec();
  return dialog.GetChoice();
}

DepthModeChoice QtUserInterface::AskDepthMode(const floatBitmap& depth) {
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
