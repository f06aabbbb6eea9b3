// The value bar and the tool button, driven with the mouse and the clock.

#include <QSignalSpy>
#include <QtTest>

#include "controls/CCustomScrollbar.h"
#include "controls/DrawnIcon.h"
#include "controls/NumberField.h"
#include "controls/UiText.h"
#include "platform/framework/StringTable.h"
#include "controls/ToolBitmapButton.h"
#include "platform/framework/FourCC.h"

namespace {

// A point on the track at a fraction of its width.
QPoint OnTrack(const CCustomScrollbar& bar, double fraction) {
  const QRect track = bar.TrackRect();
  return {track.left() + int(fraction * track.width()), track.center().y()};
}

QIcon Plain(const QColor& colour) {
  QPixmap pixmap(24, 24);
  pixmap.fill(colour);
  return QIcon(pixmap);
}

QColor CentreColour(QWidget& widget) {
  const QImage image = widget.grab().toImage();
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

uint32_t gCurrentCommand = 0;

}  // namespace

class ControlsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void ArrowsStepATenthAndStopAtTheEnds();
  void HeldArrowRepeats();
  void TrackDragReportsOnceOnRelease();
  void TrackEdgesGiveTheRangeEnds();
  void SetRangeClampsAndReportsNothing();
  void ButtonShowsItsPictureForItsState();
  void OnlyTheButtonThatLaunchedTheRunningModeBlinks();
  void StepsAreWholeAndTheSameBothWays();
  void MovesAreHeardWhileDraggingAndHolding();
  void NumberFieldsBringTheirValueIntoTheRange();
  void DrawnIconsAreDrawnAtTheScreensDensity();

 private:
  std::unique_ptr<CCustomScrollbar> bar_;
  std::unique_ptr<QSignalSpy> reports_;
};

void ControlsTest::init() {
  bar_ = std::make_unique<CCustomScrollbar>();
  bar_->show();
  reports_ = std::make_unique<QSignalSpy>(bar_.get(), &CCustomScrollbar::ValueReleased);
}

void ControlsTest::ArrowsStepATenthAndStopAtTheEnds() {
  bar_->SetRange(0, 100, 95);
  const QPoint right = bar_->RightArrowRect().center();
  QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, right);
  QCOMPARE(bar_->GetValue(), 100);
  QCOMPARE(reports_->count(), 1);
  QCOMPARE(reports_->at(0).at(1).toInt(), 100);
  QCOMPARE(reports_->at(0).at(0).value<CCustomScrollbar*>(), bar_.get());

  bar_->SetRange(-20, 20, 0);
  QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, bar_->LeftArrowRect().center());
  QCOMPARE(bar_->GetValue(), -4);
  QCOMPARE(bar_->GetState(), CCustomScrollbar::kIdle);

  // A blur amount's bar near its lower end: the step would go below 1, the bar stops there.
  bar_->SetRange(1, 50, 3);
  QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, bar_->LeftArrowRect().center());
  QCOMPARE(bar_->GetValue(), 1);
  QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, bar_->LeftArrowRect().center());
  QCOMPARE(bar_->GetValue(), 1);
  QCOMPARE(reports_->last().at(1).toInt(), 1);
}

void ControlsTest::HeldArrowRepeats() {
  bar_->SetRange(0, 100, 95);
  QTest::mousePress(bar_.get(), Qt::LeftButton, {}, bar_->RightArrowRect().center());
  QCOMPARE(bar_->GetState(), CCustomScrollbar::kRepeatUp);
  QTest::qWait(2 * CCustomScrollbar::kRepeatMs + 100);
  QCOMPARE(bar_->GetValue(), 100);  // held at the end, never beyond
  QTest::mouseRelease(bar_.get(), Qt::LeftButton, {}, bar_->RightArrowRect().center());

  bar_->SetRange(0, 100, 100);
  QTest::mousePress(bar_.get(), Qt::LeftButton, {}, bar_->LeftArrowRect().center());
  QCOMPARE(bar_->GetValue(), 90);
  QTRY_VERIFY_WITH_TIMEOUT(bar_->GetValue() <= 80, 3000);
  QCOMPARE(reports_->count(), 1);  // only the first release so far
  QTest::mouseRelease(bar_.get(), Qt::LeftButton, {}, bar_->LeftArrowRect().center());
  const int released = bar_->GetValue();
  QTest::qWait(CCustomScrollbar::kRepeatMs + 100);
  QCOMPARE(bar_->GetValue(), released);  // the repeat stops with the button
  QCOMPARE(reports_->count(), 2);
}

