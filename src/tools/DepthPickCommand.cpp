#include "platform/framework/StringTable.h"
#include "platform/framework/CommandIds.h"
#include "project/ProjectData.h"
#include "tools/DepthTools.h"
#include "platform/image/FloatLayers.h"

DepthPickCommand::DepthPickCommand(ProjectData& project) : project_(project) { access_.SetAccess(0, 512, 0); }

std::string DepthPickCommand::GetName(Language language) const { return LoadString(language, kFocusPoint); }
CommandIdentity DepthPickCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassInteractive, kCategoryDepthTool, kDepthPointToolId, 1};
}
std::string DepthPickCommand::GetHelp(Language language, int kind) const { return GetCommandHelp(language, kind, kFieldHelp); }

double DepthPickCommand::DepthAt(int x, int y) const {
  const CLayerBitmap* image = project_.GetCurrentImage();
  const depthBitmap* depth = image ? image->GetLayer<depthBitmap>() : nullptr;
  if (!depth || x < 0 || y < 0 || x >= depth->GetWidth() || y >= depth->GetHeight()) return 0.0;
  double d = depth->GetPixelDepth(x, y);
  if (mode_ == kPickFartherThanReference && d <= referenceDepth_) return 0.0;
  if (mode_ == kPickNearerThanReference && d >= referenceDepth_) return 0.0;
  return d;
}

std::unique_ptr<rgbBitmap> DepthPickCommand::MakeForbiddenZonePicture() const {
  const CLayerBitmap* image = project_.GetCurrentImage();
  const depthBitmap* depth = image->GetLayer<depthBitmap>();
  // Float colour is shown as the screen shows it.
  std::unique_ptr<rgbBitmap> shown;
  if (const auto* floatColour = image->GetLayer<rgbFloatBitmap>()) shown = EncodeColour(*floatColour, nullptr);
  const rgbBitmap* colour = shown ? shown.get() : image->GetLayer<rgbBitmap>();
  if (!depth || !colour) return nullptr;
  auto picture = std::make_unique<rgbBitmap>(depth->GetWidth(), depth->GetHeight());
  for (int y = 0; y < depth->GetHeight(); ++y) {
    const float* d = depth->GetLine(y);
    const uint8_t* c = colour->GetLine(y);
    uint8_t* out = picture->GetLine(y);
    for (int x = 0; x < depth->GetWidth(); ++x) {
      bool forbidden = mode_ == kPickFartherThanReference ? d[x] < referenceDepth_ : d[x] > referenceDepth_;
      out[3 * x] = forbidden ? 255 : c[3 * x];
      out[3 * x + 1] = forbidden ? 0 : c[3 * x + 1];
      out[3 * x + 2] = forbidden ? 0 : c[3 * x + 2];
    }
  }
  return picture;
}

CommandResult DepthPickCommand::OnOpenCommand(int parameter) {
  mode_ = parameter == 0 ? kPickAnyDepth : parameter;
  pickedDepth_ = 0.0;
  return kCommandOk;
}

// Gaining the focus, the picker shows where a pick would be refused.
void DepthPickCommand::OnGetFocus(int, CQelCommand*, CommandResult) {
  savedViewMode_ = 0;
  if (mode_ == kPickAnyDepth || !project_.GetCurrentImage()) return;
  savedViewMode_ = project_.View().GetViewMode();
  project_.UI().ShowInfoText(kPleaseWaitWhileComputing, 0.0);
  auto picture = MakeForbiddenZonePicture();
  project_.UI().CloseInfoText();
  if (!picture) return;
  project_.View().SetViewMode(kViewGivenPicture, true, true, std::make_unique<NTBitmap>(*picture));
}

void DepthPickCommand::OnLooseFocus(int, CQelCommand*) {
  if (savedViewMode_ != 0) project_.View().SetViewMode(savedViewMode_, true, false);
  savedViewMode_ = 0;
}

int DepthPickCommand::SetCursor(int x, int y) {
  pickedDepth_ = DepthAt(x, y);
  return pickedDepth_ != 0.0 ? kCursorValidPick : kCursorNoPick;
}

bool DepthPickCommand::OnLButtonDown(int x, int y) {
  pickedDepth_ = DepthAt(x, y);
  if (pickedDepth_ != 0.0) UserValidateCommand(1);
  return true;
}
