#pragma once
// The depth-of-field filter's panel: the field and focus tools with the field limits and the
// focus as numbers, the two blur amounts with their bars, fields, maximum-blur point tools and
// depths, the diaph with previous, next and browse, the blur evolution graph, the highlight
// threshold and gain, and the alpha option.

#include <QImage>
#include <QWidget>

#include "filters/FilterPanel.h"
#include "platform/image/DepthRange.h"

class CCustomScrollbar;
class DepthOfFieldFilter;
class DepthOfFieldSettings;
class QCheckBox;
class QLabel;
class NumberField;
class QPushButton;
class ToolBitmapButton;

class DepthOfFieldPanel : public QWidget, public FilterPanel {
  Q_OBJECT

 public:
  explicit DepthOfFieldPanel(DepthOfFieldFilter& filter, QWidget* parent = nullptr);

  void SyncToPanel() override;
  void Refresh(int code) override;

  // The blur diameter against depth, white on black: left of the centre from the near field
  // limit to the nearest depth, right of it from the far limit to the background (or to five
  // times the far limit when the background lies farther). Scaled down to fit the height.
  static QImage DrawBlurGraph(const DepthOfFieldSettings& settings, const DepthRange& range, QSize size);

  const QImage& GraphPicture() const { return graph_; }
  int DiaphCounter() const { return diaphCounter_; }

  CCustomScrollbar* FrontBar() const { return frontBar_; }
  CCustomScrollbar* BackBar() const { return backBar_; }
  NumberField* FrontEdit() const { return frontEdit_; }
  NumberField* BackEdit() const { return backEdit_; }
  NumberField* NearField() const { return nearField_; }
  NumberField* FarField() const { return farField_; }
  NumberField* FocusField() const { return focusField_; }
  NumberField* FrontDepthField() const { return frontDepthField_; }
  NumberField* BackDepthField() const { return backDepthField_; }
  NumberField* HighlightThresholdField() const { return thresholdField_; }
  NumberField* HighlightGainField() const { return gainField_; }
  QCheckBox* AlphaCheck() const { return alphaCheck_; }
  ToolBitmapButton* FieldButton() const { return fieldButton_; }
  ToolBitmapButton* FocusButton() const { return focusButton_; }
  ToolBitmapButton* FrontPointButton() const { return frontPointButton_; }
  ToolBitmapButton* BackPointButton() const { return backPointButton_; }
  ToolBitmapButton* PreviousDiaphButton() const { return previousButton_; }
  ToolBitmapButton* NextDiaphButton() const { return nextButton_; }
  QPushButton* BrowseButton() const { return browseButton_; }

 private:
  DepthOfFieldSettings& Settings() const;
  void BuildLayout();
  void ConnectControls();
  void OnBarReleased();
  void OnAmountTyped(bool front, int amount);
  // A depth typed in one of the depth fields, applied by the settings' own rules.
  void OnDepthTyped(NumberField* field, double depth);
  void ShowDepths();
  // A highlight threshold or gain typed in its field.
  void OnHighlightTyped(NumberField* field, double value);
  void StepDiaph(int direction);
  void LoadDiaph(int number);
  void ShowDiaph();
  void RedrawGraph();
  void StoreEdit();

  DepthOfFieldFilter& filter_;
  int diaphCounter_ = 0;
  bool syncing_ = false;
  QImage graph_;

  ToolBitmapButton* fieldButton_;
  ToolBitmapButton* focusButton_;
  NumberField* nearField_;
  NumberField* farField_;
  NumberField* focusField_;
  CCustomScrollbar* frontBar_;
  NumberField* frontEdit_;
  NumberField* frontDepthField_;
  ToolBitmapButton* frontPointButton_;
  CCustomScrollbar* backBar_;
  NumberField* backEdit_;
  NumberField* backDepthField_;
  ToolBitmapButton* backPointButton_;
  QLabel* diaphBox_;
  ToolBitmapButton* previousButton_;
  ToolBitmapButton* nextButton_;
  QPushButton* browseButton_;
  QLabel* graphBox_;
  NumberField* thresholdField_;
  NumberField* gainField_;
  QCheckBox* alphaCheck_;
};
