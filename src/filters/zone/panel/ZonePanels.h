#pragma once
// The panels of the three zone filters: the constant zone tool, the foreground and background
// point tools, then the filter's options as check boxes; Z Hue adds its colour button. The
// depths themselves are set only with the tools and are not shown.

#include <array>
#include <utility>
#include <vector>

#include <QWidget>

#include "filters/FilterPanel.h"

class DepthFilterCommand;
class QCheckBox;
class QPushButton;
class ToolBitmapButton;
class ZHueFilter;
class ZoneOptions;
class ZLuminanceFilter;
class ZSaturationFilter;

// Caption and help string ids of a zone panel's tool buttons, and their widths in dialog units.
struct ZoneToolTexts {
  int zoneCaption, zoneHelp, zoneWidth;
  int foregroundCaption, foregroundHelp;
  int backgroundCaption, backgroundHelp, pointWidth;
};

// Caption and help string ids of the invert, foreground and background option check boxes.
using ZoneCheckTexts = std::array<std::pair<int, int>, 3>;

class ZonePanel : public QWidget, public FilterPanel {
  Q_OBJECT

 public:
  void SyncToPanel() override;
  void Refresh(int) override { SyncToPanel(); }

  ToolBitmapButton* ZoneButton() const { return zoneButton_; }
  ToolBitmapButton* ForegroundButton() const { return foregroundButton_; }
  ToolBitmapButton* BackgroundButton() const { return backgroundButton_; }
  // The check boxes in the panel's order.
  QCheckBox* Check(int index) const { return checks_[size_t(index)].box; }
  int CheckCount() const { return int(checks_.size()); }

 protected:
  ZonePanel(DepthFilterCommand& filter, const ZoneToolTexts& texts, QWidget* parent);
  // A check box for an option of the filter, below what is there.
  void AddCheck(int captionId, int helpId, bool& option);
  // The three option check boxes of Z Saturation and Z Luminance.
  void AddZoneOptionChecks(ZoneOptions& options, const ZoneCheckTexts& texts);
  void AddWidget(QWidget* widget, Qt::Alignment alignment = {});
  // Controls into the filter, then the project stores the settings in the keyframe.
  void SyncFromPanel();
  virtual void ShowExtra() {}
  virtual void TakeExtra() {}

  DepthFilterCommand& filter_;

 private:
  struct OptionCheck {
    QCheckBox* box;
    bool* option;
  };
  ToolBitmapButton* zoneButton_;
  ToolBitmapButton* foregroundButton_;
  ToolBitmapButton* backgroundButton_;
  std::vector<OptionCheck> checks_;
  bool syncing_ = false;
};

class ZSaturationPanel : public ZonePanel {
  Q_OBJECT
 public:
  explicit ZSaturationPanel(ZSaturationFilter& filter, QWidget* parent = nullptr);
};

class ZLuminancePanel : public ZonePanel {
  Q_OBJECT
 public:
  explicit ZLuminancePanel(ZLuminanceFilter& filter, QWidget* parent = nullptr);
};

class ZHuePanel : public ZonePanel {
  Q_OBJECT
 public:
  explicit ZHuePanel(ZHueFilter& filter, QWidget* parent = nullptr);
  QPushButton* ColourButton() const { return colourButton_; }

 protected:
  void ShowExtra() override;
  void TakeExtra() override;

 private:
  void ChooseColour();
  QPushButton* colourButton_;
};
