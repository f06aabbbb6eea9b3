#pragma once

#include <QObject>

class PanelWordsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void blurFieldsTakeTheRangeAndTheBarsStepByOne();
  void depthFieldsSetTheFieldAndTheFullBlurDepths();
  void aFileThatIsNoPictureKeepsThePreviousDiaph();
  void backgroundIsSaidUnderTheCursor();
  void frenchNumbersTakeADecimalComma();
  void undoAndRedoNameTheChange();
  void fogBarsHaveTheirNumbers();
  void transparencyShowsOverACheckerboard();
};
