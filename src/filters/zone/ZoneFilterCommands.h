#pragma once
// The three zone filter commands: Z Saturation, Z Luminance and Z Hue. They share the
// exchange of depths with the depth tools; each renders with its own law.

#include "filters/ColourFilterCommand.h"
#include "filters/zone/ZHueSettings.h"
#include "filters/zone/ZLuminanceSettings.h"
#include "filters/zone/ZSaturationSettings.h"
#include "filters/zone/ZoneOptions.h"

class ZoneFilterCommand : public ColourFilterCommand {
 public:
  using ColourFilterCommand::ColourFilterCommand;
  // Hands the zone to the interval tool, or the reference depth to the point tool.
  void OnLooseFocus(int reason, CQelCommand* other) override;
  // Takes a finished tool's depths into the current settings.
  void OnGetFocus(int reason, CQelCommand* other, CommandResult result) override;

 protected:
  virtual ZoneSettings& Zone() = 0;
};

class ZSaturationFilter : public ZoneFilterCommand {
 public:
  explicit ZSaturationFilter(ProjectData& project);
  KeyframeSettings& GetCurrentSettings() override { return settings_; }
  void StoreOptions(CCustomData& record) const override { options_.StoreRecord(record); }
  void LoadOptions(const CCustomData& record) override { options_.LoadRecord(record); }
  ZoneOptions& Options() { return options_; }

 protected:
  bool FilterPixels(const KeyframeSettings& settings, const CLayerBitmap& source, rgbBitmap& destination) override;
  ZoneSettings& Zone() override { return settings_; }

 private:
  ZSaturationSettings settings_;
  ZoneOptions options_;
};

class ZLuminanceFilter : public ZoneFilterCommand {
 public:
  explicit ZLuminanceFilter(ProjectData& project);
  KeyframeSettings& GetCurrentSettings() override { return settings_; }
  void StoreOptions(CCustomData& record) const override { options_.StoreRecord(record); }
  void LoadOptions(const CCustomData& record) override { options_.LoadRecord(record); }
  ZoneOptions& Options() { return options_; }

 protected:
  bool FilterPixels(const KeyframeSettings& settings, const CLayerBitmap& source, rgbBitmap& destination) override;
  ZoneSettings& Zone() override { return settings_; }

 private:
  ZLuminanceSettings settings_;
  ZoneOptions options_;
};

class ZHueFilter : public ZoneFilterCommand {
 public:
  explicit ZHueFilter(ProjectData& project);
  KeyframeSettings& GetCurrentSettings() override { return settings_; }
  void StoreOptions(CCustomData& record) const override { options_.StoreRecord(record); }
  void LoadOptions(const CCustomData& record) override { options_.LoadRecord(record); }
  ZHueOptions& Options() { return options_; }

 protected:
  bool FilterPixels(const KeyframeSettings& settings, const CLayerBitmap& source, rgbBitmap& destination) override;
  ZoneSettings& Zone() override { return settings_; }

 private:
  ZHueSettings settings_;
  ZHueOptions options_;
};
