#pragma once
// What the five filters have in common: a command of the filter category with a current
// settings object filled from the keyframe track for the current frame, options that are
// not animated, a panel while it is open, and the render operations.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "animation/KeyframeSettings.h"
#include "filters/FilterPanel.h"
#include "platform/framework/Command.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"
#include "platform/image/NTBitmap.h"
#include "project/ProjectFilter.h"

class CArchive;
class CCustomData;
class ApplicationFrame;
class ProjectData;

// The framework state every filter switches on at construction.
constexpr int kFilterCommandState = 0x10000;

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

  std::string GetName() const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(int kind) const override;
  int GetOptions() const override;
  CommandResult OnOpenCommand(int parameter) override;
  CommandResult OnCloseCommand() override;

  const FilterDescription& GetDescription() const { return description_; }
  float GetVersion() const override { return 1.0f; }
  // Layer-type mask: colour (1, bytes or float) and depth (512).
  uint32_t GetRequiredLayers() const override { return kRgbBitmap | kDepthBitmap; }
  // Drawn over the view in the effect preview mode; the result is not used.
  virtual int OnPreviewDraw() { return 1; }

  // Renders a rectangle of the current image, or the whole current frame, polling the progress
  // between bands of rows. New images owned by the caller; null when cancelled or when the
  // rectangle cannot be cut.
  virtual std::unique_ptr<CLayerBitmap> RenderPreview(const KeyframeSettings& settings, int x, int y,
                                                      int width, int height, RenderProgress& progress) = 0;
  virtual std::unique_ptr<CLayerBitmap> RenderFrame(const KeyframeSettings& settings, int frameIndex,
                                                    int frameCount, RenderProgress& progress) = 0;
  // A picture for a view mode (5: the effect preview); null for modes the filter has none for.
  std::unique_ptr<NTBitmap> GetViewBitmap(uint32_t viewMode) override;
  virtual int HasEffectPreview() const { return 0; }
  // Files the filter reads besides the frames (a diaph picture, say); a render must not
  // write over them.
  virtual std::vector<std::string> GetInputFiles() const { return {}; }

  KeyframeSettings& GetCurrentSettings() override = 0;
  const KeyframeSettings& GetCurrentSettings() const {
    return const_cast<DepthFilterCommand*>(this)->GetCurrentSettings();
  }
  // Fills the current settings from the keyframe track for the frame; the panel follows.
  KeyframeSettings& GoToFrame(int frame) override;

  // The options record: written to the project file after the keyframes.
  virtual void StoreOptions(CCustomData& record) const = 0;
  virtual void LoadOptions(const CCustomData& record) = 0;
  void Serialize(CArchive& archive) override;

  ProjectData& GetProject() const { return project_; }
  FilterPanel* GetPanel() const { return panel_.get(); }
  // Brings the panel up to date from the command, when there is one.
  void SyncPanel();

 protected:
  // Called after the options were read from a project (diaphs reload here, say).
  virtual void OnOptionsLoaded() {}

 private:
  ProjectData& project_;
  FilterDescription description_;
  std::unique_ptr<FilterPanel> panel_;
};

// The project's current filter as the command it is (every filter of a project is one); null
// when no filter is active.
DepthFilterCommand* CurrentFilterCommand(const ProjectData& project);
// The frame's filters as the commands they are, in the frame's order.
std::vector<DepthFilterCommand*> FilterCommands(const ApplicationFrame& frame);
