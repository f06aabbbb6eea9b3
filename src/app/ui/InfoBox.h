#pragma once
// The information box: a short message shown while a tool works, or for a few seconds to
// say why nothing happened.

#include <QFrame>

class QLabel;

class InfoBox : public QFrame {
  Q_OBJECT
 public:
  InfoBox(const QString& text, QWidget* owner);

  // Shows the box centred over its owner (or the screen) and paints it at once, since the
  // work that follows keeps the interface thread busy.
  void Open();
  // Keeps the box up for that many seconds. Pending paints are handled meanwhile; user
  // input waits, as the program waits.
  void Wait(double seconds);

  QString Text() const;

 private:
  QLabel* text_;
  QWidget* owner_;
};
