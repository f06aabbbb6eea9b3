// The animation panel as a user drives it: the frame list, its buttons and keys, keyframe
// labels and drags, and undo from the Edit menu's keys.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include "AnimationPanelTest.h"
#include "GuiFixture.h"
#include "app/AnimationPanel.h"
#include "app/CustomVReBar.h"
#include "filters/DepthFilterCommand.h"
#include "filters/zone/ZSaturationSettings.h"

namespace {

AnimationPanel& Panel(GuiFixture& gui) { return *gui.Window().GetAnimationPanel(); }
QTreeWidget& List(GuiFixture& gui) { return *Panel(gui).GetList(); }
QAbstractButton& Button(GuiFixture& gui, int id) { return *Panel(gui).GetButton(id); }

// Lets the queued list rebuilds and label edits run.
void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

QString RowText(GuiFixture& gui, int row, int column) {
  QTreeWidgetItem* item = List(gui).topLevelItem(row);
  return item ? item->text(column) : QStringLiteral("<none>");
}

QList<int> Keyframes(GuiFixture& gui) {
  QList<int> frames;
  const KeyframeTrack& track = gui.Project().Model().Track();
  for (int i = 0; i < track.GetCount(); ++i) frames << track.GetAt(i)->GetFrameNumber();
  return frames;
}

// The label editor the list opened, if any.
QLineEdit* LabelEditor(GuiFixture& gui) {
  for (QLineEdit* editor : List(gui).viewport()->findChildren<QLineEdit*>()) {
    if (editor->isVisible()) return editor;
  }
  return nullptr;
}

// Types a label into the row's editor as a user would, and ends the edit.
void TypeLabel(GuiFixture& gui, int row, const QString& text) {
  if (!LabelEditor(gui)) List(gui).editItem(List(gui).topLevelItem(row), 0);
  QLineEdit* editor = LabelEditor(gui);
  QVERIFY(editor);
  editor->selectAll();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  Settle();
}

QPoint RowCentre(GuiFixture& gui, int row) {
  List(gui).scrollToItem(List(gui).topLevelItem(row));
  return List(gui).visualItemRect(List(gui).topLevelItem(row)).center();
}

void ClickRow(GuiFixture& gui, int row) {
  QTest::mouseClick(List(gui).viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(gui, row));
  Settle();
}

void Undo(GuiFixture& gui) {
  QTest::keySequence(&gui.Window(), QKeySequence(Qt::CTRL | Qt::Key_Z));
  Settle();
}

// A single image animated over frames 0 to `last`, with keyframes at the given frames too.
void AnimateSingleImage(GuiFixture& gui, int last, const QList<int>& between) {
  QVERIFY(gui.NewProjectOf(1, FourCC("FXDS")));
  Settle();
  Button(gui, kAddButton).click();
  Settle();
  TypeLabel(gui, 1, QString::number(last));
  for (int frame : between) {
    ClickRow(gui, frame);
    Button(gui, kAddButton).click();
    Settle();
  }
}

}  // namespace

