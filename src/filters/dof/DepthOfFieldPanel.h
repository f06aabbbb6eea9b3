#pragma once
// The depth-of-field filter's panel: the field and focus tools, the two blur amounts with
// their bars, fields and maximum-blur point tools, the diaph with previous, next and browse,
// the blur evolution graph, and the alpha option.

#include <QImage>
#include <QWidget>

#include "filters/FilterPanel.h"
#include "platform/image/DepthRange.h"

class CCustomScrollbar;
class DepthOfFieldFilter;
class DepthOfFieldSettings;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ToolBitmapButton;

class DepthOfFieldPanel : public QWidget, public FilterPanel {
  Q_OBJECT

 public:
  // Refresh codes: store the edit in the project (then show it), or only show the settings.
  static constexpr int kRefreshStore = 1;
  static constexpr int kRefreshShow = 2;
  static constexpr int kMinAmount = 1;
  static constexpr int kMaxAmount = 50;
  static constexpr int kDiaphCount = 8;

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
  QLineEdit* FrontEdit() const { return frontEdit_; }
  QLineEdit* BackEdit() const { return backEdit_; }
  QCheckBox* AlphaCheck() const { return alphaCheck_; }
  ToolBitmapButton* FieldButton() const { return fieldButton_; }
  ToolBitmapButton* FocusButton() const { return focusButton_; }
  ToolBitmapButton* FrontPointButton() const { return frontPointButton_; }
  ToolBitmapButton* BackPointButton() const { return backPointButton_; }
  ToolBitmapButton* PreviousDiaphButton() const { return previousButton_; }
  ToolBitmapButton* NextDiaphButton() const { return nextButton_; }
  QPushButton* BrowseButton() const { return browseButton_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DepthOfFieldSettings& Settings() const;
  void BuildLayout();
  void ConnectControls();
  void OnBarReleased();
  void OnAmountTyped(QLineEdit* edit);
  // False when the field's text is no amount: the field shows the amount again and, when
  // asked, the user is told the range.
  bool CheckAmountField(QLineEdit* edit, bool tell);
  void StepDiaph(int direction);
  void LoadDiaph(int number);
  void ShowDiaph();
  void RedrawGraph();
  void StoreEdit();

  DepthOfFieldFilter& filter_;
  int diaphCounter_ = 0;
  bool syncing_ = false;
  bool warning_ = false;
  QImage graph_;

  ToolBitmapButton* fieldButton_;
  ToolBitmapButton* focusButton_;
  CCustomScrollbar* frontBar_;
  QLineEdit* frontEdit_;
  ToolBitmapButton* frontPointButton_;
  CCustomScrollbar* backBar_;
  QLineEdit* backEdit_;
  ToolBitmapButton* backPointButton_;
  QLabel* diaphBox_;
  ToolBitmapButton* previousButton_;
  ToolBitmapButton* nextButton_;
  QPushButton* browseButton_;
  QLabel* graphBox_;
  QCheckBox* alphaCheck_;
};
