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
  void StoreOptions(CCustomData& record) const override { options_.StoreRecord(record); }
  void LoadOptions(const CCustomData& record) override { options_.LoadRecord(record); }
  // A picked depth becomes the start depth, whatever the picker's mode.
  void OnGetFocus(int reason, CQelCommand* other, CommandResult result) override;
  AtmosphericPerspectiveOptions& Options() { return options_; }

 protected:
  bool FilterPixels(const KeyframeSettings& settings, const CLayerBitmap& source, rgbBitmap& destination,
                    RenderProgress& progress) override;
  bool FilterFloatPixels(const KeyframeSettings& settings, const CLayerBitmap& source, rgbFloatBitmap& destination,
                         RenderProgress& progress) override;

 private:
  AtmosphericPerspectiveSettings settings_;
  AtmosphericPerspectiveOptions options_;
};
