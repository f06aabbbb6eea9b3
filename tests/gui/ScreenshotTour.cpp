// Takes the pictures of the desktop program that the README and the help show: the empty
// window, a project in each view mode, the area preview, a depth pick in progress, the
// animation panel on a sequence and on a single image, the Edit menu, the French window and
// menus, each filter's panel in English and French, and a floating-point night frame at an
// exposure and through a colour configuration's view. The screen's scale factor is the
// environment's (QT_SCALE_FACTOR). Run under a virtual display by
// scripts/screenshots:  fovara_screenshots OUTPUT_FOLDER PROJECT.fvz [SINGLE_IMAGE.fvz [PANEL_PROJECT.fvz...]]

#include <cmath>
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
#include "app/AnimationPanel.h"
#include "app/ColourViews.h"
#include "app/CustomVReBar.h"
#include "app/FovaraView.h"
#include "controls/ToolBitmapButton.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/panel/DepthOfFieldPanel.h"
#include "platform/framework/StringTable.h"
#include "support/Scenes.h"
#include "tools/ProjectSession.h"
#include "controls/UiText.h"

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

QAction* Command(MainWindow& window, const char* id) { return window.GetCommandAction(*FourCCFromString(id)); }

void Place(MainWindow& window) {
  window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "fovara_screenshots: the window was not shown\n");
}

bool Open(MainWindow& window, const std::string& project) {
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
void UserRound(MainWindow& window, ScriptedUserInterface& ui) {
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
  ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  ui.saveFiles.push_back(out.filePath(QStringLiteral("frame.png")).toStdString());
  Run(Command(window, "DSFX"), "render and save");
  const int frames = project.Model().GetLastFrame() + 1;
  Check(int(QDir(out.path()).entryList(QDir::Files).size()) == frames, "every frame rendered and saved");

  ui.depthModes.push_back({1, 0, 0.2f});
  const QString depth = out.filePath(QStringLiteral("depth.z.tga"));
  ui.saveFiles.push_back(depth.toStdString());
  Run(window.GetFileAction(kIdConvertZBuffer), "Convert Z-Buffer");
  Check(QFile::exists(depth), "depth buffer converted");
}

void EnglishTour(const std::string& project) {
  ScriptedUserInterface ui;
  CFovaraApp app{ui};
  app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")});
  MainWindow& window = *app.GetMainWindow();
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
  ui.renderRanges.push_back({RenderRangeMode::Current, 0, 0});
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
  CFovaraApp app{ui};
  app.InitInstance({QStringLiteral("fovara"), french ? QStringLiteral("-fr") : QStringLiteral("-us")});
  MainWindow& window = *app.GetMainWindow();
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
  SetInterfaceLanguage(Language::English);
}

void ClickRow(MainWindow& window, int row) {
  QTreeWidget& list = *window.GetAnimationPanel()->GetList();
  list.scrollToItem(list.topLevelItem(row));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, list.visualItemRect(list.topLevelItem(row)).center());
  QTest::qWait(50);
}

void ShowMenu(MainWindow& window, int titleId, const char* name) {
  for (QAction* entry : window.menuBar()->actions()) {
    if (entry->text() != QString::fromStdString(LoadString(InterfaceLanguage(), titleId)) || !entry->menu()) continue;
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
  CFovaraApp app{ui};
  app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")});
  MainWindow& window = *app.GetMainWindow();
  Place(window);
  if (!Open(window, project)) return;
  AnimationPanel& panel = *window.GetAnimationPanel();
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
  CFovaraApp app{ui};
  app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-fr")});
  MainWindow& window = *app.GetMainWindow();
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
  SetInterfaceLanguage(Language::English);
}

// A night street as a renderer writes it, in linear light: a dark sky, lamps far behind (values
// 30 to 100) and a dim wall in front with one lamp on it. Depth 40 behind, 10 for the wall.
std::unique_ptr<CLayerBitmap> NightFrame(int w, int h) {
  auto colour = std::make_unique<rgbFloatBitmap>(w, h);
  auto depth = std::make_unique<depthBitmap>(w, h);
  const int wallLeft = w * 11 / 20;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float* p = colour->GetLine(y) + 3 * x;
      const bool wall = x >= wallLeft && y > h / 5;
      if (wall) {
        // Courses of bricks: mortar a little lighter than the bricks.
        const bool mortar = y % 16 == 0 || (x + (y / 16 % 2) * 16) % 32 == 0;
        const float shade = mortar ? 0.09f : 0.05f + 0.01f * float((x * 7 + y * 3) % 5);
        p[0] = shade * 1.3f, p[1] = shade, p[2] = shade * 0.8f;
      } else {
        const float sky = 0.004f + 0.02f * float(h - y) / float(h);
        p[0] = sky * 0.5f, p[1] = sky * 0.7f, p[2] = sky * 1.6f;
      }
      depth->GetLine(y)[x] = wall ? 10.0f : 40.0f;
    }
  }
  struct Lamp {
    int x, y, radius;
    float r, g, b;
    float depth;
  };
  const Lamp lamps[] = {{w / 10, h / 3, 2, 100, 70, 30, 40},     {w / 4, h / 2, 2, 60, 60, 55, 40},
                        {w * 2 / 5, h / 4, 2, 30, 45, 90, 40},   {w / 6, h * 3 / 4, 3, 90, 40, 20, 40},
                        {w * 9 / 20, h * 2 / 3, 2, 80, 80, 60, 40}, {w * 3 / 4, h / 2, 3, 100, 85, 50, 10}};
  for (const Lamp& lamp : lamps) {
    for (int y = lamp.y - lamp.radius; y <= lamp.y + lamp.radius; ++y) {
      for (int x = lamp.x - lamp.radius; x <= lamp.x + lamp.radius; ++x) {
        if ((x - lamp.x) * (x - lamp.x) + (y - lamp.y) * (y - lamp.y) > lamp.radius * lamp.radius) continue;
        float* p = colour->GetLine(y) + 3 * x;
        p[0] = lamp.r, p[1] = lamp.g, p[2] = lamp.b;
        depth->GetLine(y)[x] = lamp.depth;
      }
    }
  }
  auto image = std::make_unique<CLayerBitmap>(std::move(colour));
  image->AddLayer(std::move(depth));
  return image;
}

