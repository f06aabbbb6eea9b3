// Floating-point colour through the displays and views of the colour configuration named by
// OCIO, and the alpha view of floating-point frames.

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "ColourViewTest.h"
#include "GuiFixture.h"
#include "app/ColourViews.h"
#include "app/ViewStatusBar.h"
#include "support/ColourConfigFile.h"
#include "support/Scenes.h"

namespace {

constexpr float kGreyLight = 0.18f;
constexpr float kHalfCover = 0.5f;
constexpr int kCoverX = 3;
constexpr int kCoverY = 4;

// OCIO names a configuration while the window is built and used, and no longer afterwards.
class ConfigNamed {
 public:
  explicit ConfigNamed(const std::string& path) { qputenv("OCIO", QByteArray::fromStdString(path)); }
  ~ConfigNamed() { qunsetenv("OCIO"); }
  ConfigNamed(const ConfigNamed&) = delete;
  ConfigNamed& operator=(const ConfigNamed&) = delete;
};

int Byte(double unit) { return int(std::lround(std::clamp(unit, 0.0, 1.0) * 255)); }

int SrgbByte(double linear) {
  return Byte(linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055);
}

// An OpenEXR frame of grey light, opaque but for one half-covered pixel, with its depth.
std::string WriteFloatFrame(const GuiFixture& gui) {
  constexpr int w = GuiFixture::kWidth;
  constexpr int h = GuiFixture::kHeight;
  auto colour = std::make_unique<rgbFloatBitmap>(w, h);
  auto alpha = std::make_unique<alphaFloatBitmap>(w, h);
  auto depth = std::make_unique<depthBitmap>(w, h);
  for (int y = 0; y < h; ++y) {
    std::fill_n(colour->GetLine(y), 3 * w, kGreyLight);
    std::fill_n(alpha->GetLine(y), w, 1.0f);
    std::fill_n(depth->GetLine(y), w, 10.0f);
  }
  std::fill_n(colour->GetLine(kCoverY) + 3 * kCoverX, 3, kHalfCover * kGreyLight);
  alpha->GetLine(kCoverY)[kCoverX] = kHalfCover;
  CLayerBitmap frame;
  frame.AddLayer(std::move(colour));
  frame.AddLayer(std::move(alpha));
  frame.AddLayer(std::move(depth));
  const std::string path = gui.dir.File("grey.exr");
  WriteImage(path, frame);
  return path;
}

int ShownRed(const GuiFixture& gui, int x, int y) { return gui.Project().View().GetDisplayedImage()->GetLine(y)[4 * x]; }

QMenu* ColourViewMenu(const GuiFixture& gui) { return gui.Window().menuBar()->findChild<QMenu*>(QStringLiteral("colourViewMenu")); }

QAction* Entry(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions()) {
    if (a->text() == text) return a;
  }
  return nullptr;
}

QStringList Entries(QMenu* menu) {
  QStringList entries;
  for (QAction* a : menu->actions()) {
    if (!a->isSeparator()) entries << a->text();
  }
  return entries;
}

}  // namespace

