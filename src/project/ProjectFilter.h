#pragma once
// What the open project needs of its filter's command: its name and place among the commands,
// the settings of the current frame (filled from the keyframe track), and the pictures of the
// view modes it defines. The filter commands implement it; the project never sees how a filter
// renders, and keeps the filter's options itself (ProjectModel).

#include <cstdint>
#include <memory>

#include "platform/framework/Command.h"
#include "platform/image/NTBitmap.h"

class KeyframeSettings;

// The first view mode a filter may define for itself.
constexpr uint32_t kFilterViewModeBase = 65536;

class ProjectFilter : public CBitmapCommand {
 public:
  // Shown in the filter list.
  virtual float GetVersion() const = 0;
  // Layer-type mask of the layers a frame must hold.
  virtual uint32_t GetRequiredLayers() const = 0;

  virtual KeyframeSettings& GetCurrentSettings() = 0;
  // Fills the current settings from the keyframe track for the frame; the panel follows.
  virtual KeyframeSettings& GoToFrame(int frame) = 0;

  // A picture for a view mode (the effect preview, or one of the filter's own from
  // kFilterViewModeBase); null for modes the filter has none for.
  virtual std::unique_ptr<NTBitmap> GetViewBitmap(uint32_t viewMode) = 0;
};
