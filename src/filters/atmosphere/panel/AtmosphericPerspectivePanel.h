#pragma once
// The atmospheric perspective panel: the start depth tool, the colour, the ramp picture of
// the added colour and its intensity, the two intensity bars and the density bar, each with
// its number, and the foreground option.

#include <QImage>
#include <QWidget>

#include "filters/FilterPanel.h"

class AtmosphericPerspectiveFilter;
class AtmosphericPerspectiveSettings;
class CCustomScrollbar;
class NumberField;
class QCheckBox;
class QLabel;
class QPushButton;
class ToolBitmapButton;

class AtmosphericPerspectivePanel : public QWidget, public FilterPanel {
  Q_OBJECT

 public:
  explicit AtmosphericPerspectivePanel(AtmosphericPerspectiveFilter& filter, QWidget* parent = nullptr);

  void SyncToPanel() override;
  void Refresh(int) override { SyncToPanel(); }

  // The added colour at each distance from the start depth (left) to the far end (right),
  // with the intensity curve as a bar over it.
  static QImage DrawRamp(const AtmosphericPerspectiveSettings& settings, QSize size);

  const QImage& RampPicture() const { return ramp_; }
  ToolBitmapButton* DepthButton() const { return depthButton_; }
  QPushButton* ColourButton() const { return colourButton_; }
  CCustomScrollbar* NearBar() const { return nearBar_; }
  CCustomScrollbar* FarBar() const { return farBar_; }
  CCustomScrollbar* DensityBar() const { return densityBar_; }
  // The number beside a bar: its position, typed or followed.
  NumberField* FieldOf(const CCustomScrollbar* bar) const;
  QCheckBox* ForegroundCheck() const { return foregroundCheck_; }

 private:
  AtmosphericPerspectiveSettings& Settings() const;
  void SyncFromPanel();
  void ChooseColour();
  void RedrawRamp();

  AtmosphericPerspectiveFilter& filter_;
  QImage ramp_;
  ToolBitmapButton* depthButton_;
  QPushButton* colourButton_;
  QLabel* rampBox_;
  CCustomScrollbar* nearBar_;
  CCustomScrollbar* farBar_;
  CCustomScrollbar* densityBar_;
  NumberField* nearField_;
  NumberField* farField_;
  NumberField* densityField_;
  QCheckBox* foregroundCheck_;
};
