#pragma once

#include <QObject>

class ViewTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void areaDragShowsThePreviewAndTheNextClickOnlyRemovesIt();
  void wheelZoomsAroundTheCursor();
  void middleButtonPansWhateverToolIsActive();
  void zoomCommandsAndTools();
  void statusBarShowsPixelColourAndDepth();
  void paintsTheImageOverTheDarkBackground();
  void floatFrameIsShownAtTheExposureWithItsLightUnderTheCursor();
  void exposureLeavesEightBitFramesAlone();
};