void ControlsTest::TrackDragReportsOnceOnRelease() {
  bar_->SetRange(0, 40, 0);
  QTest::mousePress(bar_.get(), Qt::LeftButton, {}, OnTrack(*bar_, 0.25));
  QCOMPARE(bar_->GetValue(), 10);
  QCOMPARE(bar_->GetState(), CCustomScrollbar::kDragging);
  QTest::mouseMove(bar_.get(), OnTrack(*bar_, 0.75));
  QCOMPARE(bar_->GetValue(), 30);
  QCOMPARE(reports_->count(), 0);  // nothing while dragging
  QTest::mouseRelease(bar_.get(), Qt::LeftButton, {}, OnTrack(*bar_, 0.5));
  QCOMPARE(reports_->count(), 1);
  QCOMPARE(reports_->at(0).at(1).toInt(), 20);

  // A click that leaves the value where it was still tells the parent once.
  QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, OnTrack(*bar_, 0.5));
  QCOMPARE(bar_->GetValue(), 20);
  QCOMPARE(reports_->count(), 2);
}

void ControlsTest::TrackEdgesGiveTheRangeEnds() {
  bar_->SetTrackWidth(200);
  QCOMPARE(bar_->RightArrowRect().right() + 1, bar_->width());
  bar_->SetRange(10, 50, 30);
  QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, QPoint(bar_->TrackRect().left(), 5));
  QCOMPARE(bar_->GetValue(), 10);
  // Dragged past the right end of the track, and past the right of the bar.
  QTest::mousePress(bar_.get(), Qt::LeftButton, {}, OnTrack(*bar_, 0.5));
  QTest::mouseMove(bar_.get(), QPoint(bar_->width() + 40, 5));
  QCOMPARE(bar_->GetValue(), 50);
  QTest::mouseMove(bar_.get(), QPoint(-40, 5));
  QCOMPARE(bar_->GetValue(), 10);
  QTest::mouseRelease(bar_.get(), Qt::LeftButton, {}, QPoint(bar_->TrackRect().right() + 1, 5));
  QCOMPARE(bar_->GetValue(), 50);
}

void ControlsTest::SetRangeClampsAndReportsNothing() {
  bar_->SetRange(0, 100, 150);
  QCOMPARE(bar_->GetValue(), 100);
  bar_->SetRange(0, 100, -5);
  QCOMPARE(bar_->GetValue(), 0);
  const QImage before = bar_->grab().toImage();
  bar_->SetRange(0, 100, 0);
  QCOMPARE(bar_->grab().toImage(), before);
  bar_->SetRange(0, 100, 50);
  QVERIFY(bar_->grab().toImage() != before);  // the track fills to the value
  QCOMPARE(reports_->count(), 0);
}

void ControlsTest::ButtonShowsItsPictureForItsState() {
  ToolBitmapButton button;
  button.SetBitmaps(Plain(Qt::red), Plain(Qt::green), QIcon(), QSize(24, 24));
  button.show();
  QCOMPARE(CentreColour(button), QColor(Qt::red));
  button.setDown(true);
  QCOMPARE(CentreColour(button), QColor(Qt::green));
  button.setDown(false);
  // Without a disabled picture a disabled button keeps its normal one.
  button.setEnabled(false);
  QCOMPARE(CentreColour(button), QColor(Qt::red));
  button.SetBitmaps(Plain(Qt::red), Plain(Qt::green), Plain(Qt::blue), QSize(32, 32));
  QCOMPARE(CentreColour(button), QColor(Qt::blue));
  QCOMPARE(button.size(), QSize(32, 32));
}

void ControlsTest::OnlyTheButtonThatLaunchedTheRunningModeBlinks() {
  ToolBitmapButton::SetCurrentCommandQuery([] { return gCurrentCommand; });
  ToolBitmapButton farther, nearer;
  for (ToolBitmapButton* b : {&farther, &nearer}) {
    b->SetBitmaps(Plain(Qt::red), Plain(Qt::green), QIcon(), QSize(24, 24));
    b->show();
  }
  const uint32_t picker = FourCC("DEPP");
  gCurrentCommand = picker;
  farther.StartBlink(picker, 2);
  QTRY_VERIFY_WITH_TIMEOUT(farther.ShowsHighlight(), 2500);
  QCOMPARE(CentreColour(farther), QColor(Qt::green));

  // The other button launches the same tool in another mode: the first one stops at once.
  nearer.StartBlink(picker, 3);
  QVERIFY(!farther.ShowsHighlight());
  QCOMPARE(CentreColour(farther), QColor(Qt::red));
  QTRY_VERIFY_WITH_TIMEOUT(nearer.ShowsHighlight(), 2500);
  QTRY_VERIFY_WITH_TIMEOUT(!farther.IsBlinking(), 2500);
  QVERIFY(nearer.IsBlinking());

  // The tool ends: the blinking stops and the button looks normal again.
  gCurrentCommand = 0;
  QTRY_VERIFY_WITH_TIMEOUT(!nearer.IsBlinking(), 2500);
  QCOMPARE(CentreColour(nearer), QColor(Qt::red));
  ToolBitmapButton::SetCurrentCommandQuery(nullptr);
}

