// The render options and Z-Buffer mode dialogs: their rules, and what they remember.

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QFile>
#include <QtTest>

#include "DialogDriver.h"
#include "platform/framework/Preferences.h"
#include "app/ui/DepthModeDialog.h"
#include "app/ui/QtUserInterface.h"
#include "app/ui/RenderOptionsDialog.h"
#include "platform/image/Bitmap.h"

namespace {

std::unique_ptr<depthBitmap> DepthRamp() {
  auto depth = std::make_unique<depthBitmap>(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) depth->GetLine(y)[x] = 1.0f + float(x);
  return depth;
}

}  // namespace

class RenderAndDepthDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Every run starts from the defaults of the remembered choices.
  void initTestCase() { QFile::remove(QString::fromStdString(Preferences::FilePath())); }
  void RangeIsEditedOnlyInRangeModeAndCountsItsFrames();
  void RenderChoiceIsRememberedAndFitsTheAnimation();
  void ClosingTheOptionsCancelsTheRender();
  void GammaFollowsTheSliderAndLinearKeepsIt();
  void PreviewFollowsTheSettings();
  void StoredGammaReopensAtItsPosition();

 private:
  QtUserInterface ui_;
};

void RenderAndDepthDialogsTest::RangeIsEditedOnlyInRangeModeAndCountsItsFrames() {
  QStringList counts;
  bool editableBefore = true, editableAfter = false;
  WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<RenderOptionsDialog*>(widget);
    dialog->ModeButton(3)->click();
    editableBefore = dialog->FirstFrame()->isEnabled();
    dialog->ModeButton(4)->click();
    editableAfter = dialog->FirstFrame()->isEnabled() && dialog->LastFrame()->isEnabled();
    dialog->FirstFrame()->setValue(7);
    dialog->LastFrame()->setValue(3);
    counts << dialog->FramesNumber()->text();
    dialog->accept();
  });
  const RenderRangeChoice choice = ui_.AskRenderRange(10);
  QVERIFY(!editableBefore);
  QVERIFY(editableAfter);
  QCOMPARE(counts, QStringList{QStringLiteral("5")});
  QCOMPARE(choice.mode, RenderRangeMode::Range);
  QVERIFY(!choice.cancelled);
  QCOMPARE(std::min(choice.first, choice.last), 3);
  QCOMPARE(std::max(choice.first, choice.last), 7);
}

void RenderAndDepthDialogsTest::RenderChoiceIsRememberedAndFitsTheAnimation() {
  {
    RenderOptionsDialog dialog(10);
    dialog.ModeButton(4)->click();
    dialog.FirstFrame()->setValue(2);
    dialog.LastFrame()->setValue(99);  // beyond the animation: its last frame
    QCOMPARE(dialog.LastFrame()->value(), 9);
    QCOMPARE(dialog.FramesNumber()->text(), QStringLiteral("8"));
  }
  // Closed with Escape, the dialog still remembered, but the render is cancelled; a shorter
  // animation clips the range.
  int mode = -1, first = -1, last = -1;
  WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<RenderOptionsDialog*>(widget);
    mode = dialog->ModeButton(int(RenderRangeMode::Range))->isChecked() ? int(RenderRangeMode::Range) : -1;
    first = dialog->FirstFrame()->value();
    last = dialog->LastFrame()->value();
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  const RenderRangeChoice choice = ui_.AskRenderRange(6);
  QCOMPARE(mode, int(RenderRangeMode::Range));
  QCOMPARE(first, 2);
  QCOMPARE(last, 5);
  QCOMPARE(choice.mode, RenderRangeMode::Range);
  QVERIFY(choice.cancelled);
}

void RenderAndDepthDialogsTest::ClosingTheOptionsCancelsTheRender() {
  WhenModalOpens([](QWidget* dialog) { dialog->close(); });
  QVERIFY(ui_.AskRenderRange(10).cancelled);
  WhenModalOpens([](QWidget* dialog) { dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); });
  QVERIFY(!ui_.AskRenderRange(10).cancelled);
}

void RenderAndDepthDialogsTest::GammaFollowsTheSliderAndLinearKeepsIt() {
  auto depth = DepthRamp();
  bool sliderEnabledInLinear = true;
  WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<DepthModeDialog*>(widget);
    dialog->GammaSlider()->setValue(37);
    dialog->LinearButton()->click();
    sliderEnabledInLinear = dialog->GammaSlider()->isEnabled();
    QTest::mouseClick(dialog->ColourButton(), Qt::LeftButton);
  });
  const DepthModeChoice chosen = ui_.AskDepthMode(*depth);
  QCOMPARE(chosen.choice, 2);
  QCOMPARE(chosen.curve, 1);
  QCOMPARE(chosen.gamma, 0.37f);
  QVERIFY(!sliderEnabledInLinear);

  // Reopened: linear again, the slider resting at 37; closing otherwise gives the grey mode.
  int position = 0;
  WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<DepthModeDialog*>(widget);
    position = dialog->GammaSlider()->value();
    dialog->ExponentialButton()->click();
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  const DepthModeChoice closed = ui_.AskDepthMode(*depth);
  QCOMPARE(position, 37);
  QCOMPARE(closed.choice, 1);
  QCOMPARE(closed.curve, 0);
  QCOMPARE(closed.gamma, 0.37f);
}

void RenderAndDepthDialogsTest::PreviewFollowsTheSettings() {
  auto depth = DepthRamp();
  DepthModeDialog dialog(*depth);
  dialog.show();
  QVERIFY(dialog.PreviewIsCurrent());
  const QImage first = dialog.Preview()->pixmap().toImage();
  QVERIFY(!first.isNull());
  dialog.GammaSlider()->setValue(90);
  QVERIFY(!dialog.PreviewIsCurrent());
  QTRY_VERIFY_WITH_TIMEOUT(dialog.PreviewIsCurrent(), 4 * DepthModeDialog::kPreviewMs);
  QVERIFY(dialog.Preview()->pixmap().toImage() != first);
}

void RenderAndDepthDialogsTest::StoredGammaReopensAtItsPosition() {
  auto depth = DepthRamp();
  for (int position : {20, 29, 57, 1, 100}) {
    {
      DepthModeDialog dialog(*depth);
      dialog.ExponentialButton()->click();
      dialog.GammaSlider()->setValue(position);
    }
    DepthModeDialog reopened(*depth);
    QCOMPARE(reopened.GammaSlider()->value(), position);
  }
}

QTEST_MAIN(RenderAndDepthDialogsTest)
#include "RenderAndDepthDialogsTest.moc"
