// The filters' panels in the main window: docking, texts, edits stored in the keyframe of the
// current frame, the value bars, the depth-of-field graph, diaph buttons, amount and highlight
// fields.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "PanelTest.h"
#include "app/CustomVReBar.h"
#include "controls/PanelWidgets.h"
#include "controls/CCustomScrollbar.h"
#include "controls/NumberField.h"
#include "controls/ToolBitmapButton.h"
#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"
#include "filters/atmosphere/panel/AtmosphericPerspectivePanel.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/panel/DepthOfFieldPanel.h"
#include "filters/zone/ZoneFilters.h"
#include "filters/zone/panel/ZonePanels.h"
#include "platform/framework/Command.h"
#include "platform/framework/StringTable.h"
#include "project/ApplicationFrame.h"
#include "controls/UiText.h"

namespace {

template <typename Panel>
Panel* DockedPanel(GuiFixture& gui) {
  // The filter's panel shares the dock with the animation panel: exactly one of its kind.
  CCustomVReBar* dock = gui.Window().GetLeftPane();
  Panel* found = nullptr;
  for (int i = 0; i < dock->GetBarCount(); ++i) {
    if (auto* panel = dynamic_cast<Panel*>(dock->GetBar(i))) {
      if (found) return nullptr;
      found = panel;
    }
  }
  return found;
}

template <typename Filter>
Filter& CurrentFilter(GuiFixture& gui) {
  return *dynamic_cast<Filter*>(gui.Project().GetFilter());
}

// The user lets go of a bar at a value.
void Release(CCustomScrollbar* bar, int value) {
  bar->SetRange(bar->GetMinimum(), bar->GetMaximum(), value);
  Q_EMIT bar->ValueReleased(bar, value);
}

// Keyframes at frames 0 and 2 holding the current settings; frame 0 is current.
void KeyframesAtZeroAndTwo(GuiFixture& gui) {
  gui.Project().GoToFrame(0, false);
  KeyframeTrack& track = gui.Project().Model().Track();
  track.SetKeyframe(0, gui.Project().GetFilter()->GetCurrentSettings());
  track.SetKeyframe(2, gui.Project().GetFilter()->GetCurrentSettings());
}

template <typename Settings>
const Settings& KeyframeAt(GuiFixture& gui, int frame) {
  const KeyframeTrack& track = gui.Project().Model().Track();
  return static_cast<const Settings&>(*track.GetAt(track.FindKeyframe(frame)));
}

void GoToFrame(GuiFixture& gui, int frame) { gui.Project().GoToFrame(frame, false); }

QString Tooltip(int id) { return QString::fromStdString(GetCommandHelp(InterfaceLanguage(), 1, id)); }

}  // namespace

void PanelTest::eachFilterDocksItsPanelWithItsTexts() {
  {
    GuiFixture gui;
    QVERIFY(gui.NewProject(FourCC("FXDE")));
    auto* panel = DockedPanel<DepthOfFieldPanel>(gui);
    QVERIFY(panel);
    QVERIFY(gui.Window().GetLeftPane()->isVisible());
    QCOMPARE(panel->FocusButton()->toolTip(), QStringLiteral("Change focus point"));
    QCOMPARE(panel->FrontBar()->statusTip(), QStringLiteral("Increase/Decrease blur in front of the focus point"));
    // Closing the project takes the panel out of the dock.
    gui.Window().Frame().SetModifiedFlag(false);
    gui.Window().GetFileAction(kIdCloseProject)->trigger();
    QCOMPARE(gui.Window().GetLeftPane()->GetBarCount(), 0);
    QVERIFY(!gui.Window().GetLeftPane()->isVisible());
  }
  {
    GuiFixture gui({QStringLiteral("fovara"), QStringLiteral("-fr")});
    QVERIFY(gui.NewProject(FourCC("FXDS")));
    auto* panel = DockedPanel<ZSaturationPanel>(gui);
    QVERIFY(panel);
    QCOMPARE(panel->CheckCount(), 3);
    QCOMPARE(panel->ZoneButton()->toolTip(), Tooltip(2119));
    QVERIFY(panel->ZoneButton()->toolTip().startsWith(QStringLiteral("Choisir 2 points")));
    QVERIFY(panel->Check(0)->text().contains(QStringLiteral("Inverser")));
  }
  SetInterfaceLanguage(Language::English);
  for (const char* id : {"FXDL", "FXDH", "FXDF"}) {
    GuiFixture gui;
    QVERIFY(gui.NewProject(*FourCCFromString(id)));
    QWidget* panel = gui.Window().GetLeftPane()->GetBar(0);
    QVERIFY(dynamic_cast<FilterPanel*>(panel));
    // Every control the panel shows has its help.
    for (QAbstractButton* button : panel->findChildren<QAbstractButton*>()) {
      QVERIFY2(!button->toolTip().isEmpty(), id);
    }
  }
}

