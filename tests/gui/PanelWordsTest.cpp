// The panels as they are typed in and read: the blur amounts and depths as numbers, the bars'
// steps, a diaph that is no picture, background under the cursor, French numbers, what Undo
// says, the fog bars' numbers and transparency in the view.

#include <cmath>
#include <fstream>

#include <QAction>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include "GuiFixture.h"
#include "PanelWordsTest.h"
#include "app/CustomVReBar.h"
#include "app/FovaraView.h"
#include "app/ViewStatusBar.h"
#include "controls/CCustomScrollbar.h"
#include "controls/NumberField.h"
#include "controls/ToolBitmapButton.h"
#include "filters/atmosphere/AtmosphereSliders.h"
#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"
#include "filters/atmosphere/panel/AtmosphericPerspectivePanel.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/panel/DepthOfFieldPanel.h"
#include "platform/framework/StringTable.h"
#include "tools/ProjectSession.h"
#include "support/Scenes.h"
#include "controls/UiText.h"

namespace {

template <typename Panel>
Panel* FilterPanelOf(GuiFixture& gui) {
  return dynamic_cast<Panel*>(gui.Window().GetLeftPane()->GetBar(0));
}

DepthOfFieldSettings& Dof(GuiFixture& gui) {
  return static_cast<DepthOfFieldSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
}

QPoint OverPixel(const CFovaraView& view, int x, int y) {
  QPointF p = view.ImageToView(QPointF(x + 0.5, y + 0.5));
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

void HoverPixel(GuiFixture& gui, ScenePoint point) {
  SendMouse(gui.View().viewport(), QEvent::MouseMove, OverPixel(gui.View(), point.x, point.y), Qt::NoButton,
            Qt::NoButton);
}

// Replaces what a field holds by typed text, confirmed with Return.
void Type(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Return);
}

QPoint OnTrack(const CCustomScrollbar& bar, double fraction) {
  const QRect track = bar.TrackRect();
  return {track.left() + int(fraction * track.width()), track.center().y()};
}

// A project whose far plane is background (no object there), with the given filter.
bool BackgroundProject(GuiFixture& gui, uint32_t filter) {
  SequenceOptions options;
  options.scene.backgroundDepth = 1e30f;
  ::WriteSequence(gui.dir.Path(), "bg", 1, 2, 2, ".tga", ".zpic", GuiFixture::kWidth, GuiFixture::kHeight, options);
  gui.ui.openFiles.push_back(gui.dir.File("bg01.tga"));
  return gui.RunNewProject(filter);
}

}  // namespace

void PanelWordsTest::blurFieldsTakeTheRangeAndTheBarsStepByOne() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = FilterPanelOf<DepthOfFieldPanel>(gui);
  QVERIFY(panel);
  // 6 is taken as it is typed; 60 is beyond the range: 50 is taken and shown at once.
  NumberField* front = panel->FrontEdit();
  front->setFocus();
  front->selectAll();
  QTest::keyClick(front, Qt::Key_6);
  QCOMPARE(Dof(gui).FrontAmount, 6);
  QTest::keyClick(front, Qt::Key_0);
  QCOMPARE(front->text(), QStringLiteral("50"));
  QCOMPARE(Dof(gui).FrontAmount, 50);
  QCOMPARE(panel->FrontBar()->GetValue(), 50);
  QCOMPARE(gui.Count("warning"), 0);

  // The arrows step by one, the same both ways.
  Type(front, QStringLiteral("20"));
  CCustomScrollbar* bar = panel->FrontBar();
  QList<int> seen;
  for (bool up : {true, true, false, false, false}) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, (up ? bar->RightArrowRect() : bar->LeftArrowRect()).center());
    seen << Dof(gui).FrontAmount;
  }
  QCOMPARE(seen, (QList<int>{21, 22, 21, 20, 19}));
  QCOMPARE(front->text(), QStringLiteral("19"));

  // While the bar is dragged its field follows; the setting changes when it is let go.
  QTest::mousePress(bar, Qt::LeftButton, {}, OnTrack(*bar, 0.1));
  QTest::mouseMove(bar, OnTrack(*bar, 0.8));
  QCOMPARE(front->text(), QString::number(bar->GetValue()));
  QVERIFY(bar->GetValue() > 30);
  QCOMPARE(Dof(gui).FrontAmount, 19);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, OnTrack(*bar, 0.8));
  QCOMPARE(Dof(gui).FrontAmount, bar->GetValue());
}

