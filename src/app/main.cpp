// The desktop program.

#include <QApplication>

#include "app/ChildFrame.h"
#include "app/FovaraApp.h"
#include "app/FovaraView.h"
#include "app/StartupTiming.h"
#include "app/ui/QtUserInterface.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Fovara"));
  QApplication::setDesktopFileName(QStringLiteral("fovara"));
  // Real dialogs, owned by the main window as soon as it exists.
  QtUserInterface dialogs;
  InstallUserInterface(&dialogs);
  int code = 0;
  {
    CFovaraApp app;
    if (app.InitInstance(QApplication::arguments(), [&dialogs](QWidget* window) { dialogs.SetMainWindow(window); })) {
      QuitWhenReadyIfAsked(app.GetMainWindow()->GetView()->viewport());
      QApplication::exec();
      code = app.ExitInstance();
    }
  }
  InstallUserInterface(nullptr);
  return code;
}