void PanelTest::panelEditsGoToTheCurrentKeyframeAndFollowTheFrame() {
  {
    GuiFixture gui;
    QVERIFY(gui.NewProject(FourCC("FXDE")));
    KeyframesAtZeroAndTwo(gui);
    auto* panel = DockedPanel<DepthOfFieldPanel>(gui);
    const int before = KeyframeAt<DepthOfFieldSettings>(gui, 2).FrontAmount;
    Release(panel->FrontBar(), 33);
    QCOMPARE(KeyframeAt<DepthOfFieldSettings>(gui, 0).FrontAmount, 33);
    QCOMPARE(KeyframeAt<DepthOfFieldSettings>(gui, 2).FrontAmount, before);
    QVERIFY(gui.Window().Frame().GetModifiedFlag());
    GoToFrame(gui, 2);
    QCOMPARE(panel->FrontBar()->GetValue(), before);
    QCOMPARE(panel->FrontEdit()->text(), QString::number(before));
    GoToFrame(gui, 0);
    QCOMPARE(panel->FrontBar()->GetValue(), 33);
    QCOMPARE(panel->FrontEdit()->text(), QStringLiteral("33"));
  }
  {
    GuiFixture gui;
    QVERIFY(gui.NewProject(FourCC("FXDH")));
    KeyframesAtZeroAndTwo(gui);
    auto* panel = DockedPanel<ZHuePanel>(gui);
    gui.ui.colours.push_back(0x00FF8000u);  // blue 255, green 128, red 0
    panel->ColourButton()->click();
    QCOMPARE(gui.Count("colour"), 1);
    QCOMPARE(KeyframeAt<ZHueSettings>(gui, 0).Colour.ToValue() & 0xFFFFFF, 0x00FF8000u);
    QCOMPARE(KeyframeAt<ZHueSettings>(gui, 2).Colour.ToValue() & 0xFFFFFF, ZHueSettings::kDefaultColourValue);
    GoToFrame(gui, 2);
    QCOMPARE(ColourButtonColour(panel->ColourButton()).ToValue() & 0xFFFFFF, ZHueSettings::kDefaultColourValue);
    // Cancelling the chooser changes nothing.
    gui.ui.colours.push_back(std::nullopt);
    panel->ColourButton()->click();
    QCOMPARE(KeyframeAt<ZHueSettings>(gui, 2).Colour.ToValue() & 0xFFFFFF, ZHueSettings::kDefaultColourValue);
    GoToFrame(gui, 0);
    QCOMPARE(ColourButtonColour(panel->ColourButton()).ToValue() & 0xFFFFFF, 0x00FF8000u);
  }
  {
    GuiFixture gui;
    QVERIFY(gui.NewProject(FourCC("FXDF")));
    KeyframesAtZeroAndTwo(gui);
    auto* panel = DockedPanel<AtmosphericPerspectivePanel>(gui);
    const QImage rampBefore = panel->RampPicture();
    Release(panel->NearBar(), 40);
    QCOMPARE(KeyframeAt<AtmosphericPerspectiveSettings>(gui, 0).NearIntensity, 0.4f);
    QCOMPARE(KeyframeAt<AtmosphericPerspectiveSettings>(gui, 2).NearIntensity, 0.0f);
    QVERIFY(panel->RampPicture() != rampBefore);
    GoToFrame(gui, 2);
    QCOMPARE(panel->NearBar()->GetValue(), 0);
    QCOMPARE(panel->RampPicture(), rampBefore);
    GoToFrame(gui, 0);
    QCOMPARE(panel->NearBar()->GetValue(), 40);
  }
}

