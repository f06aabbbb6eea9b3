// The desktop program on a screen of high density, at the scale factor in QT_SCALE_FACTOR
// (1.5 and 2 in the test command), on a screen of 1280 x 720 device-independent pixels (a
// 1920 x 1080 screen at 1.5, 2560 x 1440 at 2): at the window's first, maximised size every
// panel fits the left dock without a scroll bar and nothing is cut; Actual Pixels shows one
// image pixel on each screen pixel. Run offscreen; the screen is made here.

#include <cmath>
#include <cstdlib>
#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindow.h"
#include "app/CustomVReBar.h"
#include "app/FovaraApp.h"
#include "app/FovaraView.h"
#include "app/ViewStatusBar.h"
#include "app/AnimationPanel.h"
#include "controls/CCustomScrollbar.h"
#include "filters/DepthFilterCommand.h"
#include "platform/framework/Preferences.h"
#include "support/ScriptedUserInterface.h"
#include "tools/ProjectSession.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;

// The application as a user starts it the first time: no remembered window place.
struct FirstStart {
  FirstStart() {
    QFile::remove(QString::fromStdString(Preferences::FilePath()));
    if (!app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")})) qFatal("the application did not start");
    if (!QTest::qWaitForWindowExposed(Window())) qWarning("the window was not shown");
  }
  ~FirstStart() {
    if (Window()) Window()->Frame().SetModifiedFlag(false);
    app.ExitInstance();
  }
  MainWindow* Window() const { return app.GetMainWindow(); }
  // A sequence of three frames with the filter.
  bool NewProject(uint32_t filterId) {
    SequenceOptions options;
    options.scene.withAlpha = true;
    ::WriteSequence(dir.Path(), "s", 1, 3, 2, ".tga", ".zpic", 320, 180, options);
    ui.openFiles.push_back(dir.File("s01.tga"));
    auto filters = app.GetSession().Frame().GetFilters();
    for (size_t i = 0; i < filters.size(); ++i) {
      if (filters[i]->GetID() == filterId) ui.filterChoices.push_back(int(i));
    }
    Window()->GetFileAction(kIdNewProject)->trigger();
    QTest::qWait(50);  // the dock settles
    return app.GetSession().Project().GetFilter() != nullptr;
  }

  ScriptedUserInterface ui;
  TempFolder dir;
  CFovaraApp app{ui};
};

// True when every part of the widget can be seen: nothing clips it.
bool Whole(QWidget* widget) {
  return widget->isVisible() && widget->visibleRegion().boundingRect() == widget->rect();
}

}  // namespace

class ScaleTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void theScreenIsAsAsked();
  void everyPanelFitsTheDockWhole();
  void actualPixelsIsOneImagePixelPerScreenPixel();
};

void ScaleTest::theScreenIsAsAsked() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  QCOMPARE(screen->geometry().size(), QSize(kScreenWidth, kScreenHeight));
  QCOMPARE(qApp->devicePixelRatio(), qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
}

void ScaleTest::everyPanelFitsTheDockWhole() {
  for (const char* id : {"FXDE", "FXDS", "FXDL", "FXDH", "FXDF"}) {
    FirstStart start;
    QVERIFY(start.NewProject(*FourCCFromString(id)));
    CCustomVReBar* dock = start.Window()->GetLeftPane();
    auto* scroller = dock->findChild<QScrollArea*>();
    QVERIFY2(!scroller->verticalScrollBar()->isVisible(), id);
    QWidget* panel = dock->GetBar(0);
    // Every control of the filter's panel and of the animation panel, the graph included.
    QList<QWidget*> controls;
    for (auto* w : panel->findChildren<QAbstractButton*>()) controls << w;
    for (auto* w : panel->findChildren<QLineEdit*>()) controls << w;
    for (auto* w : panel->findChildren<CCustomScrollbar*>()) controls << w;
    for (auto* w : panel->findChildren<QLabel*>()) controls << w;
    for (auto* w : start.Window()->GetAnimationPanel()->findChildren<QAbstractButton*>()) controls << w;
    QVERIFY(controls.size() > 5);
    for (QWidget* control : controls) {
      if (!control->isVisibleTo(panel->window())) continue;
      QVERIFY2(Whole(control), qPrintable(QStringLiteral("%1: %2 %3 cut").arg(id, control->metaObject()->className(),
                                                                                control->objectName())));
    }
    if (QString::fromLatin1(id) == QStringLiteral("FXDE")) {
      auto* graph = panel->findChild<QLabel*>(QStringLiteral("blurGraph"));
      QVERIFY(graph && Whole(graph));
    }
    // The view keeps most of the window.
    QVERIFY(start.Window()->GetView()->width() > kScreenWidth / 2);
  }
}

void ScaleTest::actualPixelsIsOneImagePixelPerScreenPixel() {
  FirstStart start;
  QVERIFY(start.NewProject(FourCC("FXDS")));
  CFovaraView& view = *start.Window()->GetView();
  QTest::keyClick(start.Window(), Qt::Key_1, Qt::ControlModifier);
  QCOMPARE(view.GetZoom(), 1.0);
  QCOMPARE(start.Window()->GetStatusReadout()->ZoomText(), QStringLiteral("Zoom 100 %"));

  const QImage shot = view.viewport()->grab().toImage();
  const double ratio = shot.devicePixelRatio();
  QCOMPARE(ratio, qApp->devicePixelRatio());
  const QPointF corner = view.ImageToView(QPointF(0, 0)) * ratio;
  QCOMPARE(corner.x(), std::round(corner.x()));
  QCOMPARE(corner.y(), std::round(corner.y()));
  const NTBitmap* picture = start.app.GetSession().Project().View().GetDisplayedImage();
  const QPoint origin = corner.toPoint();
  // The middle of the image, pixel for pixel: the stripes and checks of the scene (any pixel
  // doubled or smoothed away would break the run).
  int compared = 0;
  for (int y = 40; y < 140; ++y) {
    for (int x = 60; x < 260; ++x) {
      const QPoint at = origin + QPoint(x, y);
      if (!shot.rect().contains(at)) continue;
      const uint8_t* p = picture->GetLine(y) + 4 * x;
      if (p[3] != 255) continue;  // transparent pixels show the checkerboard
      QCOMPARE(QColor(shot.pixel(at)), QColor(p[0], p[1], p[2]));
      ++compared;
    }
  }
  QVERIFY(compared > 5000);
}

int main(int argc, char** argv) {
  // A screen of the wanted size in device-independent pixels, at the scale factor asked for.
  const double scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
  QTemporaryDir folder;
  const QString config = folder.filePath(QStringLiteral("screen.json"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write(QStringLiteral("{\"screens\": [{\"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": %1, \"height\": %2,"
                            " \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                 .arg(int(std::lround(kScreenWidth * scale)))
                 .arg(int(std::lround(kScreenHeight * scale)))
                 .toUtf8());
  file.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
  QApplication application(argc, argv);
  ScaleTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ScaleTest.moc"
