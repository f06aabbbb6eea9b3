// The depth tools in the view as the panels start them, the area preview's smallest
// rectangle, and rendering, saving and converting from the main window.

#include <cmath>
#include <filesystem>

#include <QAction>
#include <QTest>

#include "GuiFixture.h"
#include "ToolAndRenderTest.h"
#include "app/CustomVReBar.h"
#include "app/FovaraView.h"
#include "app/ViewStatusBar.h"
#include "controls/ToolBitmapButton.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/panel/DepthOfFieldPanel.h"
#include "filters/zone/ZoneFilters.h"
#include "filters/zone/panel/ZonePanels.h"
#include "platform/framework/StringTable.h"
#include "project/ApplicationFrame.h"
#include "tools/ProjectSession.h"
#include "controls/UiText.h"

namespace {

ZSaturationPanel* SaturationPanel(GuiFixture& gui) {
  return dynamic_cast<ZSaturationPanel*>(gui.Window().GetLeftPane()->GetBar(0));
}

ZoneSettings& Zone(GuiFixture& gui) { return static_cast<ZoneSettings&>(gui.Project().GetFilter()->GetCurrentSettings()); }

uint32_t CurrentCommandId(GuiFixture& gui) {
  CQelCommand* command = gui.Window().Frame().GetCommandManager().GetCurrentCommand();
  return command ? command->GetID() : 0;
}

void SetDepth(GuiFixture& gui, int x, int y, float depth) {
  gui.Project().GetCurrentImage()->GetLayer<depthBitmap>()->GetLine(y)[x] = depth;
}

QPoint OverPixel(const CFovaraView& view, int x, int y) {
  QPointF p = view.ImageToView(QPointF(x + 0.5, y + 0.5));
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

void ClickPixel(GuiFixture& gui, int x, int y) {
  QWidget* surface = gui.View().viewport();
  QPoint at = OverPixel(gui.View(), x, y);
  SendMouse(surface, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
  SendMouse(surface, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  SendMouse(surface, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void Drag(GuiFixture& gui, QPoint from, QPoint to) {
  QWidget* surface = gui.View().viewport();
  SendMouse(surface, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(surface, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  SendMouse(surface, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// A project on a sequence of the given length with the Z Saturation filter.
bool SequenceProject(GuiFixture& gui, int frames) {
  gui.ui.openFiles.push_back(gui.WriteSequence(frames));
  auto filters = gui.app.GetSession().Frame().GetFilters();
  for (size_t i = 0; i < filters.size(); ++i) {
    if (filters[i]->GetID() == FourCC("FXDS")) gui.ui.filterChoices.push_back(int(i));
  }
  gui.Window().GetFileAction(kIdNewProject)->trigger();
  return gui.Project().GetFilter() != nullptr && gui.Project().Model().GetImageCount() == frames;
}

int FilesIn(const std::filesystem::path& folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.is_regular_file();
  return count;
}

}  // namespace

void ToolAndRenderTest::intervalToolTakesTwoClicksAndTheButtonBlinksMeanwhile() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDS")));
  SetDepth(gui, 10, 10, 12.0f);
  SetDepth(gui, 30, 20, 4.0f);
  ZSaturationPanel* panel = SaturationPanel(gui);
  panel->ZoneButton()->click();
  QCOMPARE(CurrentCommandId(gui), FourCC("DEPI"));
  QVERIFY(panel->ZoneButton()->IsBlinking());
  QVERIFY(!panel->BackgroundButton()->IsBlinking());

  ClickPixel(gui, 10, 10);
  QCOMPARE(CurrentCommandId(gui), FourCC("DEPI"));
  // Between the clicks the status bar says what the next one sets.
  SendMouse(gui.View().viewport(), QEvent::MouseMove, OverPixel(gui.View(), 30, 20), Qt::NoButton, Qt::NoButton);
  QVERIFY(gui.Window().GetStatusReadout()->currentMessage().contains(QStringLiteral("second limit")));
  ClickPixel(gui, 30, 20);
  QCOMPARE(Zone(gui).ZoneNear, 4.0f);
  QCOMPARE(Zone(gui).ZoneFar, 12.0f);
  QVERIFY(CurrentCommandId(gui) != FourCC("DEPI"));
  // The blink ends at its next tick once the tool is over.
  QTRY_VERIFY_WITH_TIMEOUT(!panel->ZoneButton()->IsBlinking(), 2500);
}

void ToolAndRenderTest::pickerRefusesDepthsNotFartherThanTheReference() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDS")));
  Zone(gui).ZoneNear = 1.0f;
  Zone(gui).ZoneFar = 10.0f;  // the background point's reference
  SetDepth(gui, 5, 5, 9.5f);
  SetDepth(gui, 6, 5, 10.0f);
  SetDepth(gui, 7, 5, 10.5f);
  const float before = Zone(gui).BackgroundPoint;
  const uint32_t viewMode = gui.ViewMode();
  SaturationPanel(gui)->BackgroundButton()->click();
  QCOMPARE(CurrentCommandId(gui), FourCC("DEPP"));

  // The refused zone is painted red over the image.
  QCOMPARE(gui.ViewMode(), kViewGivenPicture);
  const NTBitmap* shown = gui.Project().View().GetDisplayedImage();
  auto red = [shown](int x, int y) {
    const uint8_t* p = shown->GetLine(y) + 4 * x;
    return p[0] == 255 && p[1] == 0 && p[2] == 0;
  };
  QVERIFY(red(5, 5));
  QVERIFY(!red(6, 5));
  QVERIFY(!red(7, 5));

  SendMouse(gui.View().viewport(), QEvent::MouseMove, OverPixel(gui.View(), 5, 5), Qt::NoButton, Qt::NoButton);
  QVERIFY(gui.Window().GetStatusReadout()->currentMessage().contains(QStringLiteral("not farther")));
  ClickPixel(gui, 5, 5);
  ClickPixel(gui, 6, 5);
  QCOMPARE(CurrentCommandId(gui), FourCC("DEPP"));
  QCOMPARE(Zone(gui).BackgroundPoint, before);
  ClickPixel(gui, 7, 5);
  QCOMPARE(Zone(gui).BackgroundPoint, 10.5f);
  QCOMPARE(gui.ViewMode(), viewMode);
}

void ToolAndRenderTest::focusPickedFromTheDepthOfFieldPanelIsStoredAndDrawn() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = dynamic_cast<DepthOfFieldPanel*>(gui.Window().GetLeftPane()->GetBar(0));
  QVERIFY(panel);
  auto& settings = static_cast<DepthOfFieldSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
  const DepthRange range = GetDepthRange(*gui.Project().GetCurrentImage());
  // A depth inside the image's range, away from the field as it is.
  const float focus = float(range.min + (range.background - range.min) * 0.6);
  SetDepth(gui, 12, 12, focus);
  const double width = settings.FieldFar - settings.FieldNear;
  const QImage graph = panel->GraphPicture();
  panel->FocusButton()->click();
  QCOMPARE(CurrentCommandId(gui), FourCC("DEPP"));
  SendMouse(gui.View().viewport(), QEvent::MouseMove, OverPixel(gui.View(), 12, 12), Qt::NoButton, Qt::NoButton);
  QVERIFY(gui.Window().GetStatusReadout()->currentMessage().contains(QStringLiteral("focus point")));
  ClickPixel(gui, 12, 12);
  // The field keeps its width around the picked depth, within the image's range.
  QVERIFY(settings.FieldNear <= focus && focus <= settings.FieldFar);
  QVERIFY(std::abs((settings.FieldFar - settings.FieldNear) - width) < 1e-6 || settings.FieldFar == range.background ||
          settings.FieldNear == range.min);
  const KeyframeTrack& track = gui.Project().Model().Track();
  const auto& stored = static_cast<const DepthOfFieldSettings&>(*track.GetAt(track.FindKeyframe(0)));
  QCOMPARE(stored.FieldNear, settings.FieldNear);
  QCOMPARE(stored.FieldFar, settings.FieldFar);
  QVERIFY(panel->GraphPicture() != graph);
}

void ToolAndRenderTest::areaPreviewNeedsFifteenPixelsEachWay() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDS")));
  CFovaraView& view = gui.View();
  view.ZoomActualPixels();
  gui.Command("DNFX")->trigger();
  Drag(gui, view.ImageToView(QPointF(5, 5)).toPoint(), view.ImageToView(QPointF(18, 44)).toPoint());
  QVERIFY(!view.HasOverlay());
  Drag(gui, view.ImageToView(QPointF(5, 5)).toPoint(), view.ImageToView(QPointF(19, 19)).toPoint());
  QVERIFY(view.HasOverlay());
}

void ToolAndRenderTest::renderRangeIsTakenInEitherOrder() {
  GuiFixture gui;
  QVERIFY(SequenceProject(gui, 10));
  gui.ui.renderRanges.push_back({RenderRangeMode::Range, 7, 3});
  gui.Command("DOFX")->trigger();
  QCOMPARE(gui.Count("render-range"), 1);
  const auto progress = gui.ui.EventsOfKind("progress");
  QCOMPARE(int(progress.size()), 5);
  QVERIFY(QString::fromStdString(progress.back().text).contains(QStringLiteral("5 / 5")));
  // The last frame rendered is on show as the last result; the current frame stays.
  QCOMPARE(gui.Project().GetCurrentFrame(), 0);
  QCOMPARE(gui.ViewMode(), kViewLastResult);
}

void ToolAndRenderTest::renderAndSaveWithTheSaveDialogCancelledStillRendersEveryFrame() {
  GuiFixture gui;
  QVERIFY(SequenceProject(gui, 3));
  gui.ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  gui.ui.saveFiles.push_back(std::nullopt);
  QTest::keyClick(&gui.Window(), Qt::Key_F5, Qt::ShiftModifier);
  const auto saves = gui.ui.EventsOfKind("save");
  QCOMPARE(int(saves.size()), 1);
  QVERIFY(QString::fromStdString(saves[0].text).contains(QStringLiteral("Kovrin")));
  const auto info = gui.ui.EventsOfKind("info");
  QCOMPARE(int(info.size()), 1);
  QCOMPARE(info[0].text, LoadString(InterfaceLanguage(), 2198));
  QCOMPARE(info[0].number, 2000);
  QCOMPARE(gui.Count("progress"), 3);
  QCOMPARE(gui.ViewMode(), kViewLastResult);
  QVERIFY(gui.ui.Unexpected().empty());
}

void ToolAndRenderTest::cancelDuringAFrameKeepsTheFramesSavedBefore() {
  GuiFixture gui;
  QVERIFY(SequenceProject(gui, 10));
  // The steps of one frame, from a render of the current frame.
  gui.ui.renderRanges.push_back({RenderRangeMode::Current, 0, 0});
  gui.Command("DOFX")->trigger();
  const int perFrame = gui.ui.ProgressSteps();
  QVERIFY(perFrame > 1);

  const std::filesystem::path out = std::filesystem::path(gui.dir.Path()) / "out";
  std::filesystem::create_directories(out);
  gui.ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  gui.ui.saveFiles.push_back((out / "r.tga").string());
  gui.ui.cancelAtStep = gui.ui.ProgressSteps() + 2 * perFrame + perFrame / 2;
  gui.Command("DSFX")->trigger();
  QCOMPARE(gui.Count("progress"), 1 + 3);
  QCOMPARE(FilesIn(out), 2);
  QCOMPARE(gui.Project().GetCurrentFrame(), 0);
}

void ToolAndRenderTest::convertZBufferProposesTheImageNameWithZTga() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDS")));
  QAction* convert = gui.Window().GetFileAction(kIdConvertZBuffer);
  QVERIFY(convert->isEnabled());
  gui.ui.depthModes.push_back({2, 0, 0.37f});
  const std::string target = gui.dir.File("depth-picture.tga");
  gui.ui.saveFiles.push_back(target);
  convert->trigger();
  QCOMPARE(gui.Count("depth-mode"), 1);
  const auto saves = gui.ui.EventsOfKind("save");
  QCOMPARE(int(saves.size()), 1);
  QCOMPARE(saves[0].text, gui.dir.File("s01.z.tga"));
  QVERIFY(std::filesystem::exists(target));
  QVERIFY(gui.ui.Unexpected().empty());
}
