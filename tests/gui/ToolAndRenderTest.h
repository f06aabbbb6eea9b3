#pragma once

#include <QObject>

class ToolAndRenderTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void intervalToolTakesTwoClicksAndTheButtonBlinksMeanwhile();
  void pickerRefusesDepthsNotFartherThanTheReference();
  void focusPickedFromTheDepthOfFieldPanelIsStoredAndDrawn();
  void areaPreviewNeedsFifteenPixelsEachWay();
  void renderRangeIsTakenInEitherOrder();
  void renderAndSaveWithTheSaveDialogCancelledStillRendersEveryFrame();
  void cancelDuringAFrameKeepsTheFramesSavedBefore();
  void convertZBufferProposesTheImageNameWithZTga();
};
