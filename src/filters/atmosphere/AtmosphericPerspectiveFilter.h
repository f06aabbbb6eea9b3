#pragma once
// The atmospheric perspective filter command: a colour added with depth, as haze.

#include "filters/ColourFilterCommand.h"
#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"
#include "strings/StringIds.h"

class AtmosphericPerspectiveFilter : public ColourFilterCommand {
 public:
  static constexpr FilterDescription kDescription{FourCC("FXDF"), kAtmosphericPerspectiveName, kAtmosphericPerspectiveDescription, kAtmosphericPerspectiveName};
  explicit AtmosphericPerspectiveFilter(ProjectData& project);
  KeyframeSettings& GetCurrentSettings() override { return settings_; }
  // A picked depth becomes the start depth, whatever the picker's mode.
  void OnGetFocus(int reason, CQelCommand* other, CommandResult result) override;
  AtmosphericPerspectiveOptions& Options() { return static_cast<AtmosphericPerspectiveOptions&>(GetFilterOptions()); }

 private:
  AtmosphericPerspectiveSettings settings_;
};
