// The desktop program.

#include <cstdio>
#include <cstring>

#include <QApplication>

#include "FovaraVersion.h"

#include "app/MainWindow.h"
#include "app/FovaraApp.h"
#include "app/FovaraView.h"
#include "app/StartupTiming.h"
#include "app/ui/QtUserInterface.h"

int main(int argc, char** argv) {
  // Answered before Qt starts, so that it needs no display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("fovara %s\n", kFovaraVersion);
    return 0;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Fovara"));
  QApplication::setDesktopFileName(QStringLiteral("fovara"));
  // Real dialogs, owned by the main window as soon as it exists.
  QtUserInterface dialogs;
  int code = 0;
  {
    CFovaraApp app(dialogs);
    if (app.InitInstance(QApplication::arguments(), [&dialogs](QWidget* window) { dialogs.SetMainWindow(window); })) {
      QuitWhenReadyIfAsked(app.GetMainWindow()->GetView()->viewport());
      QApplication::exec();
      code = app.ExitInstance();
    }
  }
  return code;
}