void ControlsTest::StepsAreWholeAndTheSameBothWays() {
  // A tenth of 49 is 4.9: whole steps of 5 from the value shown, up and down alike.
  bar_->SetRange(1, 50, 20);
  QList<int> seen;
  for (bool up : {true, true, false, false}) {
    QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, (up ? bar_->RightArrowRect() : bar_->LeftArrowRect()).center());
    seen << bar_->GetValue();
  }
  QCOMPARE(seen, (QList<int>{25, 30, 25, 20}));
  bar_->SetStep(1);
  QTest::mouseClick(bar_.get(), Qt::LeftButton, {}, bar_->LeftArrowRect().center());
  QCOMPARE(bar_->GetValue(), 19);
}

void ControlsTest::MovesAreHeardWhileDraggingAndHolding() {
  QSignalSpy moves(bar_.get(), &CCustomScrollbar::ValueMoved);
  bar_->SetRange(0, 40, 0);
  QTest::mousePress(bar_.get(), Qt::LeftButton, {}, OnTrack(*bar_, 0.25));
  QTest::mouseMove(bar_.get(), OnTrack(*bar_, 0.75));
  QCOMPARE(moves.count(), 2);
  QCOMPARE(moves.last().at(1).toInt(), 30);
  QCOMPARE(reports_->count(), 0);
  QTest::mouseRelease(bar_.get(), Qt::LeftButton, {}, OnTrack(*bar_, 0.75));
  QCOMPARE(reports_->count(), 1);
  // SetRange from the program moves nothing the user did.
  bar_->SetRange(0, 40, 5);
  QCOMPARE(moves.count(), 2);
}

void ControlsTest::NumberFieldsBringTheirValueIntoTheRange() {
  SetInterfaceLanguage(Language::English);
  NumberField field(1, 50, 0);
  field.SetLive(true);
  QSignalSpy edits(&field, &NumberField::ValueEdited);
  field.show();
  field.setFocus();
  // Typed beyond the maximum: taken as the maximum, shown at once.
  QTest::keyClicks(&field, QStringLiteral("73"));
  QCOMPARE(field.text(), QStringLiteral("50"));
  QCOMPARE(field.GetValue(), 50.0);
  QCOMPARE(edits.last().at(0).toDouble(), 50.0);
  // Below the minimum it waits for Return, then takes the minimum.
  field.selectAll();
  QTest::keyClicks(&field, QStringLiteral("0"));
  QCOMPARE(field.GetValue(), 50.0);
  QTest::keyClick(&field, Qt::Key_Return);
  QCOMPARE(field.text(), QStringLiteral("1"));
  QCOMPARE(field.GetValue(), 1.0);
  QTest::keyClick(&field, Qt::Key_Up);
  QCOMPARE(field.text(), QStringLiteral("2"));

  // Decimals: either separator typed; shown as the language writes numbers.
  NumberField depth(0.0, 100.0, 2);
  depth.show();
  depth.setFocus();
  depth.selectAll();
  QTest::keyClicks(&depth, QStringLiteral("12,5"));
  QCOMPARE(depth.GetValue(), 0.0);  // a depth is taken on Return, not keystroke by keystroke
  QTest::keyClick(&depth, Qt::Key_Return);
  QCOMPARE(depth.GetValue(), 12.5);
  QCOMPARE(depth.text(), QStringLiteral("12.50"));
  SetInterfaceLanguage(Language::French);
  depth.SetValue(3.25);
  QCOMPARE(depth.text(), QStringLiteral("3,25"));
  SetInterfaceLanguage(Language::English);
  QCOMPARE(NumberField::Parse(QStringLiteral("abc")), std::nullopt);
}

void ControlsTest::DrawnIconsAreDrawnAtTheScreensDensity() {
  QSizeF drawnAt;
  const QIcon icon = DrawnIcon([&drawnAt](QPainter& p, QSizeF size) {
    drawnAt = size;
    p.fillRect(QRectF(QPointF(0, 0), size), Qt::red);
  });
  // Twice as many pixels at twice the density, drawn for the same size: nothing stretched.
  const QPixmap dense = icon.pixmap(QSize(24, 24), 2.0);
  QCOMPARE(dense.size(), QSize(48, 48));
  QCOMPARE(dense.devicePixelRatio(), 2.0);
  QCOMPARE(drawnAt, QSizeF(24, 24));
  QCOMPARE(dense.toImage().pixelColor(47, 47), QColor(Qt::red));
}

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
#include "controls/UiText.h"