void PanelTest::zoneChecksWriteTheOptions() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDL")));
  auto* panel = DockedPanel<ZLuminancePanel>(gui);
  ZoneOptions& options = CurrentFilter<ZLuminanceFilter>(gui).GetOptionsOf();
  // Invert, light foreground, light background, in the panel's order.
  panel->Check(1)->click();
  QVERIFY(options.RaiseForeground);
  QVERIFY(!options.InvertZone && !options.RaiseBackground);
  QVERIFY(gui.Window().Frame().GetModifiedFlag());
  options.RaiseBackground = true;
  panel->SyncToPanel();
  QVERIFY(panel->Check(2)->isChecked());
  panel->Check(0)->click();
  QVERIFY(options.InvertZone && options.RaiseForeground && options.RaiseBackground);
}

void PanelTest::valueBarLeftAtItsValueChangesNothing() {
  {
    GuiFixture gui;
    QVERIFY(gui.NewProject(FourCC("FXDE")));
    auto* panel = DockedPanel<DepthOfFieldPanel>(gui);
    gui.Window().Frame().SetModifiedFlag(false);
    const int front = panel->FrontBar()->GetValue();
    Release(panel->FrontBar(), front);
    QVERIFY(!gui.Window().Frame().GetModifiedFlag());
  }
  {
    // A density between the bar's steps stays what it is when another bar moves.
    GuiFixture gui;
    QVERIFY(gui.NewProject(FourCC("FXDF")));
    auto* panel = DockedPanel<AtmosphericPerspectivePanel>(gui);
    auto& settings = static_cast<AtmosphericPerspectiveSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
    settings.Density = 0.37f;
    settings.FarIntensity = 0.555f;
    panel->SyncToPanel();
    Release(panel->DensityBar(), panel->DensityBar()->GetValue());
    Release(panel->NearBar(), 10);
    QCOMPARE(settings.Density, 0.37f);
    QCOMPARE(settings.FarIntensity, 0.555f);
    QCOMPARE(settings.NearIntensity, 0.1f);
  }
}

void PanelTest::fogDensityPositionsThereAndBack() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDF")));
  auto* panel = DockedPanel<AtmosphericPerspectivePanel>(gui);
  auto& settings = static_cast<AtmosphericPerspectiveSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
  const std::pair<int, float> positions[] = {{51, 1.0f}, {76, 0.5f}, {45, 2.0f}, {100, 0.02f}, {1, 10.0f}};
  for (auto [position, density] : positions) {
    Release(panel->DensityBar(), position);
    QVERIFY2(std::abs(settings.Density - density) < 1e-5f, qPrintable(QString::number(position)));
    panel->DensityBar()->SetRange(1, 100, 50);
    panel->SyncToPanel();
    QCOMPARE(panel->DensityBar()->GetValue(), position);
  }
}

