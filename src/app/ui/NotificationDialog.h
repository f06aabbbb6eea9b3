#pragma once
// The notification dialog: a title, an icon and a message written with <b> and <br> markup.

#include <QDialog>
#include <string>

class QLabel;

// The message as rich text: everything is shown literally (a file name may hold '<' or '&')
// except the markup the program writes itself, <b>, </b> and <br>; line feeds become breaks.
QString NotificationMarkupToHtml(const std::string& text);

class NotificationDialog : public QDialog {
  Q_OBJECT
 public:
  NotificationDialog(const std::string& title, const std::string& text, QWidget* parent = nullptr);

  QLabel* MessageLabel() const { return message_; }

 private:
  QLabel* message_;
};
