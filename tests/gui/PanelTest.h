#pragma once

#include <QObject>

class PanelTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void eachFilterDocksItsPanelWithItsTexts();
  void panelEditsGoToTheCurrentKeyframeAndFollowTheFrame();
  void zoneChecksWriteTheOptions();
  void valueBarLeftAtItsValueChangesNothing();
  void fogDensityPositionsThereAndBack();
  void blurGraphScalesDownAndStopsAtFiveTimesTheFarLimit();
  void diaphButtonsWrapAndStartFromTheirOwnCounter();
  void amountFieldsRefuseZeroAndFiftyOne();
  void highlightFieldsEditTheKeyframeAndShowItsValues();
};