void ColourViewTest::configurationViewsShowFloatColour() {
  TempFolder configFolder;
  ConfigNamed named(WriteColourConfig(configFolder));
  GuiFixture gui;
  gui.ui.openFiles.push_back(WriteFloatFrame(gui));
  QVERIFY(gui.RunNewProject(FourCC("FXDE")));

  // The configuration's views, display by display, its default chosen.
  QMenu* menu = ColourViewMenu(gui);
  QVERIFY(menu);
  QVERIFY(gui.MenuEntries(QStringLiteral("&View")).contains(QStringLiteral("&Colour View")));
  QCOMPARE(Entries(menu), (QStringList{QStringLiteral("sRGB (built in)"), QStringLiteral("Test / Raw"),
                                       QStringLiteral("Test / Root"), QStringLiteral("Test / Graded"),
                                       QStringLiteral("Other / Raw")}));
  QVERIFY(Entry(menu, QStringLiteral("Test / Raw"))->isChecked());
  QVERIFY(!Entry(menu, QStringLiteral("sRGB (built in)"))->isChecked());
  ViewStatusBar* status = gui.Window().GetStatusReadout();
  QCOMPARE(status->ExposureNote(), QStringLiteral("Colour view: Test / Raw"));
  QCOMPARE(ShownRed(gui, 20, 20), Byte(kGreyLight));

  // The square-root view, then at one stop up: the light is scaled before the view.
  Entry(menu, QStringLiteral("Test / Root"))->trigger();
  QVERIFY(Entry(menu, QStringLiteral("Test / Root"))->isChecked());
  QVERIFY(!Entry(menu, QStringLiteral("Test / Raw"))->isChecked());
  QVERIFY(std::abs(ShownRed(gui, 20, 20) - Byte(std::sqrt(kGreyLight))) <= 1);
  // A half-covered pixel goes through the view as straight light, then is covered again.
  QVERIFY(std::abs(ShownRed(gui, kCoverX, kCoverY) - Byte(kHalfCover * std::sqrt(kGreyLight))) <= 1);
  QCOMPARE(status->ExposureNote(), QStringLiteral("Colour view: Test / Root"));
  gui.Project().View().SetDisplayExposure(1.0f);
  QVERIFY(std::abs(ShownRed(gui, 20, 20) - Byte(std::sqrt(2 * kGreyLight))) <= 1);

  // Back to the program's own curve, still at the exposure.
  Entry(menu, QStringLiteral("sRGB (built in)"))->trigger();
  QVERIFY(!gui.Project().View().GetDisplayTransform());
  QVERIFY(std::abs(ShownRed(gui, 20, 20) - SrgbByte(2 * kGreyLight)) <= 1);
  QVERIFY(status->ExposureNote().isEmpty());

  // A view the configuration cannot make is refused with a warning; the curve stays.
  const int warnings = gui.Count("warning");
  Entry(menu, QStringLiteral("Test / Graded"))->trigger();
  QCOMPARE(gui.Count("warning"), warnings + 1);
  QVERIFY(gui.ui.EventsOfKind("warning").back().text.find("Test / Graded") != std::string::npos);
  QVERIFY(Entry(menu, QStringLiteral("sRGB (built in)"))->isChecked());
  QVERIFY(!Entry(menu, QStringLiteral("Test / Graded"))->isChecked());
  QVERIFY(std::abs(ShownRed(gui, 20, 20) - SrgbByte(2 * kGreyLight)) <= 1);
}

void ColourViewTest::eightBitFramesIgnoreTheView() {
  TempFolder configFolder;
  ConfigNamed named(WriteColourConfig(configFolder));
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  ColourViews& views = *gui.Window().GetColourViews();
  QVERIFY(views.HasViews());
  QVERIFY(views.Choose(-1));
  const NTBitmap& plain = *gui.Project().View().GetDisplayedImage();
  const std::vector<uint8_t> before(plain.GetLine(0), plain.GetLine(0) + 4 * plain.GetWidth() * plain.GetHeight());
  QVERIFY(views.Choose(1));  // Test / Root
  QVERIFY(gui.Project().View().GetDisplayTransform());
  const NTBitmap& shown = *gui.Project().View().GetDisplayedImage();
  QVERIFY(std::equal(before.begin(), before.end(), shown.GetLine(0)));
}

void ColourViewTest::configurationThatCannotBeUsedLeavesTheSrgbCurve() {
  TempFolder configFolder;
  const std::string broken = configFolder.Write("broken.ocio", "ocio_profile_version: 2\ndisplays: [ {\n");
  for (const std::string& path : {configFolder.File("absent.ocio"), broken}) {
    ConfigNamed named(path);
    GuiFixture gui;
    gui.ui.openFiles.push_back(WriteFloatFrame(gui));
    QVERIFY(gui.RunNewProject(FourCC("FXDE")));
    QVERIFY(!ColourViewMenu(gui));
    QVERIFY(!gui.Project().View().GetDisplayTransform());
    QVERIFY(std::abs(ShownRed(gui, 20, 20) - SrgbByte(kGreyLight)) <= 1);
    // Said once, on the exposure's note; no box interrupts the start.
    const QString note = gui.Window().GetStatusReadout()->ExposureNote();
    QVERIFY2(note.contains(QString::fromStdString(path)) && note.contains(QStringLiteral("sRGB curve")),
             qPrintable(note));
    QCOMPARE(gui.Count("warning"), 0);
  }
}

void ColourViewTest::alphaViewShowsFloatAlpha() {
  GuiFixture gui;
  gui.ui.openFiles.push_back(WriteFloatFrame(gui));
  QVERIFY(gui.RunNewProject(FourCC("FXDE")));
  QVERIFY(!ColourViewMenu(gui));  // no configuration named: nothing offered
  QAction* alpha = gui.Command("VALP");
  QVERIFY(alpha->isEnabled());
  alpha->trigger();
  QCOMPARE(gui.ViewMode(), kViewImageAlpha);
  QCOMPARE(ShownRed(gui, 20, 20), 255);
  QCOMPARE(ShownRed(gui, kCoverX, kCoverY), 128);
  alpha->trigger();
  QCOMPARE(gui.ViewMode(), kViewImage);
}
