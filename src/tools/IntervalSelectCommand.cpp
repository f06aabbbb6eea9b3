#include <algorithm>

#include "platform/framework/StringTable.h"
#include "platform/framework/CommandIds.h"
#include "project/ProjectData.h"
#include "tools/DepthTools.h"

namespace {
// How long the box saying the field stays as it was is shown.
constexpr double kUnchangedSeconds = 3.0;
}  // namespace

IntervalSelectCommand::IntervalSelectCommand(ProjectData& project) : project_(project) {
  access_.SetAccess(0, 512, 0);
}

std::string IntervalSelectCommand::GetName(Language language) const { return LoadString(language, kDepthFieldIntervalSelection); }
CommandIdentity IntervalSelectCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassInteractive, kCategoryDepthTool, kDepthIntervalToolId, 1};
}
std::string IntervalSelectCommand::GetHelp(Language language, int kind) const {
  return GetCommandHelp(language, kind, awaitingFirstClick_ ? kDefineFirstDepthField : kDefineSecondDepthField);
}

CommandResult IntervalSelectCommand::OnOpenCommand(int) {
  awaitingFirstClick_ = true;
  bothClicksDone_ = false;
  return kCommandOk;
}

int IntervalSelectCommand::SetCursor(int, int) {
  return awaitingFirstClick_ ? kCursorIntervalFirst : kCursorIntervalSecond;
}

bool IntervalSelectCommand::OnLButtonDown(int x, int y) {
  const CLayerBitmap* image = project_.GetCurrentImage();
  if (!image || x < 0 || y < 0 || x >= image->GetWidth() || y >= image->GetHeight()) return false;
  if (awaitingFirstClick_) {
    firstX_ = x;
    firstY_ = y;
    awaitingFirstClick_ = false;
    return true;
  }
  secondX_ = x;
  secondY_ = y;
  bothClicksDone_ = true;
  UserValidateCommand(1);
  return true;
}

CommandResult IntervalSelectCommand::OnApplyCommand() {
  const CLayerBitmap* image = project_.GetCurrentImage();
  if (!bothClicksDone_ || !image) return kCommandOk;
  const depthBitmap* depth = image->GetLayer<depthBitmap>();
  double d1 = depth->GetPixelDepth(firstX_, firstY_);
  double d2 = depth->GetPixelDepth(secondX_, secondY_);
  if (d1 == d2) {
    project_.UI().ShowInfoText(kDepthFieldLeftUnchangedHelp, kUnchangedSeconds);
    return kIntervalUnchanged;
  }
  nearLimit_ = std::min(d1, d2);
  farLimit_ = std::max(d1, d2);
  return kCommandOk;
}
