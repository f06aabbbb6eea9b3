// The desktop program.

#include <QApplication>

#include "app/FovaraApp.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Fovara"));
  QApplication::setDesktopFileName(QStringLiteral("fovara"));
  CFovaraApp app;
  if (!app.InitInstance(QApplication::arguments())) return 0;
  QApplication::exec();
  return app.ExitInstance();
}