void PanelWordsTest::depthFieldsSetTheFieldAndTheFullBlurDepths() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = FilterPanelOf<DepthOfFieldPanel>(gui);
  const DepthRange range = gui.Project().GetCurrentDepthRange();
  DepthOfFieldSettings& settings = Dof(gui);
  // Two decimals for depths up to the background at 100.
  QCOMPARE(panel->NearField()->text(), QString::number(settings.FieldNear, 'f', 2));

  const double far = std::round((settings.FieldNear + range.background) * 0.5);
  Type(panel->FarField(), QString::number(far));
  QCOMPARE(settings.FieldFar, far);
  // The field's far limit beyond the full blur behind moves that depth out with it.
  QVERIFY(settings.BackMaxDepth > settings.FieldFar);
  const auto& keyframe = static_cast<const DepthOfFieldSettings&>(*gui.Project().Model().Track().GetAt(0));
  QCOMPARE(keyframe.FieldFar, far);

  // A near limit beyond the far one is refused: the field shows the setting again.
  const double near = settings.FieldNear;
  Type(panel->NearField(), QString::number(far + 5));
  QCOMPARE(settings.FieldNear, near);
  QCOMPARE(panel->NearField()->text(), QString::number(near, 'f', 2));

  // A focus moves the field around it, keeping its width.
  const double width = settings.FieldFar - settings.FieldNear;
  const double focus = std::round(range.min + 2 + width / 2);
  Type(panel->FocusField(), QString::number(focus));
  QVERIFY(std::abs(settings.FocusDepth() - focus) < 1e-9);
  QVERIFY(std::abs(settings.FieldFar - settings.FieldNear - width) < 1e-9);

  // Up steps a depth by a tenth for two decimals.
  const double back = settings.BackMaxDepth;
  panel->BackDepthField()->setFocus();
  QTest::keyClick(panel->BackDepthField(), Qt::Key_Up);
  // (from the depth as the field shows it, to two decimals)
  QVERIFY(std::abs(settings.BackMaxDepth - std::min<double>(back + 0.1, range.background)) < 0.01);
}

void PanelWordsTest::aFileThatIsNoPictureKeepsThePreviousDiaph() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = FilterPanelOf<DepthOfFieldPanel>(gui);
  panel->NextDiaphButton()->click();
  auto& filter = static_cast<DepthOfFieldFilter&>(*gui.Project().GetFilter());
  QCOMPARE(filter.GetDiaph().GetNumber(), 1);
  gui.Window().Frame().SetModifiedFlag(false);

  std::ofstream(gui.dir.File("notes.png")) << "not a picture";
  gui.ui.openFiles.push_back(gui.dir.File("notes.png"));
  panel->BrowseButton()->click();
  QCOMPARE(gui.Count("warning"), 1);
  QVERIFY(QString::fromStdString(gui.ui.EventsOfKind("warning")[0].text).contains(QStringLiteral("notes.png")));
  // A picture too small both ways: the real minimum is said.
  WriteImage(gui.dir.File("tiny.png"), *MakeImage(20, 20, [](int, int) { return Rgb{255, 255, 255}; }));
  gui.ui.openFiles.push_back(gui.dir.File("tiny.png"));
  panel->BrowseButton()->click();
  QCOMPARE(gui.Count("warning"), 2);
  QVERIFY(QString::fromStdString(gui.ui.EventsOfKind("warning")[1].text).contains(QStringLiteral("55")));

  QCOMPARE(filter.GetDiaph().GetNumber(), 1);
  QVERIFY(filter.GetFilterOptions().InputFiles().empty());
  QVERIFY(!gui.Window().isWindowModified());
}

void PanelWordsTest::backgroundIsSaidUnderTheCursor() {
  GuiFixture gui;
  QVERIFY(BackgroundProject(gui, FourCC("FXDE")));
  const ScenePoint far = PlanesScenePoint(GuiFixture::kWidth, GuiFixture::kHeight, ScenePart::Far);
  const ScenePoint mid = PlanesScenePoint(GuiFixture::kWidth, GuiFixture::kHeight, ScenePart::Mid);
  ViewStatusBar* status = gui.Window().GetStatusReadout();
  HoverPixel(gui, far);
  QCOMPARE(status->DepthText(), QString::fromStdString(LoadString(InterfaceLanguage(), 60043)));
  HoverPixel(gui, mid);
  QCOMPARE(status->DepthText(), QStringLiteral("Depth 40.000"));

  // A pick there is the farthest depth, and the hint says so before the click.
  FilterPanelOf<DepthOfFieldPanel>(gui)->FocusButton()->click();
  HoverPixel(gui, far);
  QVERIFY(status->currentMessage().startsWith(QStringLiteral("Background")));
  HoverPixel(gui, mid);
  QVERIFY(status->currentMessage().startsWith(QStringLiteral("Depth 40.000")));
}

