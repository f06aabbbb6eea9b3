#pragma once
// "Render images" and "Render and save images": apply the project's filter to a range of
// frames, showing each; the second also saves every frame as a numbered image file.

#include <string>

#include "platform/framework/Command.h"

class C2DIo;
class ProjectData;
struct FrameRange;

class RenderCommand : public CBitmapCommand {
 public:
  explicit RenderCommand(ProjectData& project);
  std::string GetName(Language language) const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(Language language, int kind) const override;
  CommandResult OnOpenCommand(int parameter) override;
  CommandResult OnApplyCommand() override;

  int GetSaveFlag() const { return saveFlag_; }

 protected:
  RenderCommand(ProjectData& project, bool saves);
  ProjectData& project_;
  int saveFlag_ = 0;

 private:
  // The output name proposed in the save dialog.
  std::string ProposedOutputName() const;
  // Asks where to save until the frames would replace no input of the project, nor earlier
  // frames the user wants kept. False when the user gave up: the frames are not saved.
  bool ChooseOutput(C2DIo& output, const FrameRange& range);

  bool saves_;
};

class RenderSaveCommand : public RenderCommand {
 public:
  explicit RenderSaveCommand(ProjectData& project);
  std::string GetName(Language language) const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(Language language, int kind) const override;
};