void AnimationPanelTest::singleImageLengthIsTypedOnTheSecondKeyframe() {
  GuiFixture gui;
  QVERIFY(gui.NewProjectOf(1, FourCC("FXDS")));
  Settle();
  // Docked at the bottom of the left pane, below any filter panel.
  CCustomVReBar& pane = *gui.Window().GetLeftPane();
  QCOMPARE(pane.GetBar(pane.GetBarCount() - 1), &Panel(gui));
  QVERIFY(Panel(gui).isVisible());
  QCOMPARE(List(gui).topLevelItemCount(), 1);
  QCOMPARE(RowText(gui, 0, 0), QStringLiteral("0"));
  QCOMPARE(RowText(gui, 0, 1), QStringLiteral("First frame"));
  QCOMPARE(List(gui).headerItem()->text(0), QStringLiteral("Frame"));
  QCOMPARE(List(gui).headerItem()->text(1), QStringLiteral("Name"));

  Button(gui, kAddButton).click();
  Settle();
  QCOMPARE(List(gui).topLevelItemCount(), 2);
  QCOMPARE(gui.Project().Model().Track().GetCurrentFrame(), 1);
  QVERIFY(LabelEditor(gui));  // the user types the length at once
  TypeLabel(gui, 1, QStringLiteral("24"));
  QCOMPARE(Keyframes(gui), (QList<int>{0, 24}));
  QCOMPARE(List(gui).topLevelItemCount(), 25);
  QCOMPARE(RowText(gui, 24, 0), QStringLiteral("24"));
  QCOMPARE(RowText(gui, 24, 1), QStringLiteral("Last frame"));
  QCOMPARE(RowText(gui, 12, 1), QString());
  QVERIFY(gui.Window().isWindowModified());

  // The new row and its move are two steps.
  Undo(gui);
  QCOMPARE(Keyframes(gui), (QList<int>{0, 1}));
  QCOMPARE(List(gui).topLevelItemCount(), 2);
  Undo(gui);
  QCOMPARE(List(gui).topLevelItemCount(), 1);
  QVERIFY(!gui.Window().GetFileAction(kIdUndo)->isEnabled());
  QTest::keySequence(&gui.Window(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  Settle();
  QCOMPARE(List(gui).topLevelItemCount(), 2);
  QVERIFY(gui.Window().GetFileAction(kIdRedo)->isEnabled());
}

void AnimationPanelTest::labelOutsideTheAnimationIsRefused() {
  GuiFixture gui;
  AnimateSingleImage(gui, 24, {});
  for (const QString& refused : {QStringLiteral("0"), QStringLiteral("1000"), QStringLiteral("x")}) {
    ClickRow(gui, 24);
    TypeLabel(gui, 24, refused);
    QCOMPARE(RowText(gui, 24, 0), QStringLiteral("24"));
    QCOMPARE(Keyframes(gui), (QList<int>{0, 24}));
  }
  // The first frame and plain frames have no label to edit.
  List(gui).editItem(List(gui).topLevelItem(0), 0);
  List(gui).editItem(List(gui).topLevelItem(5), 0);
  QVERIFY(!LabelEditor(gui));
  TypeLabel(gui, 24, QStringLiteral("999"));
  QCOMPARE(List(gui).topLevelItemCount(), 1000);
}

void AnimationPanelTest::labelBeforeLaterKeyframesCutsAndUndoBringsThemBack() {
  GuiFixture gui;
  AnimateSingleImage(gui, 30, {10, 20});
  QCOMPARE(Keyframes(gui), (QList<int>{0, 10, 20, 30}));
  ClickRow(gui, 10);
  TypeLabel(gui, 10, QStringLiteral("15"));
  QCOMPARE(Keyframes(gui), (QList<int>{0, 10, 15}));
  QCOMPARE(List(gui).topLevelItemCount(), 16);
  QCOMPARE(RowText(gui, 15, 1), QStringLiteral("Last frame"));

  Undo(gui);
  QCOMPARE(Keyframes(gui), (QList<int>{0, 10, 20, 30}));
  QCOMPARE(List(gui).topLevelItemCount(), 31);
  QCOMPARE(List(gui).currentItem(), List(gui).topLevelItem(10));
}

void AnimationPanelTest::buttonsFollowTheCurrentFrame() {
  GuiFixture gui;
  AnimateSingleImage(gui, 30, {10});
  auto enabled = [&gui](int id) { return Button(gui, id).isEnabled(); };
  ClickRow(gui, 0);
  QVERIFY(!enabled(kDeleteButton));
  QVERIFY(!enabled(kCopyButton));
  QVERIFY(enabled(kAddButton));  // frame 0 of a single image
  QVERIFY(enabled(kDeleteAllButton));
  ClickRow(gui, 5);
  QVERIFY(!enabled(kDeleteButton));
  QVERIFY(!enabled(kCopyButton));
  QVERIFY(enabled(kAddButton));
  ClickRow(gui, 10);
  QVERIFY(enabled(kDeleteButton));
  QVERIFY(enabled(kCopyButton));
  QVERIFY(!enabled(kAddButton));

  // Copy takes the previous keyframe's settings, and the filter shows them.
  auto& settings = static_cast<ZSaturationSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
  const float first = static_cast<ZSaturationSettings*>(gui.Project().Model().Track().GetAt(0))->ZoneFar;
  settings.ZoneFar = first + 3;
  gui.Project().NotifyChanged(kChangeSettings);
  Button(gui, kCopyButton).click();
  Settle();
  QCOMPARE(settings.ZoneFar, first);

  Button(gui, kDeleteButton).click();
  Settle();
  QCOMPARE(Keyframes(gui), (QList<int>{0, 30}));
  QCOMPARE(gui.Project().Model().Track().GetCurrentFrame(), 0);
  Button(gui, kDeleteAllButton).click();
  Settle();
  QCOMPARE(Keyframes(gui), (QList<int>{0}));
  QCOMPARE(List(gui).topLevelItemCount(), 1);
  QVERIFY(!enabled(kDeleteAllButton));
}

void AnimationPanelTest::keysStepThroughFramesAndEditKeyframes() {
  GuiFixture gui;
  AnimateSingleImage(gui, 40, {});
  ClickRow(gui, 0);
  List(gui).setFocus();
  QTest::keyClick(&List(gui), Qt::Key_Down);
  QTest::keyClick(&List(gui), Qt::Key_Down);
  QCOMPARE(gui.Project().Model().Track().GetCurrentFrame(), 2);
  QTest::keyClick(&List(gui), Qt::Key_PageDown);
  const int paged = gui.Project().Model().Track().GetCurrentFrame();
  QVERIFY(paged > 3);
  QTest::keyClick(&List(gui), Qt::Key_Up);
  QCOMPARE(gui.Project().Model().Track().GetCurrentFrame(), paged - 1);
  QTest::keyClick(&List(gui), Qt::Key_Insert);
  Settle();
  QCOMPARE(Keyframes(gui), (QList<int>{0, paged - 1, 40}));
  QTest::keyClick(&List(gui), Qt::Key_Delete);
  Settle();
  QCOMPARE(Keyframes(gui), (QList<int>{0, 40}));
  QTest::keyClick(&List(gui), Qt::Key_Delete);  // frame 0 cannot be deleted
  Settle();
  QCOMPARE(Keyframes(gui), (QList<int>{0, 40}));
}

void AnimationPanelTest::draggedKeyframeIsCopiedOntoAnotherRow() {
  GuiFixture gui;
  AnimateSingleImage(gui, 30, {5});
  auto& settings = static_cast<ZSaturationSettings&>(gui.Project().GetFilter()->GetCurrentSettings());
  settings.ZoneFar += 7;  // frame 5 is current: its keyframe takes the edit
  gui.Project().NotifyChanged(kChangeSettings);
  const float atFive = settings.ZoneFar;
  QWidget* viewport = List(gui).viewport();
  List(gui).setMinimumHeight(460);  // rows 5 and 12 both in sight
  Settle();

  // A press on a row that the same press selects is no drag.
  QTest::qWait(2 * AnimationPanel::kClickGuardMs);
  QPoint from = RowCentre(gui, 7);
  SendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, from + QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
  QVERIFY(!Panel(gui).IsDragging());
  SendMouse(viewport, QEvent::MouseButtonRelease, from + QPoint(0, 30), Qt::LeftButton, Qt::NoButton);
  ClickRow(gui, 5);

  QTest::qWait(2 * AnimationPanel::kClickGuardMs);
  from = RowCentre(gui, 5);
  const QPoint to = RowCentre(gui, 12);
  SendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, from + QPoint(0, 10), Qt::NoButton, Qt::LeftButton);
  QVERIFY(Panel(gui).IsDragging());
  SendMouse(viewport, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  Settle();
  QVERIFY(!Panel(gui).IsDragging());
  QCOMPARE(Keyframes(gui), (QList<int>{0, 5, 12, 30}));
  QCOMPARE(static_cast<ZSaturationSettings*>(gui.Project().Model().Track().GetAt(2))->ZoneFar, atFive);
  QCOMPARE(static_cast<ZSaturationSettings*>(gui.Project().Model().Track().GetAt(1))->ZoneFar, atFive);

  // A drop back on its own row copies nothing.
  QTest::qWait(2 * AnimationPanel::kClickGuardMs);
  SendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, from + QPoint(0, 10), Qt::NoButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, from, Qt::NoButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::NoButton);
  Settle();
  QCOMPARE(Keyframes(gui), (QList<int>{0, 5, 12, 30}));

  // Held below the list, the drag scrolls it; a drop beside the rows copies nothing.
  QScrollBar* bar = List(gui).verticalScrollBar();
  bar->setValue(0);
  QTest::qWait(2 * AnimationPanel::kClickGuardMs);
  from = RowCentre(gui, 5);
  const QPoint below(from.x(), viewport->height() + 20);
  SendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, from + QPoint(0, 10), Qt::NoButton, Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, below, Qt::NoButton, Qt::LeftButton);
  QTRY_VERIFY(bar->value() > 0);
  SendMouse(viewport, QEvent::MouseButtonRelease, below, Qt::LeftButton, Qt::NoButton);
  Settle();
  QVERIFY(!Panel(gui).IsDragging());
  QCOMPARE(Keyframes(gui), (QList<int>{0, 5, 12, 30}));
}

void AnimationPanelTest::sequenceRowsNameTheImagesAndChangeTheFrame() {
  GuiFixture gui;
  QVERIFY(gui.NewProjectOf(4, FourCC("FXDS")));
  Settle();
  QCOMPARE(List(gui).topLevelItemCount(), 4);
  QCOMPARE(RowText(gui, 0, 1), QStringLiteral("s01.tga"));
  QCOMPARE(RowText(gui, 3, 1), QStringLiteral("s04.tga"));
  ClickRow(gui, 2);
  QCOMPARE(gui.Project().Model().Track().GetCurrentFrame(), 2);
  QCOMPARE(List(gui).currentItem(), List(gui).topLevelItem(2));
  // Undo of a keyframe added on a later image goes back to that image.
  Button(gui, kAddButton).click();
  Settle();
  ClickRow(gui, 0);
  Undo(gui);
  QCOMPARE(Keyframes(gui), (QList<int>{0}));
  QCOMPARE(gui.Project().Model().Track().GetCurrentFrame(), 2);
  QCOMPARE(List(gui).currentItem(), List(gui).topLevelItem(2));
}
