// The typical use of the program from a new project to saved frames, and the same frames from
// the reopened project and from fovara-render.

#include <filesystem>
#include <fstream>

#include <QAbstractButton>
#include <QLineEdit>
#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "controls/NumberField.h"
#include "WorkflowTest.h"
#include "app/AnimationPanel.h"
#include "app/CustomVReBar.h"
#include "app/FovaraView.h"
#include "filters/DepthFilterCommand.h"
#include "filters/dof/panel/DepthOfFieldPanel.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "platform/framework/CommandFrame.h"
#include "tools/ProjectSession.h"
#include "support/Scenes.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

DepthOfFieldSettings& Settings(GuiFixture& gui) {
  return static_cast<DepthOfFieldSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
}

QPoint OverPixel(GuiFixture& gui, ScenePart part) {
  ScenePoint point = PlanesScenePoint(GuiFixture::kWidth, GuiFixture::kHeight, part);
  return gui.View().ImageToView(QPointF(point.x + 0.5, point.y + 0.5)).toPoint();
}

void Press(QWidget* surface, QPoint from, QPoint to) {
  SendMouse(surface, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(surface, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  SendMouse(surface, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// Renders every frame through Render and save images into a folder.
void RenderAll(GuiFixture& gui, const fs::path& folder) {
  fs::create_directories(folder);
  gui.ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  gui.ui.saveFiles.push_back((folder / "walk.tga").string());
  QTest::keySequence(&gui.Window(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
  Settle();
}

// The depth-of-field panel docked beside the animation panel.
DepthOfFieldPanel* DockedPanel(GuiFixture& gui) {
  CCustomVReBar& pane = *gui.Window().GetLeftPane();
  for (int i = 0; i < pane.GetBarCount(); ++i) {
    if (auto* panel = dynamic_cast<DepthOfFieldPanel*>(pane.GetBar(i))) return panel;
  }
  return nullptr;
}

// The user types blur amounts into the panel's two fields, each confirmed with Return.
void TypeAmounts(GuiFixture& gui, int front, int back) {
  DepthOfFieldPanel* panel = DockedPanel(gui);
  QVERIFY(panel);
  for (auto [edit, value] : {std::pair{panel->FrontEdit(), front}, std::pair{panel->BackEdit(), back}}) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::number(value));
    QTest::keyClick(edit, Qt::Key_Return);
  }
  Settle();
}

}  // namespace

void WorkflowTest::sequenceFromNewProjectToRenderedFramesAndBack() {
  GuiFixture gui;
  // 1. A new project on a sequence of three frames with their depth files.
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  QCOMPARE(gui.Project().Model().GetImageCount(), 3);
  Settle();
  QTreeWidget& list = *gui.Window().GetAnimationPanel()->GetList();
  QCOMPARE(list.topLevelItemCount(), 3);

  // 2. Settings edited on the filter's panel.
  TypeAmounts(gui, 12, 18);
  QCOMPARE(Settings(gui).FrontAmount, 12);
  QCOMPARE(Settings(gui).BackAmount, 18);

  // 3. The focus picked on the image with the depth tool.
  const double fieldBefore = Settings(gui).FieldNear;
  QVERIFY(gui.Window().Frame().RunCommand(FourCC("DEPP"), kRunAsTool, 1));
  QPoint mid = OverPixel(gui, ScenePart::Mid);
  Press(gui.View().viewport(), mid, mid);
  QVERIFY(Settings(gui).FieldNear != fieldBefore);
  const double pickedNear = Settings(gui).FieldNear;
  QCOMPARE(static_cast<DepthOfFieldSettings*>(gui.Project().Model().Track().GetAt(0))->FieldNear, pickedNear);

  // 4. A rectangle previewed.
  QTest::keyClick(&gui.Window(), Qt::Key_F4);
  Press(gui.View().viewport(), gui.View().ImageToView(QPointF(4, 4)).toPoint(),
        gui.View().ImageToView(QPointF(40, 30)).toPoint());
  QVERIFY(gui.View().HasOverlay());

  // 5. A keyframe on the last frame with other blur amounts.
  const QPoint lastRow = list.visualItemRect(list.topLevelItem(2)).center();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, lastRow);
  Settle();
  QCOMPARE(gui.Project().Model().Track().GetCurrentFrame(), 2);
  TypeAmounts(gui, 30, 4);
  QCOMPARE(Settings(gui).FrontAmount, 30);
  gui.Window().GetAnimationPanel()->GetButton(kAddButton)->click();
  Settle();
  QCOMPARE(gui.Project().Model().Track().GetCount(), 2);

  // 6. Every frame rendered and saved.
  const fs::path out = gui.dir.Path();
  RenderAll(gui, out / "first");
  const std::vector<std::string> frames{"walk01.tga", "walk02.tga", "walk03.tga"};
  QCOMPARE(Listing(out / "first"), frames);
  QVERIFY(FileBytes(out / "first/walk01.tga") != FileBytes(out / "first/walk03.tga"));

  // 7. The project saved, closed, reopened and rendered again.
  const std::string project = (out / "walk.fvz").string();
  gui.ui.saveFiles.push_back(project);
  QTest::keySequence(&gui.Window(), QKeySequence(Qt::CTRL | Qt::Key_S));
  QVERIFY(!gui.Window().isWindowModified());
  gui.Window().GetFileAction(kIdCloseProject)->trigger();
  QVERIFY(!gui.Project().GetFilter());
  gui.ui.openFiles.push_back(project);
  QTest::keySequence(&gui.Window(), QKeySequence(Qt::CTRL | Qt::Key_O));
  QVERIFY(gui.Project().GetFilter());
  Settle();
  QCOMPARE(list.topLevelItemCount(), 3);
  QCOMPARE(static_cast<DepthOfFieldSettings*>(gui.Project().Model().Track().GetAt(0))->FieldNear, pickedNear);
  RenderAll(gui, out / "again");

  // 8. The renderer of the command line, on the same project.
  QProcess render;
  render.start(QString::fromLocal8Bit(qgetenv("FOVARA_RENDER")),
               {QStringLiteral("render"), QString::fromStdString(project), QStringLiteral("--quiet"),
                QStringLiteral("-o"), QString::fromStdString((out / "farm/walk.tga").string())});
  QVERIFY(render.waitForFinished(120000));
  QCOMPARE(render.exitCode(), 0);

  QCOMPARE(Listing(out / "again"), frames);
  QCOMPARE(Listing(out / "farm"), frames);
  for (const std::string& frame : frames) {
    QVERIFY2(FileBytes(out / "first" / frame) == FileBytes(out / "again" / frame), frame.c_str());
    QVERIFY2(FileBytes(out / "first" / frame) == FileBytes(out / "farm" / frame), frame.c_str());
  }
  QVERIFY(gui.ui.Unexpected().empty());
}
