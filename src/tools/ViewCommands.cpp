#include "tools/ViewCommands.h"

#include "platform/framework/CommandIds.h"
#include "filters/DepthFilterCommand.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ProjectData.h"
#include "platform/image/FloatLayers.h"
#include "project/ProgramDialogs.h"

ViewCommand::ViewCommand(ProjectData& project, uint32_t id, int nameId, int helpId)
    : project_(project), id_(id), nameId_(nameId), helpId_(helpId) {}

std::string ViewCommand::GetName(Language language) const { return LoadString(language, nameId_); }
CommandIdentity ViewCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassSimple, kCategoryView, id_, 1};
}
std::string ViewCommand::GetHelp(Language language, int kind) const { return GetCommandHelp(language, kind, helpId_); }

PreviewEffectCommand::PreviewEffectCommand(ProjectData& project)
    : ViewCommand(project, kPreviewEffectCommandId, kPreviewEffectItem, kAutomaticFilterPreviewHelp) {
  access_.SetAccess(120, 512, 64);
  access_.SetMenuPosition(4, 0, 0);
  access_.SetBitmap(2028, 2029);
  access_.SetToolbarPosition(4, 0x10004, 0);
}

void PreviewEffectCommand::UpdateState() {
  DepthFilterCommand* filter = CurrentFilterCommand(project_);
  SetState(kStateEnabled, filter && filter->HasEffectPreview());
  SetState(kStateChecked, project_.View().GetViewMode() == kViewFilterPreview);
}

CommandResult PreviewEffectCommand::OnApplyCommand() {
  bool showing = project_.View().GetViewMode() == kViewFilterPreview;
  project_.View().SetViewMode(showing ? kViewImage : kViewFilterPreview, true, false);
  return kCommandOk;
}

ViewLastRenderedCommand::ViewLastRenderedCommand(ProjectData& project)
    : ViewCommand(project, kViewLastRenderedCommandId, kViewLastRenderedItem, kViewLastRenderedHelp) {
  access_.SetAccess(121, 512, 0);
  access_.SetMenuPosition(4, 0x10000, 0);
}

void ViewLastRenderedCommand::UpdateState() {
  SetState(kStateEnabled, project_.GetLastResult() != nullptr);
  SetState(kStateChecked, project_.View().GetViewMode() == kViewLastResult);
}

CommandResult ViewLastRenderedCommand::OnApplyCommand() {
  bool show = project_.View().GetViewMode() != kViewLastResult && project_.GetLastResult();
  project_.View().SetViewMode(show ? kViewLastResult : kViewImage, true, false);
  return kCommandOk;
}

ViewZBufferCommand::ViewZBufferCommand(ProjectData& project) : ViewCommand(project, kViewZBufferCommandId, kViewZBufferItem, kViewGreyedColoredZ) {
  access_.SetAccess(0, 512, 0);
  access_.SetMenuPosition(4, 0x10001, 0);
}

void ViewZBufferCommand::UpdateState() {
  SetState(kStateEnabled, true);
  uint32_t mode = project_.View().GetViewMode();
  SetState(kStateChecked, mode == kViewGreyDepth || mode == kViewColourDepth);
}

CommandResult ViewZBufferCommand::OnApplyCommand() {
  uint32_t mode = project_.View().GetViewMode();
  if (mode == kViewGreyDepth || mode == kViewColourDepth) {
    project_.View().SetViewMode(kViewImage, true, false);
    return kCommandOk;
  }
  const CLayerBitmap* image = project_.GetCurrentImage();
  const depthBitmap* depth = image ? image->GetLayer<depthBitmap>() : nullptr;
  if (!depth) return kCommandOk;
  DepthModeChoice choice = Dialogs(project_.UI()).AskDepthMode(*depth);
  project_.View().SetDepthView(choice.curve, choice.gamma);
  project_.UI().ShowInfoText(kUpdatingView, 0.0);
  project_.UI().CloseInfoText();
  // The depth picture is rebuilt with the new curve even when a depth mode was on show.
  project_.View().SetViewMode(choice.choice == 2 ? kViewColourDepth : kViewGreyDepth, true, true);
  return kCommandOk;
}

ViewAlphaCommand::ViewAlphaCommand(ProjectData& project) : ViewCommand(project, kViewAlphaCommandId, kViewAlphaChannelItem, kViewAlphaChannelItem) {
  access_.SetAccess(0, 512, 0);
  access_.SetMenuPosition(4, 0x10002, 0);
}

void ViewAlphaCommand::UpdateState() {
  uint32_t mode = project_.View().GetViewMode();
  CLayerBitmap* shown = mode == kViewLastResult ? project_.GetLastResult() : project_.GetCurrentImage();
  SetState(kStateEnabled, shown && GetAlphaLayer(*shown));
  SetState(kStateChecked, mode == kViewImageAlpha || mode == kViewResultAlpha);
}

CommandResult ViewAlphaCommand::OnApplyCommand() {
  switch (project_.View().GetViewMode()) {
    case kViewImageAlpha: project_.View().SetViewMode(kViewImage, true, false); break;
    case kViewResultAlpha: project_.View().SetViewMode(kViewLastResult, true, false); break;
    case kViewLastResult: project_.View().SetViewMode(kViewResultAlpha, true, false); break;
    default: project_.View().SetViewMode(kViewImageAlpha, true, false); break;
  }
  return kCommandOk;
}

namespace {

uint32_t ExposureId(int direction) {
  return direction > 0 ? kExposureUpCommandId : direction < 0 ? kExposureDownCommandId : kExposureResetCommandId;
}
int ExposureName(int direction) {
  return direction > 0 ? kExposureUpItem : direction < 0 ? kExposureDownItem : kExposureResetItem;
}
int ExposureHelp(int direction) {
  return direction > 0 ? kExposureUpHelp : direction < 0 ? kExposureDownHelp : kExposureResetHelp;
}

// Whether the picture on show comes from floating-point colour.
bool ShowsFloatColour(ProjectData& project) {
  const uint32_t mode = project.View().GetViewMode();
  const CLayerBitmap* shown = mode == kViewLastResult ? project.GetLastResult() : project.GetCurrentImage();
  return (mode == kViewImage || mode == kViewLastResult) && shown && HasFloatColour(*shown);
}

}  // namespace

ExposureCommand::ExposureCommand(ProjectData& project, int direction)
    : ViewCommand(project, ExposureId(direction), ExposureName(direction), ExposureHelp(direction)),
      direction_(direction) {
  access_.SetAccess(0, 512, 0);
  access_.SetMenuPosition(4, 0x20000 + (direction > 0 ? 0 : direction < 0 ? 1 : 2), 0);
}

CommandIdentity ExposureCommand::GetIdentity() const {
  CommandIdentity identity = ViewCommand::GetIdentity();
  identity.category = kCategoryViewAdjust;
  return identity;
}

void ExposureCommand::UpdateState() {
  const float exposure = project_.View().GetDisplayExposure();
  const bool room = direction_ > 0   ? exposure < ProjectView::kMaxExposure
                    : direction_ < 0 ? exposure > ProjectView::kMinExposure
                                     : exposure != 0.0f;
  SetState(kStateEnabled, room && ShowsFloatColour(project_));
}

CommandResult ExposureCommand::OnApplyCommand() {
  const float exposure = project_.View().GetDisplayExposure();
  project_.View().SetDisplayExposure(direction_ == 0 ? 0.0f : exposure + float(direction_) * kStep);
  return kCommandOk;
}
