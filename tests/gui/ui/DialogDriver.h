#pragma once
// Drives a modal dialog the way a user would: once the code under test has opened it (and
// is blocked in it), the action finds it and clicks or types.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Runs the action on the next modal window to open. The search stops after five seconds,
// so a dialog that never opens fails the test on its result instead of hanging it; a dialog
// the action failed to close is closed a few seconds later for the same reason.
inline void WhenModalOpens(std::function<void(QWidget*)> action) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(20);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, action = std::move(action)]() {
    QWidget* modal = QApplication::activeModalWidget();
    const bool found = modal && modal->isVisible();
    if (found || ++*tries >= 250) {
      timer->stop();
      timer->deleteLater();
    }
    if (!found) return;
    action(modal);
    QPointer<QWidget> left(modal);
    QTimer::singleShot(3000, [left] {
      if (left && left->isVisible()) left->close();
    });
  });
  timer->start();
}

template <typename T>
T* Find(QWidget* dialog, const char* name) {
  return dialog->findChild<T*>(QString::fromLatin1(name));
}
