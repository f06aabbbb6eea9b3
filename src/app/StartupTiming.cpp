#include "app/StartupTiming.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Seconds since this process started, from the kernel's own accounts (10 ms resolution).
double SecondsSinceProcessStart() {
  std::ifstream statFile("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
  // The command name may hold spaces: the fields count from after its closing parenthesis.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
  }
  double started = std::stod(field) / double(sysconf(_SC_CLK_TCK));
  double uptime = 0;
  std::ifstream("/proc/uptime") >> uptime;
  return uptime - started;
}

class FirstPaintWatcher : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // Once this paint is done and the loop idles, the window is usable.
      QTimer::singleShot(0, [] {
        std::printf("fovara: window ready %.0f ms after the process started\n", SecondsSinceProcessStart() * 1000);
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace

void QuitWhenReadyIfAsked(QWidget* painted) {
  if (qEnvironmentVariableIsEmpty("FOVARA_QUIT_WHEN_READY")) return;
  painted->installEventFilter(new FirstPaintWatcher(painted));
}
