#pragma once

#include <QObject>

class ColourViewTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void configurationViewsShowFloatColour();
  void eightBitFramesIgnoreTheView();
  void configurationThatCannotBeUsedLeavesTheSrgbCurve();
  void alphaViewShowsFloatAlpha();
};
