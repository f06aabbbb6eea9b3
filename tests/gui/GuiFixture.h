#pragma once
// The real application with its main window, driven through the scripted user interface in
// a fresh folder with a generated sequence.

#include <memory>
#include <string>

#include <QPoint>
#include <QStringList>

#include "app/MainWindow.h"
#include "app/FovaraApp.h"
#include "platform/framework/FourCC.h"
#include "support/ScriptedUserInterface.h"
#include "project/ProjectData.h"
#include "support/TempFolder.h"

class CFovaraView;
class QAction;
class QWidget;

class GuiFixture {
 public:
  explicit GuiFixture(const QStringList& arguments = {QStringLiteral("fovara"), QStringLiteral("-us")});
  ~GuiFixture();

  MainWindow& Window() const { return *app.GetMainWindow(); }
  CFovaraView& View() const;
  ProjectData& Project() const;
  QStringList MenuTitles() const;
  // The entries of a menu of the menu bar, without separators.
  QStringList MenuEntries(const QString& title) const;
  QAction* Command(const char* id) const;
  uint32_t ViewMode() const;
  int Count(const std::string& kind) const { return int(ui.EventsOfKind(kind).size()); }

  // Writes frames s01.tga, s02.tga... with .zpic depth files and alpha; returns the first.
  std::string WriteSequence(int count = 3, int width = kWidth, int height = kHeight) const;
  // New project through the File menu's action: image, frame picker, filter list.
  bool NewProject(uint32_t filterId = FourCC("FXDF"), int width = kWidth, int height = kHeight);
  // The same with a sequence of that many frames (one: a single image).
  bool NewProjectOf(int frames, uint32_t filterId = FourCC("FXDF"));

  // The New project command with the filter chosen in the list.
  bool RunNewProject(uint32_t filterId);

  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  ScriptedUserInterface ui;  // installed before the application starts
  TempFolder dir;
  CFovaraApp app{ui};
};

// Mouse events as the window system sends them, with the buttons held during moves.
void SendMouse(QWidget* widget, int type, QPoint at, int button, int buttons);
