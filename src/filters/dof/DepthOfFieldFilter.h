#pragma once
// The depth-of-field filter command: the current settings, the options and the diaph, the
// hand-over with the depth tools, and the renders through the slice renderer.

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

  std::unique_ptr<CLayerBitmap> RenderPreview(const KeyframeSettings& settings, int x, int y, int width, int height,
                                              RenderProgress& progress) override;
  std::unique_ptr<CLayerBitmap> RenderFrame(const KeyframeSettings& settings, int frameIndex, int frameCount,
                                            RenderProgress& progress) override;
  // View mode 5: the sharp field and the blur amounts over the image.
  std::unique_ptr<NTBitmap> GetViewBitmap(uint32_t viewMode) override;
  int HasEffectPreview() const override { return 1; }
  int OnPreviewDraw() override { return 0; }
  // The diaph picture while a file diaph is in use.
  std::vector<std::string> GetInputFiles() const override;

  KeyframeSettings& GetCurrentSettings() override { return settings_; }
  KeyframeSettings& GoToFrame(int frame) override;

  void StoreOptions(CCustomData& record) const override { options_.StoreRecord(record, diaph_); }
  void LoadOptions(const CCustomData& record) override { options_.LoadRecord(record, diaph_); }

  void OnLooseFocus(int reason, CQelCommand* other) override;
  void OnGetFocus(int reason, CQelCommand* other, CommandResult result) override;

  // Loads a diaph: a file (number 0; asked for when the name is empty) or a built-in one.
  // False when nothing changed.
  bool LoadDiaph(const std::string& name, int number) { return diaph_.Load(name, number); }
  const Diaph& GetDiaph() const { return diaph_; }
  DepthOfFieldOptions& Options() { return options_; }

 private:
  DepthOfFieldSettings settings_;
  DepthOfFieldOptions options_;
  Diaph diaph_;
};
