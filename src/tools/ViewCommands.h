#pragma once
// The View menu's toggles: the filter's live preview, the last rendered image, the depth
// buffer as a grey or coloured picture, and the alpha channel; and the exposure floating-point
// colour is shown with.

#include "platform/framework/Command.h"

class ProjectData;

class ViewCommand : public CBitmapCommand {
 public:
  ViewCommand(ProjectData& project, uint32_t id, int nameId, int helpId);
  std::string GetName(Language language) const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(Language language, int kind) const override;

 protected:
  ProjectData& project_;

 private:
  uint32_t id_;
  int nameId_;
  int helpId_;
};

class PreviewEffectCommand : public ViewCommand {
 public:
  explicit PreviewEffectCommand(ProjectData& project);
  void UpdateState() override;
  CommandResult OnApplyCommand() override;
};

class ViewLastRenderedCommand : public ViewCommand {
 public:
  explicit ViewLastRenderedCommand(ProjectData& project);
  void UpdateState() override;
  CommandResult OnApplyCommand() override;
};

class ViewZBufferCommand : public ViewCommand {
 public:
  explicit ViewZBufferCommand(ProjectData& project);
  void UpdateState() override;
  CommandResult OnApplyCommand() override;
};

class ViewAlphaCommand : public ViewCommand {
 public:
  explicit ViewAlphaCommand(ProjectData& project);
  void UpdateState() override;
  CommandResult OnApplyCommand() override;
};

// Half a stop up or down, or back to 0, for the pictures of floating-point colour.
class ExposureCommand : public ViewCommand {
 public:
  static constexpr float kStep = 0.5f;
  // direction: +1 or -1 for a step, 0 to reset.
  ExposureCommand(ProjectData& project, int direction);
  CommandIdentity GetIdentity() const override;
  void UpdateState() override;
  CommandResult OnApplyCommand() override;

 private:
  int direction_;
};