// A colour configuration for the pictures: the sRGB curve as a configuration writes it, and a
// logarithmic view that shows 14 stops, lamps included.
constexpr const char* kNightConfig = R"(ocio_profile_version: 2
search_path: .
roles:
  default: linear
  scene_linear: linear
displays:
  sRGB:
    - !<View> {name: Standard, colorspace: srgb}
    - !<View> {name: Log, colorspace: log}
  Linear:
    - !<View> {name: Raw, colorspace: linear}
colorspaces:
  - !<ColorSpace>
    name: linear
  - !<ColorSpace>
    name: srgb
    from_scene_reference: !<ExponentWithLinearTransform> {gamma: 2.4, offset: 0.055, direction: inverse}
  - !<ColorSpace>
    name: log
    from_scene_reference: !<AllocationTransform> {allocation: lg2, vars: [-9, 5]}
)";

// The night frame at one stop up with a lamp's light in the status bar, then through the
// configuration's logarithmic view with the Colour View menu open.
void FloatTour() {
  QTemporaryDir folder;
  const std::string frame = folder.filePath(QStringLiteral("night.exr")).toStdString();
  WriteImage(frame, *NightFrame(640, 400));
  QFile config(folder.filePath(QStringLiteral("night.ocio")));
  if (!config.open(QIODevice::WriteOnly) || config.write(kNightConfig) < 0) return Check(false, "colour configuration");
  config.close();
  qputenv("OCIO", config.fileName().toLocal8Bit());

  ScriptedUserInterface ui;
  CFovaraApp app{ui};
  app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")});
  MainWindow& window = *app.GetMainWindow();
  Place(window);
  ColourViews& views = *window.GetColourViews();
  Check(views.Choose(-1), "the sRGB curve");
  auto filters = app.GetSession().Frame().GetFilters();
  for (size_t i = 0; i < filters.size(); ++i) {
    if (filters[i]->GetID() == FourCC("FXDE")) ui.filterChoices.push_back(int(i));
  }
  ui.openFiles.push_back(frame);
  Run(window.GetFileAction(kIdNewProject), "a new project");
  ProjectData& project = window.Document().GetProject();
  if (!project.GetFilter()) {
    qunsetenv("OCIO");
    return Check(false, "the night frame's project");
  }
  // The lamps behind blurred into discs, the wall sharp.
  for (KeyframeSettings* settings : {&project.GetFilter()->GetCurrentSettings(), project.Model().Track().GetAt(0)}) {
    auto& dof = static_cast<DepthOfFieldSettings&>(*settings);
    dof.FieldNear = 9, dof.FieldFar = 11, dof.FrontMaxDepth = 5, dof.BackMaxDepth = 30;
    dof.FrontAmount = 20, dof.BackAmount = 24;
  }
  if (auto* panel = dynamic_cast<FilterPanel*>(window.GetLeftPane()->GetBar(0))) panel->SyncToPanel();
  ui.renderRanges.push_back({RenderRangeMode::Current, 0, 0});
  Run(Command(window, "DOFX"), "the render");
  Run(Command(window, "EXPU"), "exposure up");
  Run(Command(window, "EXPU"), "exposure up");
  CFovaraView& view = *window.GetView();
  view.ZoomAround(1.4, QPointF(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0));
  SendMouse(view.viewport(), QEvent::MouseMove, view.ImageToView(QPointF(480.5, 200.5)).toPoint(), Qt::NoButton,
            Qt::NoButton);
  Shoot(window, "float-exposure");

  const auto& choices = window.findChildren<QMenu*>(QStringLiteral("colourViewMenu"));
  Check(views.HasViews() && views.Choose(1) && !choices.isEmpty(), "the logarithmic view");
  for (QAction* entry : window.menuBar()->actions()) {
    if (entry->text() != QString::fromStdString(LoadString(InterfaceLanguage(), kViewItem)) || !entry->menu() || choices.isEmpty()) continue;
    QMenu* menu = entry->menu();
    menu->popup(window.menuBar()->mapToGlobal(window.menuBar()->actionGeometry(entry).bottomLeft()));
    Check(QTest::qWaitForWindowExposed(menu), "the View menu shown");
    QMenu* sub = choices.front();
    menu->setActiveAction(sub->menuAction());
    sub->popup(menu->mapToGlobal(menu->actionGeometry(sub->menuAction()).topRight()));
    Check(QTest::qWaitForWindowExposed(sub), "the Colour View menu shown");
    Shoot(window, "float-ocio-view");
    sub->close();
    menu->close();
  }
  window.Frame().SetModifiedFlag(false);
  app.ExitInstance();
  qunsetenv("OCIO");
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
  FloatTour();
  return gFailures == 0 ? 0 : 1;
}
