#pragma once
// The interactive tools that work with the mouse on the image: the area preview, the depth
// picker and the depth interval selector. The picker and the selector never change settings
// themselves: they validate, and the filter that launched them reads their result when it
// gets the focus back.

#include <memory>

#include "filters/DepthToolExchange.h"
#include "platform/framework/Command.h"
#include "platform/image/LayerBitmap.h"

class ProjectData;
class rgbBitmap;

// Cursors the tools ask for.
constexpr int kCursorAreaPreview = 2117;
constexpr int kCursorValidPick = 2094;
constexpr int kCursorNoPick = 2103;
constexpr int kCursorIntervalFirst = 2090;
constexpr int kCursorIntervalSecond = 2091;

// Result the selector gives when both picked depths are equal: the filter ignores it.
constexpr CommandResult kIntervalUnchanged = 8;

// True for the depth picker and the interval selector.
inline bool IsDepthTool(const CQelCommand* command) {
  return command && command->GetCategory() == kCategoryDepthTool;
}


class AreaPreviewCommand : public CBitmapCommand {
 public:
  explicit AreaPreviewCommand(ProjectData& project);
  std::string GetName(Language language) const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(Language language, int kind) const override;
  int SetCursor(int x, int y) override;
  // The view drags the rectangle and hands it over in image pixels. Rectangles smaller than
  // 15 x 15 render nothing. True when a preview was shown.
  bool PreviewRectangle(const ImageRect& rect);

 private:
  ProjectData& project_;
};

class DepthPickCommand : public CBitmapCommand, public DepthPointExchange {
 public:
  explicit DepthPickCommand(ProjectData& project);
  std::string GetName(Language language) const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(Language language, int kind) const override;
  CommandResult OnOpenCommand(int parameter) override;
  void OnGetFocus(int reason, CQelCommand* other, CommandResult result) override;
  void OnLooseFocus(int reason, CQelCommand* other) override;
  CommandResult OnApplyCommand() override { return kCommandOk; }
  int SetCursor(int x, int y) override;
  bool OnLButtonDown(int x, int y) override;
  int GetOptions() const override { return pickedDepth_ != 0.0 ? 6 : 4; }

  int GetMode() const override { return mode_; }
  double GetPickedDepth() const override { return pickedDepth_; }
  double GetReferenceDepth() const { return referenceDepth_; }
  void SetReferenceDepth(double depth) override { referenceDepth_ = depth; }

  // The depth under an image point, or 0 when it is outside the image or refused by the mode.
  double DepthAt(int x, int y) const;
  // The picture of the forbidden zone: red where the mode refuses the depth.
  std::unique_ptr<rgbBitmap> MakeForbiddenZonePicture() const;

 private:
  ProjectData& project_;
  int mode_ = kPickAnyDepth;
  double pickedDepth_ = 0.0;
  double referenceDepth_ = 0.0;
  uint32_t savedViewMode_ = 0;
};

class IntervalSelectCommand : public CBitmapCommand, public DepthIntervalExchange {
 public:
  explicit IntervalSelectCommand(ProjectData& project);
  std::string GetName(Language language) const override;
  CommandIdentity GetIdentity() const override;
  std::string GetHelp(Language language, int kind) const override;
  CommandResult OnOpenCommand(int parameter) override;
  CommandResult OnApplyCommand() override;
  int SetCursor(int x, int y) override;
  bool OnLButtonDown(int x, int y) override;
  int GetOptions() const override { return bothClicksDone_ ? 6 : 4; }

  double GetNearLimit() const override { return nearLimit_; }
  double GetFarLimit() const override { return farLimit_; }
  void SetLimits(double nearLimit, double farLimit) override {
    nearLimit_ = nearLimit;
    farLimit_ = farLimit;
  }

 private:
  ProjectData& project_;
  double nearLimit_ = 0.0;
  double farLimit_ = 0.0;
  int firstX_ = 0, firstY_ = 0, secondX_ = 0, secondY_ = 0;
  bool awaitingFirstClick_ = true;
  bool bothClicksDone_ = false;
};
