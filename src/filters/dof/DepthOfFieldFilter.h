#pragma once
// The depth-of-field filter command: the current settings, the diaph on the panel, the
// hand-over with the depth tools, and the field picture of the effect preview.

#include <string>

#include "filters/DepthFilterCommand.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/Diaph.h"
#include "strings/StringIds.h"

class DepthOfFieldFilter : public DepthFilterCommand {
 public:
  static constexpr FilterDescription kDescription{FourCC("FXDE"), kDepthOfFieldName, kDepthOfFieldDescription, kDepthOfFieldPanelTitle};
  explicit DepthOfFieldFilter(ProjectData& project);

  // The effect preview: the sharp field and the blur amounts over the image.
  std::unique_ptr<NTBitmap> GetViewBitmap(uint32_t viewMode) override;
  int HasEffectPreview() const override { return 1; }
  int OnPreviewDraw() override { return 0; }

  KeyframeSettings& GetCurrentSettings() override { return settings_; }
  KeyframeSettings& GoToFrame(int frame) override;

  void OnLooseFocus(int reason, CQelCommand* other) override;
  void OnGetFocus(int reason, CQelCommand* other, CommandResult result) override;

  // Loads a diaph: a built-in one (1 to 8), or a picture file (number 0) the user chooses; the
  // user is told why a chosen file cannot be used. False when nothing changed.
  bool LoadDiaph(int number);
  const Diaph& GetDiaph() { return Options().diaph; }
  DepthOfFieldOptions& Options() { return static_cast<DepthOfFieldOptions&>(GetFilterOptions()); }

 private:
  bool ChooseDiaphFile();

  DepthOfFieldSettings settings_;
};
