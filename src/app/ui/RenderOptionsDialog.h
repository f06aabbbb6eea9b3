#pragma once
// "Options" of a render: which frames to render (first, last, current, all, or a range),
// remembered from one render to the next.

#include <QDialog>
#include <array>

#include "tools/RenderOptions.h"

class QLineEdit;
class QRadioButton;
class QSpinBox;

class RenderOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  RenderOptionsDialog(int frameCount, QWidget* parent = nullptr);
  // The choice is remembered however the dialog is closed.
  ~RenderOptionsDialog() override;

  // Cancelled unless the dialog ended with OK.
  RenderRangeChoice GetChoice() const;

  QRadioButton* ModeButton(int mode) const { return modes_[size_t(mode)]; }
  QSpinBox* FirstFrame() const { return first_; }
  QSpinBox* LastFrame() const { return last_; }
  QLineEdit* FramesNumber() const { return count_; }

 private:
  void ShowRange();

  RenderOptions options_;
  std::array<QRadioButton*, kRenderRangeModeCount> modes_{};
  QSpinBox* first_;
  QSpinBox* last_;
  QLineEdit* count_;
};
