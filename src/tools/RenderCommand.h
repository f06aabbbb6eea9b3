#pragma once
// "Render images" and "Render and save images": apply the project's filter to a range of
// frames, showing each; the second also saves every frame as a numbered image file.

#include "platform/framework/Command.h"

class ProjectData;

class RenderCommand : public CBitmapCommand {
 public:
  explicit RenderCommand(ProjectData& project);
  std::string GetName() const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(int kind) const override;
  CommandResult OnOpenCommand(int parameter) override;
  CommandResult OnApplyCommand() override;

  int GetSaveFlag() const { return saveFlag_; }

 protected:
  RenderCommand(ProjectData& project, bool saves);
  ProjectData& project_;
  int saveFlag_ = 0;

 private:
  bool saves_;
};

class RenderSaveCommand : public RenderCommand {
 public:
  explicit RenderSaveCommand(ProjectData& project);
  std::string GetName() const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(int kind) const override;
};
