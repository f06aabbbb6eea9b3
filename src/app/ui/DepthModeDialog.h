#pragma once
// "Choose Z-Buffer mode": grey or coloured picture of a depth layer, with an exponential
// curve shaped by a gamma or a linear one. A grey preview follows the settings while the
// slider moves. Curve and gamma are remembered in the preferences record 'ZBFV'.

#include <QDialog>
#include <QTimer>

#include "project/ProgramDialogs.h"

class depthBitmap;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

class DepthModeDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kPreviewMs = 250;

  DepthModeDialog(const depthBitmap& depth, QWidget* parent = nullptr);
  ~DepthModeDialog() override;

  DepthModeChoice GetChoice() const { return choice_; }
  // True once the preview shows the current settings.
  bool PreviewIsCurrent() const { return !previewDirty_; }

  QSlider* GammaSlider() const { return slider_; }
  QRadioButton* ExponentialButton() const { return exponential_; }
  QRadioButton* LinearButton() const { return linear_; }
  QPushButton* GreyButton() const { return grey_; }
  QPushButton* ColourButton() const { return colour_; }
  QLabel* Preview() const { return preview_; }

 private:
  void SettingsChanged();
  void RefreshPreview();
  void ShowGamma();
  void Finish(int choice);

  const depthBitmap& depth_;
  DepthModeChoice choice_;
  bool previewDirty_ = true;
  QTimer previewTimer_;
  QSlider* slider_;
  QLabel* gammaText_;
  QRadioButton* exponential_;
  QRadioButton* linear_;
  QPushButton* grey_;
  QPushButton* colour_;
  QLabel* preview_;
};
