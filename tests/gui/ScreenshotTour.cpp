// Takes the pictures of the desktop program that the README and the help show: the empty
// window, a project in each view mode, the area preview, a depth pick in progress, the
// animation panel on a sequence and on a single image, the Edit menu, the French window and
// menus, and each filter's panel in English and French. The screen's scale factor is the
// environment's (QT_SCALE_FACTOR). Run under a virtual display by
// scripts/screenshots:  fovara_screenshots OUTPUT_FOLDER PROJECT.fvz [SINGLE_IMAGE.fvz [PANEL_PROJECT.fvz...]]

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplashScreen>
#include <QTest>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "animation/AnimationSettingsPanel.h"
#include "app/CustomVReBar.h"
#include "app/FovaraView.h"
#include "controls/ToolBitmapButton.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/DepthOfFieldPanel.h"
#include "platform/framework/StringTable.h"
#include "tools/ProjectSession.h"

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

// One widget of the window, as painted.
void ShootWidget(QWidget& widget, const QString& name) {
  QTest::qWait(100);
  QString path = gOutput + QLatin1Char('/') + name + QStringLiteral(".png");
  if (!widget.grab().save(path)) {
    std::fprintf(stderr, "fovara_screenshots: cannot write %s\n", qPrintable(path));
    ++gFailures;
    return;
  }
  std::printf("%s\n", qPrintable(path));
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

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", what, ok ? "done" : "FAILED");
  if (!ok) ++gFailures;
}

// What a user does with the sample: set the focus on the near sphere, render and save every
// frame, and convert the depth buffer to a picture.
void UserRound(CChildFrame& window, ScriptedUserInterface& ui) {
  CFovaraView& view = *window.GetView();
  auto* panel = dynamic_cast<DepthOfFieldPanel*>(window.GetLeftPane()->GetBar(0));
  ProjectData& project = window.Document().GetProject();
  if (!panel) return Check(false, "the depth-of-field panel");
  auto& settings = static_cast<DepthOfFieldSettings&>(project.GetFilter()->GetCurrentSettings());
  const double fieldFar = settings.FieldFar;
  panel->FocusButton()->click();
  const QPoint sphere = view.ImageToView(QPointF(150.5, 190.5)).toPoint();
  SendMouse(view.viewport(), QEvent::MouseButtonPress, sphere, Qt::LeftButton, Qt::LeftButton);
  SendMouse(view.viewport(), QEvent::MouseButtonRelease, sphere, Qt::LeftButton, Qt::NoButton);
  Check(settings.FieldFar != fieldFar, "focus picked on the near sphere");

  QTemporaryDir out;
  ui.renderRanges.push_back({3, 0, 0});
  ui.saveFiles.push_back(out.filePath(QStringLiteral("frame.png")).toStdString());
  Run(Command(window, "DSFX"), "render and save");
  const int frames = project.GetTrack().GetLastFrame() + 1;
  Check(int(QDir(out.path()).entryList(QDir::Files).size()) == frames, "every frame rendered and saved");

  ui.depthModes.push_back({1, 0, 0.2f});
  const QString depth = out.filePath(QStringLiteral("depth.z.tga"));
  ui.saveFiles.push_back(depth.toStdString());
  Run(window.GetFileAction(kIdConvertZBuffer), "Convert Z-Buffer");
  Check(QFile::exists(depth), "depth buffer converted");
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

  // The background maximum-blur point: what lies in front of the far field limit is refused
  // and painted red, and the status bar says what a click would set.
  auto* panel = dynamic_cast<DepthOfFieldPanel*>(window.GetLeftPane()->GetBar(0));
  if (panel) {
    panel->BackPointButton()->click();
    for (QPointF at : {QPointF(150, 190), QPointF(420, 60)}) {
      SendMouse(view.viewport(), QEvent::MouseMove, view.ImageToView(at).toPoint(), Qt::NoButton, Qt::NoButton);
      Shoot(window, at.y() < 100 ? "depth-pick" : "depth-pick-refused");
    }
    Run(Command(window, "DNFX"), "the area preview");
  }

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
  UserRound(window, ui);
  window.Frame().SetModifiedFlag(false);
  app.ExitInstance();
}

// Each filter's panel, docked beside its project.
void PanelTour(const std::vector<std::string>& projects, bool french) {
  ScriptedUserInterface ui;
  CFovaraApp app;
  app.InitInstance({QStringLiteral("fovara"), french ? QStringLiteral("-fr") : QStringLiteral("-us")});
  CChildFrame& window = *app.GetMainWindow();
  Place(window);
  for (const std::string& project : projects) {
    if (!Open(window, project)) continue;
    QWidget* panel = window.GetLeftPane()->GetBar(0);
    QString name = QStringLiteral("panel-") + panel->objectName();
    // The panel under its title, not the empty dock below it.
    ShootWidget(*panel->parentWidget(), french ? name + QStringLiteral("-fr") : name);
    window.Frame().SetModifiedFlag(false);
  }
  app.ExitInstance();
  SetLanguage(Language::English);
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
  panel.GetButton(kAddButton)->click();
  ClickRow(window, 6);
  Shoot(window, "animation-sequence");
  ShowMenu(window, 63000, "edit-menu");
  window.Frame().SetModifiedFlag(false);

  if (stillProject.empty() || !Open(window, stillProject)) {
    app.ExitInstance();
    return;
  }
  panel.GetButton(kAddButton)->click();
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
  // The whole window in French: its panels, and the depth under the pointer with a comma.
  CFovaraView& view = *window.GetView();
  SendMouse(view.viewport(), QEvent::MouseMove, view.ImageToView(QPointF(150, 190)).toPoint(), Qt::NoButton,
            Qt::NoButton);
  Shoot(window, "french-window");
  ShowMenu(window, 60008, "french-view-menu");
  window.Frame().SetModifiedFlag(false);
  app.ExitInstance();
  SetLanguage(Language::English);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: fovara_screenshots OUTPUT_FOLDER PROJECT.fvz [SINGLE_IMAGE.fvz [PANEL_PROJECT.fvz...]]\n");
    return 2;
  }
  // Absolute: the program changes the current folder as projects open.
  gOutput = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(gOutput);
  std::string project = argv[2];
  EnglishTour(project);
  AnimationTour(project, argc >= 4 ? argv[3] : "");
  FrenchTour(project);
  std::vector<std::string> panels(argc > 4 ? argv + 4 : argv + argc, argv + argc);
  PanelTour(panels, false);
  PanelTour(panels, true);
  return gFailures == 0 ? 0 : 1;
}