void PanelTest::blurGraphScalesDownAndStopsAtFiveTimesTheFarLimit() {
  DepthOfFieldSettings settings;
  settings.FieldNear = 4.0;
  settings.FieldFar = 6.0;
  settings.FrontMaxDepth = 2.0;
  settings.BackMaxDepth = 12.0;
  settings.SetAmounts(40, 40);
  const DepthRange range{2.0f, 30.0f, 30.0f};
  auto whiteRows = [](const QImage& graph, int x) {
    int rows = 0;
    for (int y = 0; y < graph.height(); ++y) rows += graph.pixel(x, y) == qRgb(255, 255, 255);
    return rows;
  };
  // The left edge shows the blur of the last depth stepped toward the nearest one.
  const double lastDepth = settings.FieldNear - 39 * (settings.FieldNear - range.min) / 40;
  const int blur = int(settings.BlurPixels(lastDepth, true));
  QVERIFY(blur > 30);
  const QImage low = DepthOfFieldPanel::DrawBlurGraph(settings, range, QSize(80, 30));
  const int scaled = int(blur * 30.0 / settings.MaxAmount());
  QVERIFY2(std::abs(whiteRows(low, 0) - scaled) <= 1, qPrintable(QStringLiteral("%1 rows for %2").arg(whiteRows(low, 0)).arg(scaled)));
  QVERIFY(whiteRows(low, 0) < 30);
  const QImage tall = DepthOfFieldPanel::DrawBlurGraph(settings, range, QSize(80, 100));
  QVERIFY(std::abs(whiteRows(tall, 0) - blur) <= 1);
  // The sharp field in red at the centre, dark red beside it.
  QCOMPARE(low.pixel(40, 5), qRgb(255, 0, 0));
  QCOMPARE(low.pixel(39, 5), qRgb(128, 0, 0));
  QCOMPARE(low.pixel(41, 5), qRgb(128, 0, 0));

  // A background beyond five times the far limit: the right half ends at 5 x FieldFar.
  const QSize size(80, 60);
  const QImage atFive = DepthOfFieldPanel::DrawBlurGraph(settings, {1.0f, 30.0f, 30.0f}, size);
  const QImage far = DepthOfFieldPanel::DrawBlurGraph(settings, {1.0f, 30.0f, 600.0f}, size);
  const QImage near = DepthOfFieldPanel::DrawBlurGraph(settings, {1.0f, 12.0f, 12.0f}, size);
  QCOMPARE(far, atFive);
  QVERIFY(near != atFive);
}

void PanelTest::diaphButtonsWrapAndStartFromTheirOwnCounter() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = DockedPanel<DepthOfFieldPanel>(gui);
  panel->PreviousDiaphButton()->click();
  QCOMPARE(CurrentFilter<DepthOfFieldFilter>(gui).GetDiaph().GetNumber(), 8);
  panel->NextDiaphButton()->click();
  QCOMPARE(CurrentFilter<DepthOfFieldFilter>(gui).GetDiaph().GetNumber(), 1);

  // A project read with diaph 5: the new panel's counter still starts at 0.
  CurrentFilter<DepthOfFieldFilter>(gui).LoadDiaph(5);
  const std::string path = gui.dir.File("diaph.fvz");
  gui.ui.saveFiles.push_back(path);
  gui.Window().GetFileAction(kIdSaveProject)->trigger();
  gui.Window().GetFileAction(kIdCloseProject)->trigger();
  QVERIFY(gui.Window().OpenProject(path));
  QCOMPARE(CurrentFilter<DepthOfFieldFilter>(gui).GetDiaph().GetNumber(), 5);
  panel = DockedPanel<DepthOfFieldPanel>(gui);
  QVERIFY(panel);
  QCOMPARE(panel->DiaphCounter(), 0);
  panel->NextDiaphButton()->click();
  QCOMPARE(CurrentFilter<DepthOfFieldFilter>(gui).GetDiaph().GetNumber(), 1);
}

