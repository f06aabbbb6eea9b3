#pragma once

#include <QObject>

class AnimationPanelTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void singleImageLengthIsTypedOnTheSecondKeyframe();
  void labelOutsideTheAnimationIsRefused();
  void labelBeforeLaterKeyframesCutsAndUndoBringsThemBack();
  void buttonsFollowTheCurrentFrame();
  void keysStepThroughFramesAndEditKeyframes();
  void draggedKeyframeIsCopiedOntoAnotherRow();
  void sequenceRowsNameTheImagesAndChangeTheFrame();
};
