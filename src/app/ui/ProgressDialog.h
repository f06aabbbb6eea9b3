#pragma once
// The progress display of a render. Renders run on the interface thread and poll Cancel
// between steps, so each step lets Qt handle pending events (a few dozen times a second at
// most): the dialog repaints, and its Cancel button and Escape key work. The dialog is
// application-modal while it is shown, so nothing else can be started meanwhile.

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

class ProgressDialog : public QDialog {
  Q_OBJECT
 public:
  // A total of 0 shows a busy bar: the work cannot tell how far it is.
  ProgressDialog(const QString& text, int total, QWidget* parent = nullptr);

  // Shows the dialog and paints it at once.
  void Open();
  // Advances by one; true once the user asked to cancel.
  bool Step();
  bool CancelRequested() const { return cancelled_; }
  int Position() const;
  // How far along, 0 to 100; 0 while the total is unknown.
  int Percent() const;

  QPushButton* CancelButton() const { return cancel_; }

 protected:
  // Escape and the close button mean Cancel; the render closes the dialog itself.
  void reject() override;

 private:
  void ProcessPendingEvents();

  QLabel* text_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  QElapsedTimer sinceEvents_;
  bool cancelled_ = false;
};