void PanelWordsTest::frenchNumbersTakeADecimalComma() {
  GuiFixture gui({QStringLiteral("fovara"), QStringLiteral("-fr")});
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = FilterPanelOf<DepthOfFieldPanel>(gui);
  QVERIFY(panel->FarField()->text().contains(QLatin1Char(',')));
  HoverPixel(gui, PlanesScenePoint(GuiFixture::kWidth, GuiFixture::kHeight, ScenePart::Mid));
  QCOMPARE(gui.Window().GetStatusReadout()->DepthText(), QStringLiteral("Profondeur 40,000"));
  // Either separator is taken when typed.
  Type(panel->FarField(), QStringLiteral("60,5"));
  QCOMPARE(Dof(gui).FieldFar, 60.5);
  QCOMPARE(panel->FarField()->text(), QStringLiteral("60,50"));
  Type(panel->FarField(), QStringLiteral("61.25"));
  QCOMPARE(Dof(gui).FieldFar, 61.25);
  SetInterfaceLanguage(Language::English);
}

void PanelWordsTest::undoAndRedoNameTheChange() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = FilterPanelOf<DepthOfFieldPanel>(gui);
  QAction* undo = gui.Window().GetFileAction(kIdUndo);
  QAction* redo = gui.Window().GetFileAction(kIdRedo);
  CCustomScrollbar* back = panel->BackBar();
  back->SetRange(back->GetMinimum(), back->GetMaximum(), 33);
  Q_EMIT back->ValueReleased(back, 33);
  QCOMPARE(Dof(gui).BackAmount, 33);
  QCOMPARE(undo->text(), QStringLiteral("&Undo blur amount behind"));
  QVERIFY(undo->isEnabled());
  QVERIFY(undo->toolTip().startsWith(QStringLiteral("Undo blur amount behind (")));
  panel->NextDiaphButton()->click();  // the disc, as before: no change
  QCOMPARE(undo->text(), QStringLiteral("&Undo blur amount behind"));
  panel->NextDiaphButton()->click();
  QCOMPARE(undo->text(), QStringLiteral("&Undo diaph"));
  undo->trigger();
  QCOMPARE(redo->text(), QStringLiteral("&Redo diaph"));
  QCOMPARE(undo->text(), QStringLiteral("&Undo blur amount behind"));
  undo->trigger();
  QCOMPARE(Dof(gui).BackAmount, 15);
  QCOMPARE(undo->text(), QStringLiteral("&Undo"));
  QVERIFY(!undo->isEnabled());
}

void PanelWordsTest::fogBarsHaveTheirNumbers() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDF")));
  auto* panel = FilterPanelOf<AtmosphericPerspectivePanel>(gui);
  QVERIFY(panel);
  const auto& settings = static_cast<const AtmosphericPerspectiveSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
  Type(panel->FieldOf(panel->NearBar()), QStringLiteral("35"));
  QCOMPARE(panel->NearBar()->GetValue(), 35);
  QCOMPARE(settings.NearIntensity, IntensityFromSliderPosition(35));
  CCustomScrollbar* far = panel->FarBar();
  QTest::mousePress(far, Qt::LeftButton, {}, OnTrack(*far, 0.5));
  QTest::mouseMove(far, OnTrack(*far, 0.9));
  QCOMPARE(panel->FieldOf(far)->text(), QString::number(far->GetValue()));
  QTest::mouseRelease(far, Qt::LeftButton, {}, OnTrack(*far, 0.9));
  QCOMPARE(settings.FarIntensity, IntensityFromSliderPosition(far->GetValue()));
}

void PanelWordsTest::transparencyShowsOverACheckerboard() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());  // the far plane's alpha is 0
  CFovaraView& view = gui.View();
  view.ZoomAround(4.0, QPointF(0, 0));
  const QImage shown = view.viewport()->grab().toImage();
  // Squares of two greys where nothing covers the background; the mid plane opaque.
  const ScenePoint far = PlanesScenePoint(GuiFixture::kWidth, GuiFixture::kHeight, ScenePart::Far);
  QSet<QRgb> greys;
  for (int dx = 0; dx < 4; ++dx) {
    for (int dy = 0; dy < 4; ++dy) greys << shown.pixel(OverPixel(view, far.x + dx, far.y + dy));
  }
  QCOMPARE(greys, (QSet<QRgb>{qRgb(153, 153, 153), qRgb(204, 204, 204)}));
  const ScenePoint mid = PlanesScenePoint(GuiFixture::kWidth, GuiFixture::kHeight, ScenePart::Mid);
  const Rgb colour = PlanesSceneColour(GuiFixture::kWidth, GuiFixture::kHeight, mid.x, mid.y);
  QCOMPARE(QColor(shown.pixel(OverPixel(view, mid.x, mid.y))), QColor(colour.r, colour.g, colour.b));
}
