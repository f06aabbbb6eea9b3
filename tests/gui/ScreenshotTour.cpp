// Takes the pictures of the desktop program that the README and the help show: the empty
// window, a project in each view mode, the area preview, the animation panel on a sequence and
// on a single image, the Edit menu, and the French menus. Run under a virtual display by
// scripts/screenshots:  fovara_screenshots OUTPUT_FOLDER PROJECT.fvz [SINGLE_IMAGE.fvz]

#include <cstdio>
#include <string>
#include <utility>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplashScreen>
#include <QTest>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "animation/AnimationSettingsPanel.h"
#include "app/FovaraView.h"
#include "platform/framework/StringTable.h"
#include "project/ProjectSession.h"

namespace {

QString gOutput;
int gFailures = 0;

// The screen under the window, menus that are open included (there is no window manager,
// so no title bar either).
void Shoot(QWidget& window, const char* name) {
  QTest::qWait(150);
  QRect area = window.frameGeometry();
  QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  QString path = gOutput + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
  if (!shot.save(path)) {
    std::fprintf(stderr, "fovara_screenshots: cannot write %s\n", qPrintable(path));
    ++gFailures;
    return;
  }
  std::printf("%s\n", qPrintable(path));
}

void Run(QAction* action, const char* what) {
  if (action && action->isEnabled()) {
    action->trigger();
  } else {
    std::fprintf(stderr, "fovara_screenshots: %s is not available\n", what);
    ++gFailures;
  }
}

QAction* Command(CChildFrame& window, const char* id) { return window.GetCommandAction(*FourCCFromString(id)); }

void Place(CChildFrame& window) {
  window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "fovara_screenshots: the window was not shown\n");
}

bool Open(CChildFrame& window, const std::string& project) {
  if (window.OpenProject(project)) {
    QTest::qWait(50);  // the animation list is built once the opening is over
    return true;
  }
  std::fprintf(stderr, "fovara_screenshots: cannot open %s\n", project.c_str());
  ++gFailures;
  return false;
}

void EnglishTour(const std::string& project) {
  ScriptedUserInterface ui;
  CFovaraApp app;
  app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")});
  CChildFrame& window = *app.GetMainWindow();
  Place(window);
  Shoot(window, "empty-window");
  app.ShowAbout();
  if (QSplashScreen* splash = app.GetSplash()) {
    Shoot(*splash, "about-splash");
    splash->close();  // the later pictures are of the window alone
  }
  if (!Open(window, project)) return;
  CFovaraView& view = *window.GetView();
  view.ZoomAround(2.0, QPointF(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0));
  // The pointer over the near sphere fills the status bar's readout.
  QPoint over = view.ImageToView(QPointF(150, 190)).toPoint();
  SendMouse(view.viewport(), QEvent::MouseMove, over, Qt::NoButton, Qt::NoButton);
  Shoot(window, "view-image");

  Run(Command(window, "DNFX"), "the area preview");
  QPoint from = view.ImageToView(QPointF(60, 110)).toPoint();
  QPoint to = view.ImageToView(QPointF(300, 250)).toPoint();
  SendMouse(view.viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(view.viewport(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  SendMouse(view.viewport(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  Shoot(window, "view-area-preview");
  view.ClearOverlay();

  if (Command(window, "PWFX")->isEnabled()) {
    Run(Command(window, "PWFX"), "the effect preview");
    Shoot(window, "view-effect-preview");
    Run(Command(window, "PWFX"), "the effect preview");
  }
  ui.renderRanges.push_back({2, 0, 0});
  Run(Command(window, "DOFX"), "the render");
  Shoot(window, "view-last-render");
  Run(Command(window, "VLSI"), "the last rendered image");

  // The depth view in its grey and coloured forms, each left again for the image.
  for (auto [choice, name] : {std::pair{1, "view-depth-grey"}, std::pair{2, "view-depth-colour"}}) {
    ui.depthModes.push_back({choice, 0, 0.2f});
    Run(Command(window, "VZBF"), "the depth view");
    Shoot(window, name);
    Run(Command(window, "VZBF"), "the depth view");
  }
  if (Command(window, "VALP")->isEnabled()) {
    Run(Command(window, "VALP"), "the alpha view");
    Shoot(window, "view-alpha");
  }
  window.Frame().SetModifiedFlag(false);
  app.ExitInstance();
}

void ClickRow(CChildFrame& window, int row) {
  QTreeWidget& list = *window.GetAnimationPanel()->GetList();
  list.scrollToItem(list.topLevelItem(row));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, list.visualItemRect(list.topLevelItem(row)).center());
  QTest::qWait(50);
}

void ShowMenu(CChildFrame& window, int titleId, const char* name) {
  for (QAction* entry : window.menuBar()->actions()) {
    if (entry->text() != QString::fromStdString(LoadString(titleId)) || !entry->menu()) continue;
    QMenu* menu = entry->menu();
    menu->popup(window.menuBar()->mapToGlobal(window.menuBar()->actionGeometry(entry).bottomLeft()));
    if (!QTest::qWaitForWindowExposed(menu)) std::fprintf(stderr, "fovara_screenshots: the menu was not shown\n");
    Shoot(window, name);
    menu->close();
  }
}

// The animation panel: keyframes on a sequence, the Edit menu, and a single image animated
// by typing its length on the second keyframe.
void AnimationTour(const std::string& project, const std::string& stillProject) {
  ScriptedUserInterface ui;
  CFovaraApp app;
  app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")});
  CChildFrame& window = *app.GetMainWindow();
  Place(window);
  if (!Open(window, project)) return;
  CAnimationSettings& panel = *window.GetAnimationPanel();
  ClickRow(window, 4);
  panel.GetButton(CAnimationSettings::kAddButton)->click();
  ClickRow(window, 6);
  Shoot(window, "animation-sequence");
  ShowMenu(window, 63000, "edit-menu");
  window.Frame().SetModifiedFlag(false);

  if (stillProject.empty() || !Open(window, stillProject)) {
    app.ExitInstance();
    return;
  }
  panel.GetButton(CAnimationSettings::kAddButton)->click();
  QTest::qWait(100);
  QLineEdit* editor = panel.GetList()->viewport()->findChild<QLineEdit*>();
  if (editor) {
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("24"));
    Shoot(window, "animation-length");
    QTest::keyClick(editor, Qt::Key_Return);
  } else {
    std::fprintf(stderr, "fovara_screenshots: the keyframe label did not open\n");
    ++gFailures;
  }
  QTest::qWait(100);
  ClickRow(window, 12);
  Shoot(window, "animation-single-image");
  window.Frame().SetModifiedFlag(false);
  app.ExitInstance();
}

void FrenchTour(const std::string& project) {
  ScriptedUserInterface ui;
  CFovaraApp app;
  app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-fr")});
  CChildFrame& window = *app.GetMainWindow();
  Place(window);
  if (!Open(window, project)) return;
  ShowMenu(window, 60008, "french-view-menu");
  window.Frame().SetModifiedFlag(false);
  app.ExitInstance();
  SetLanguage(Language::English);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: fovara_screenshots OUTPUT_FOLDER PROJECT.fvz [SINGLE_IMAGE.fvz]\n");
    return 2;
  }
  // Absolute: the program changes the current folder as projects open.
  gOutput = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(gOutput);
  std::string project = argv[2];
  EnglishTour(project);
  AnimationTour(project, argc == 4 ? argv[3] : "");
  FrenchTour(project);
  return gFailures == 0 ? 0 : 1;
}
