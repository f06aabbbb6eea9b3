#pragma once
// The three zone filter commands: Z Saturation, Z Luminance and Z Hue. They share the
// exchange of depths with the depth tools; each renders with its own law (ZoneRegistration).

#include "filters/ColourFilterCommand.h"
#include "filters/zone/ZHuePixels.h"
#include "filters/zone/ZLuminancePixels.h"
#include "filters/zone/ZSaturationPixels.h"
#include "strings/StringIds.h"

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

// A zone filter of one settings type and options type.
template <typename Settings, typename Options>
class ZoneFilterOf : public ZoneFilterCommand {
 public:
  ZoneFilterOf(ProjectData& project, const FilterDescription& description)
      : ZoneFilterCommand(project, description) {}
  KeyframeSettings& GetCurrentSettings() override { return settings_; }
  Options& GetOptionsOf() { return static_cast<Options&>(GetFilterOptions()); }

 protected:
  ZoneSettings& Zone() override { return settings_; }

 private:
  Settings settings_;
};

class ZSaturationFilter : public ZoneFilterOf<ZSaturationSettings, ZoneOptions> {
 public:
  static constexpr FilterDescription kDescription{FourCC("FXDS"), kZSaturationName, kZSaturationDescription, kZSaturationName};
  explicit ZSaturationFilter(ProjectData& project);
};

class ZLuminanceFilter : public ZoneFilterOf<ZLuminanceSettings, ZoneOptions> {
 public:
  static constexpr FilterDescription kDescription{FourCC("FXDL"), kZLuminanceName, kZLuminanceDescription, kZLuminanceName};
  explicit ZLuminanceFilter(ProjectData& project);
};

class ZHueFilter : public ZoneFilterOf<ZHueSettings, ZHueOptions> {
 public:
  static constexpr FilterDescription kDescription{FourCC("FXDH"), kZHueName, kZHueDescription, kZHueName};
  explicit ZHueFilter(ProjectData& project);
};