void PanelTest::amountFieldsRefuseZeroAndFiftyOne() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  auto* panel = DockedPanel<DepthOfFieldPanel>(gui);
  auto& settings = static_cast<DepthOfFieldSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
  QLineEdit* edit = panel->BackEdit();
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, QStringLiteral("27"));
  QCOMPARE(settings.BackAmount, 27);
  QCOMPARE(panel->BackBar()->GetValue(), 27);

  // Out of the range, what is typed is brought back to it and shown so, without a dialog.
  for (auto [typed, taken] : {std::pair{QStringLiteral("0"), 1}, std::pair{QStringLiteral("51"), 50}}) {
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(settings.BackAmount, taken);
    QCOMPARE(edit->text(), QString::number(taken));
    QCOMPARE(panel->BackBar()->GetValue(), taken);
  }
  QCOMPARE(gui.Count("warning"), 0);

  // A field left unfinished when the project closes asks nothing.
  const int warnings = gui.Count("warning");
  edit->selectAll();
  QTest::keyClicks(edit, QStringLiteral("0"));
  gui.Window().Frame().SetModifiedFlag(false);
  gui.Window().GetFileAction(kIdCloseProject)->trigger();
  QCOMPARE(gui.Window().GetLeftPane()->GetBarCount(), 0);
  QCOMPARE(gui.Count("warning"), warnings);
}

void PanelTest::highlightFieldsEditTheKeyframeAndShowItsValues() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  KeyframesAtZeroAndTwo(gui);
  auto* panel = DockedPanel<DepthOfFieldPanel>(gui);
  QVERIFY(panel);
  auto current = [&gui]() -> const DepthOfFieldSettings& {
    return static_cast<const DepthOfFieldSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
  };
  // Off by default, and shown so.
  QCOMPARE(panel->HighlightGainField()->GetValue(), 0.0);
  QCOMPARE(panel->HighlightThresholdField()->GetValue(), DepthOfFieldSettings::kDefaultHighlightThreshold);

  QLineEdit* gain = panel->HighlightGainField();
  gain->setFocus();
  gain->selectAll();
  QTest::keyClicks(gain, QStringLiteral("12"));
  QTest::keyClick(gain, Qt::Key_Return);
  QCOMPARE(current().HighlightGain, 12.0);
  QCOMPARE(KeyframeAt<DepthOfFieldSettings>(gui, 0).HighlightGain, 12.0);
  QCOMPARE(KeyframeAt<DepthOfFieldSettings>(gui, 2).HighlightGain, 0.0);
  QCOMPARE(gui.Window().GetFileAction(kIdUndo)->text(), QStringLiteral("&Undo highlight gain"));

  // Beyond its range, a gain is brought back to the largest.
  gain->selectAll();
  QTest::keyClicks(gain, QStringLiteral("250"));
  QTest::keyClick(gain, Qt::Key_Return);
  QCOMPARE(current().HighlightGain, DepthOfFieldSettings::kMaxHighlightGain);

  QLineEdit* threshold = panel->HighlightThresholdField();
  threshold->setFocus();
  threshold->selectAll();
  QTest::keyClicks(threshold, QStringLiteral("0.75"));
  QTest::keyClick(threshold, Qt::Key_Return);
  QCOMPARE(KeyframeAt<DepthOfFieldSettings>(gui, 0).HighlightThreshold, 0.75);

  // The fields show the keyframe of the frame gone to.
  GoToFrame(gui, 2);
  QCOMPARE(panel->HighlightGainField()->GetValue(), 0.0);
  QCOMPARE(panel->HighlightThresholdField()->GetValue(), DepthOfFieldSettings::kDefaultHighlightThreshold);
  GoToFrame(gui, 0);
  QCOMPARE(panel->HighlightGainField()->GetValue(), DepthOfFieldSettings::kMaxHighlightGain);
  QCOMPARE(panel->HighlightThresholdField()->GetValue(), 0.75);

  // Undo takes the threshold back.
  gui.Window().GetFileAction(kIdUndo)->trigger();
  QCOMPARE(current().HighlightThreshold, DepthOfFieldSettings::kDefaultHighlightThreshold);
  panel = DockedPanel<DepthOfFieldPanel>(gui);
  QCOMPARE(panel->HighlightThresholdField()->GetValue(), DepthOfFieldSettings::kDefaultHighlightThreshold);
}
