#pragma once
// The interactive side of a filter in the desktop program's command framework: a command of
// the filter category with the settings of the current frame (filled from the keyframe track),
// a panel while it is open, the hand-over with the depth tools, and the previews. It renders
// through the filter's operation (FilterOperation.h) on the project's current frame.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "animation/FilterOptions.h"
#include "animation/KeyframeSettings.h"
#include "filters/FilterPanel.h"
#include "platform/framework/Command.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"
#include "platform/image/NTBitmap.h"
#include "project/ProjectFilter.h"

class ApplicationFrame;
class ProjectData;

struct FilterDescription {
  uint32_t id;
  int nameStringId;
  int descriptionStringId;
  int panelTitleStringId;
};

class DepthFilterCommand : public ProjectFilter {
 public:
  DepthFilterCommand(ProjectData& project, const FilterDescription& description);
  ~DepthFilterCommand() override;

  std::string GetName(Language language) const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(Language language, int kind) const override;
  int GetOptions() const override;
  CommandResult OnOpenCommand(int parameter) override;
  CommandResult OnCloseCommand() override;

  const FilterDescription& GetDescription() const { return description_; }
  float GetVersion() const override { return 1.0f; }
  // Layer-type mask: colour (bytes or float) and depth.
  uint32_t GetRequiredLayers() const override { return kRgbBitmap | kDepthBitmap; }
  // Drawn over the view in the effect preview mode; the result is not used.
  virtual int OnPreviewDraw() { return 1; }

  // Renders a rectangle of the current frame, or the whole current frame, with the given
  // settings and the project's options, polling the progress between bands of rows. Null when
  // cancelled, without a current frame, or when the rectangle cannot be cut.
  std::unique_ptr<CLayerBitmap> RenderPreview(const KeyframeSettings& settings, const ImageRect& area,
                                              RenderProgress& progress);
  std::unique_ptr<CLayerBitmap> RenderFrame(const KeyframeSettings& settings, RenderProgress& progress);
  // A picture for a view mode (the effect preview); null for modes the filter has none for.
  std::unique_ptr<NTBitmap> GetViewBitmap(uint32_t viewMode) override;
  virtual int HasEffectPreview() const { return 0; }

  KeyframeSettings& GetCurrentSettings() override = 0;
  const KeyframeSettings& GetCurrentSettings() const {
    return const_cast<DepthFilterCommand*>(this)->GetCurrentSettings();
  }
  // Fills the current settings from the keyframe track for the frame; the panel follows.
  KeyframeSettings& GoToFrame(int frame) override;

  // The filter's options: the project's while this is the project's filter, else the command's
  // own (which nothing renders with).
  FilterOptions& GetFilterOptions();
  const FilterOptions& GetFilterOptions() const { return const_cast<DepthFilterCommand*>(this)->GetFilterOptions(); }

  ProjectData& GetProject() const { return project_; }
  // Makes the panel when the filter opens: the desktop program's. None: no panel.
  void SetPanelFactory(FilterPanelFactory factory) { panelFactory_ = std::move(factory); }
  FilterPanel* GetPanel() const { return panel_.get(); }
  // Brings the panel up to date from the command, when there is one.
  void SyncPanel();

 protected:
  // Fills settings from the keyframe track for a frame, its depths kept within the current
  // frame's.
  void ReadSettingsOfFrame(KeyframeSettings& settings, int frame) const;

 private:
  std::unique_ptr<CLayerBitmap> Render(const KeyframeSettings& settings, std::optional<ImageRect> area,
                                       RenderProgress& progress);

  ProjectData& project_;
  FilterDescription description_;
  FilterPanelFactory panelFactory_;
  std::unique_ptr<FilterPanel> panel_;
  std::unique_ptr<FilterOptions> ownOptions_;
};

// The project's current filter as the command it is (every filter of a project is one); null
// when no filter is active.
DepthFilterCommand* CurrentFilterCommand(const ProjectData& project);
// The frame's filters as the commands they are, in the frame's order.
std::vector<DepthFilterCommand*> FilterCommands(const ApplicationFrame& frame);
