// The image view: the preview overlay and its first click, zoom around the cursor, panning,
// the status bar readout and what is painted.

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "GuiFixture.h"
#include "ViewTest.h"
#include "app/FovaraView.h"
#include "app/ViewStatusBar.h"
#include "platform/framework/NavigationCommands.h"
#include "tools/ProjectSession.h"
#include "support/Scenes.h"

namespace {

void Wheel(QWidget* widget, QPoint at, int delta) {
  QWheelEvent event(QPointF(at), widget->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &event);
}

void Drag(QWidget* widget, QPoint from, QPoint to, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonPress, from, button, button);
  SendMouse(widget, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
  SendMouse(widget, QEvent::MouseMove, to, Qt::NoButton, button);
  SendMouse(widget, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

void Click(QWidget* widget, QPoint at) { Drag(widget, at, at, Qt::LeftButton); }

// The view point over the centre of an image pixel.
QPoint OverPixel(const CFovaraView& view, int x, int y) {
  QPointF p = view.ImageToView(QPointF(x + 0.5, y + 0.5));
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

// The display byte of linear light (the sRGB curve), as the view should show it.
int SrgbByte(double linear) {
  const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
  return int(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

constexpr float kGreyLight = 0.18f;
constexpr int kLampX = 5;
constexpr int kLampY = 7;

// A float frame of mid-grey light with one lamp far brighter than white, written as OpenEXR
// with its depth; returns its path.
std::string WriteFloatFrame(const GuiFixture& gui) {
  constexpr int w = GuiFixture::kWidth;
  constexpr int h = GuiFixture::kHeight;
  auto colour = std::make_unique<rgbFloatBitmap>(w, h);
  auto depth = std::make_unique<depthBitmap>(w, h);
  for (int y = 0; y < h; ++y) {
    std::fill_n(colour->GetLine(y), 3 * w, kGreyLight);
    std::fill_n(depth->GetLine(y), w, 10.0f);
  }
  float* lamp = colour->GetLine(kLampY) + 3 * kLampX;
  lamp[0] = 100.0f;
  lamp[1] = 98.5f;
  lamp[2] = 80.0f;
  CLayerBitmap frame;
  frame.AddLayer(std::move(colour));
  frame.AddLayer(std::move(depth));
  const std::string path = gui.dir.File("lamp.exr");
  WriteImage(path, frame);
  return path;
}

int ShownRed(const GuiFixture& gui, int x, int y) { return gui.Project().View().GetDisplayedImage()->GetLine(y)[4 * x]; }

}  // namespace

void ViewTest::areaDragShowsThePreviewAndTheNextClickOnlyRemovesIt() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  CFovaraView& view = gui.View();
  QWidget* surface = view.viewport();
  QTest::keyClick(&gui.Window(), Qt::Key_F4);
  QVERIFY(gui.Command("DNFX")->isChecked());

  QPoint from = view.ImageToView(QPointF(5, 5)).toPoint();
  QPoint to = view.ImageToView(QPointF(45, 40)).toPoint();
  Drag(surface, from, to, Qt::LeftButton);
  QVERIFY(view.HasOverlay());

  // The click that removes the preview starts no new rectangle and renders nothing.
  int progress = gui.Count("progress");
  Drag(surface, from, to, Qt::LeftButton);
  QVERIFY(!view.HasOverlay());
  QCOMPARE(gui.Count("progress"), progress);

  // With the zoom tool, the removing click does not zoom; the next one does. A new preview
  // replaces the one on show.
  gui.Command("ZOOM")->trigger();
  const QImage plain = view.viewport()->grab().toImage();
  view.SetOverlay({5, 5, 20, 20}, std::make_unique<NTBitmap>(20, 20));  // white
  auto black = std::make_unique<NTBitmap>(8, 8);
  for (int y = 0; y < 8; ++y) std::fill_n(black->GetLine(y), 8 * 4, uint8_t(0));
  view.SetOverlay({10, 10, 8, 8}, std::move(black));
  QVERIFY(view.HasOverlay());
  QImage shot = view.viewport()->grab().toImage();
  QCOMPARE(QColor(shot.pixel(OverPixel(view, 12, 12))), QColor(Qt::black));  // the new picture
  // The old one is gone: the image shows there as it did before any preview.
  QCOMPARE(QColor(shot.pixel(OverPixel(view, 6, 6))), QColor(plain.pixel(OverPixel(view, 6, 6))));
  double zoom = view.GetZoom();
  Click(surface, from);
  QVERIFY(!view.HasOverlay());
  QCOMPARE(view.GetZoom(), zoom);
  Click(surface, from);
  QVERIFY(view.GetZoom() > zoom);
}

void ViewTest::wheelZoomsAroundTheCursor() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDF"), 400, 300));
  CFovaraView& view = gui.View();
  view.ZoomAround(2.0, QPointF(0, 0));
  QPoint at = OverPixel(view, 150, 120);
  QPointF under = view.ViewToImage(at);
  double zoom = view.GetZoom();
  for (int i = 0; i < 2; ++i) Wheel(view.viewport(), at, 120);
  QCOMPARE(view.GetZoom(), zoom * 2);
  QPointF after = view.ViewToImage(at);
  QVERIFY2(std::abs(after.x() - under.x()) < 0.5 && std::abs(after.y() - under.y()) < 0.5,
           qPrintable(QStringLiteral("%1,%2 moved to %3,%4").arg(under.x()).arg(under.y()).arg(after.x()).arg(after.y())));
  // A touchpad's parts of a notch add up to one step.
  for (int i = 0; i < 4; ++i) Wheel(view.viewport(), at, -30);
  QCOMPARE(view.GetZoom(), zoom * 1.5);
}

void ViewTest::middleButtonPansWhateverToolIsActive() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  CFovaraView& view = gui.View();
  view.ZoomAround(16.0, QPointF(0, 0));
  QPoint start = view.ScrollPosition();
  QVERIFY(gui.Command("ZOOM")->isChecked());
  Drag(view.viewport(), QPoint(200, 200), QPoint(150, 170), Qt::MiddleButton);
  QCOMPARE(view.ScrollPosition(), start + QPoint(50, 30));
  QCOMPARE(view.GetZoom(), 16.0);  // the zoom tool did not see the middle button

  // The move tool pans with the left button.
  gui.Command("MOVE")->trigger();
  QVERIFY(gui.Command("MOVE")->isChecked());
  Drag(view.viewport(), QPoint(150, 170), QPoint(170, 190), Qt::LeftButton);
  QCOMPARE(view.ScrollPosition(), start + QPoint(30, 10));
}

void ViewTest::zoomCommandsAndTools() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  CFovaraView& view = gui.View();
  QSize area = view.viewport()->size();
  gui.Command("ZOAU")->trigger();
  double fit = std::min(area.width() / 64.0, area.height() / 48.0);
  QVERIFY(std::abs(view.GetZoom() - fit) < 1e-9);
  gui.Command("ZOI2")->trigger();
  QCOMPARE(view.GetZoom(), 1.0);
  gui.Command("ZORS")->trigger();
  QCOMPARE(view.GetZoom(), 1.0);  // the small image is not enlarged
  gui.Command("ZOO2")->trigger();
  QVERIFY(gui.Command("ZOO2")->isChecked());
  Click(view.viewport(), view.ImageToView(QPointF(10, 10)).toPoint());
  QVERIFY(view.GetZoom() < 1.0);
  // A depth tool and back: the filter gets its last mouse tool again, which is the zoom
  // tool, since zooming out is not one of the remembered tools.
  QCOMPARE(gui.app.GetSession().Frame().GetLastMouseTool(), kZoomToolId);
}

void ViewTest::statusBarShowsPixelColourAndDepth() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  CFovaraView& view = gui.View();
  ScenePoint near = PlanesScenePoint(64, 48, ScenePart::Near);
  QPoint at = OverPixel(view, near.x, near.y);
  SendMouse(view.viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
  ViewStatusBar* status = gui.Window().GetStatusReadout();
  QCOMPARE(status->PositionText(), QStringLiteral("X %1  Y %2").arg(near.x).arg(near.y));
  Rgb colour = PlanesSceneColour(64, 48, near.x, near.y);
  QCOMPARE(status->ColourText(), QStringLiteral("R %1  G %2  B %3").arg(colour.r).arg(colour.g).arg(colour.b));
  QCOMPARE(status->DepthText(), QStringLiteral("Depth 10.000"));
  QVERIFY(status->ZoomText().startsWith(QStringLiteral("Zoom ")));

  // Another view mode under a still cursor: the colour is the grey depth picture's.
  gui.ui.depthModes.push_back({1, 1, 0.2f});
  gui.Command("VZBF")->trigger();
  const uint8_t* grey = gui.Project().View().GetDisplayedImage()->GetLine(near.y) + 4 * near.x;
  QCOMPARE(status->ColourText(), QStringLiteral("R %1  G %1  B %1").arg(grey[0]));
  QVERIFY(QColor(colour.r, colour.g, colour.b) != QColor(grey[0], grey[0], grey[0]));

  SendMouse(view.viewport(), QEvent::MouseMove, view.ImageToView(QPointF(-5, -5)).toPoint(), Qt::NoButton,
            Qt::NoButton);
  QVERIFY(status->PositionText().isEmpty());
}

void ViewTest::paintsTheImageOverTheDarkBackground() {
  GuiFixture gui;
  QImage empty = gui.View().viewport()->grab().toImage();
  QCOMPARE(empty.pixel(2, 2), kViewBackground);

  QVERIFY(gui.NewProject());
  CFovaraView& view = gui.View();
  view.ZoomAround(2.0, QPointF(0, 0));
  QImage shot = view.viewport()->grab().toImage();
  ScenePoint near = PlanesScenePoint(64, 48, ScenePart::Near);
  QPoint at = OverPixel(view, near.x, near.y);
  Rgb colour = PlanesSceneColour(64, 48, near.x, near.y);
  QCOMPARE(QColor(shot.pixel(at)), QColor(colour.r, colour.g, colour.b));
  // Outside the image, the background.
  QPoint outside = view.ImageToView(QPointF(64 + 2, 48 + 2)).toPoint();
  if (QRect(QPoint(0, 0), shot.size()).contains(outside)) QCOMPARE(shot.pixel(outside), kViewBackground);
}

void ViewTest::floatFrameIsShownAtTheExposureWithItsLightUnderTheCursor() {
  GuiFixture gui;
  gui.ui.openFiles.push_back(WriteFloatFrame(gui));
  QVERIFY(gui.RunNewProject(FourCC("FXDE")));
  ViewStatusBar* status = gui.Window().GetStatusReadout();
  QCOMPARE(status->ExposureText(), QStringLiteral("Exposure: 0.0 EV"));
  QVERIFY(std::abs(ShownRed(gui, 20, 20) - SrgbByte(kGreyLight)) <= 1);
  QCOMPARE(ShownRed(gui, kLampX, kLampY), 255);

  // One stop up doubles the light shown; the lamp stays at white.
  QVERIFY(gui.MenuEntries(QStringLiteral("&View")).contains(QStringLiteral("E&xposure +1/2 Stop")));
  QAction* up = gui.Command("EXPU");
  QVERIFY(up->isEnabled());
  up->trigger();
  up->trigger();
  QCOMPARE(gui.Project().View().GetDisplayExposure(), 1.0f);
  QCOMPARE(status->ExposureText(), QStringLiteral("Exposure: +1.0 EV"));
  QVERIFY(std::abs(ShownRed(gui, 20, 20) - SrgbByte(2 * kGreyLight)) <= 1);
  QVERIFY(ShownRed(gui, 20, 20) > SrgbByte(kGreyLight) + 30);
  gui.Command("EXPD")->trigger();
  QCOMPARE(status->ExposureText(), QStringLiteral("Exposure: +0.5 EV"));
  gui.Command("EXP0")->trigger();
  QCOMPARE(gui.Project().View().GetDisplayExposure(), 0.0f);
  QVERIFY(!gui.Command("EXP0")->isEnabled());
  QVERIFY(std::abs(ShownRed(gui, 20, 20) - SrgbByte(kGreyLight)) <= 1);
  // Seven stops down brings the lamp within the screen's range; the limits hold.
  gui.Project().View().SetDisplayExposure(-7.0f);
  QVERIFY(std::abs(ShownRed(gui, kLampX, kLampY) - SrgbByte(100.0 / 128)) <= 1);
  gui.Project().View().SetDisplayExposure(50.0f);
  QCOMPARE(gui.Project().View().GetDisplayExposure(), ProjectView::kMaxExposure);
  gui.Project().View().SetDisplayExposure(0.0f);

  // Under the cursor, the linear light itself rather than display bytes.
  CFovaraView& view = gui.View();
  SendMouse(view.viewport(), QEvent::MouseMove, OverPixel(view, kLampX, kLampY), Qt::NoButton, Qt::NoButton);
  QCOMPARE(status->ColourText(), QStringLiteral("R 100.0  G 98.5  B 80.0"));
  SendMouse(view.viewport(), QEvent::MouseMove, OverPixel(view, 20, 20), Qt::NoButton, Qt::NoButton);
  QCOMPARE(status->ColourText(), QStringLiteral("R 0.180  G 0.180  B 0.180"));
  // The grey depth picture is bytes again, and has no exposure.
  gui.ui.depthModes.push_back({1, 1, 0.2f});
  gui.Command("VZBF")->trigger();
  QVERIFY(status->ColourText().contains(QRegularExpression(QStringLiteral("^R \\d+  G \\d+  B \\d+$"))));
  QVERIFY(status->ExposureText().isEmpty());
  QVERIFY(!gui.Command("EXPU")->isEnabled());
}

void ViewTest::exposureLeavesEightBitFramesAlone() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  const NTBitmap& shown = *gui.Project().View().GetDisplayedImage();
  const std::vector<uint8_t> before(shown.GetLine(0), shown.GetLine(0) + 4 * shown.GetWidth() * shown.GetHeight());
  QVERIFY(!gui.Command("EXPU")->isEnabled());
  QVERIFY(gui.Window().GetStatusReadout()->ExposureText().isEmpty());
  gui.Project().View().SetDisplayExposure(1.0f);
  const NTBitmap& after = *gui.Project().View().GetDisplayedImage();
  QVERIFY(std::equal(before.begin(), before.end(), after.GetLine(0)));
}
