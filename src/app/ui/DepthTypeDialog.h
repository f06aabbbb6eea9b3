#pragma once
// "Z-Buffer type": asked once per project when a depth file is an ordinary picture. Shows
// the picture and asks whether its light areas are near or far. The answer is remembered
// for the next time in the preferences record 'ZBUF'.

#include <QDialog>

class Bitmap;
class QRadioButton;

class DepthTypeDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DepthTypeDialog(const Bitmap& picture, QWidget* parent = nullptr);
  ~DepthTypeDialog() override;

  // 0 light areas are near, 1 light areas are far.
  int LightSide() const;

  QRadioButton* NearButton() const { return near_; }
  QRadioButton* FarButton() const { return far_; }

 private:
  QRadioButton* near_;
  QRadioButton* far_;
};
