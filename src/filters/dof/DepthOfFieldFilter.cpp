#include "filters/dof/DepthOfFieldFilter.h"

#include "filters/DepthToolExchange.h"
#include "filters/dof/FieldOverlay.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/DepthRange.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectData.h"
#include "strings/StringIds.h"

DepthOfFieldFilter::DepthOfFieldFilter(ProjectData& project) : DepthFilterCommand(project, kDescription) {}

std::unique_ptr<NTBitmap> DepthOfFieldFilter::GetViewBitmap(uint32_t viewMode) {
  const CLayerBitmap* image = GetProject().GetCurrentImage();
  if (viewMode != kViewFilterPreview || !image) return nullptr;
  auto overlay = MakeFieldOverlay(settings_, *image);
  if (!overlay) return nullptr;
  return std::make_unique<NTBitmap>(*overlay->GetLayerByType(kRgbBitmap));
}

bool DepthOfFieldFilter::LoadDiaph(int number) {
  if (number == Diaph::kFromFile) return ChooseDiaphFile();
  return Options().diaph.Load("", number);
}

bool DepthOfFieldFilter::ChooseDiaphFile() {
  UserInterface& ui = GetProject().UI();
  C2DIo reader("", kIoOnePicture);
  if (!reader.FileDialogBox(ui, kDialogPicture)) return false;
  const std::string why = Options().diaph.LoadFile(reader.GetFileName(), ui.GetLanguage());
  if (why.empty()) return true;
  ui.Warning(ui.Text(kWarningTitle), why);
  return false;
}

KeyframeSettings& DepthOfFieldFilter::GoToFrame(int frame) {
  ReadSettingsOfFrame(settings_, frame);
  if (GetPanel()) GetPanel()->Refresh(kRefreshControls);
  return settings_;
}

void DepthOfFieldFilter::OnLooseFocus(int, CQelCommand* other) {
  if (!other) return;
  if (other->GetID() == kDepthIntervalToolId) {
    dynamic_cast<DepthIntervalExchange&>(*other).SetLimits(settings_.FieldNear, settings_.FieldFar);
  } else if (other->GetID() == kDepthPointToolId) {
    auto* picker = &dynamic_cast<DepthPointExchange&>(*other);
    auto reference = settings_.ReferenceDepthFor(DepthOfFieldSettings::DepthPointMode(picker->GetMode()));
    if (reference) picker->SetReferenceDepth(*reference);
  }
}

void DepthOfFieldFilter::OnGetFocus(int, CQelCommand* other, CommandResult result) {
  const CLayerBitmap* image = GetProject().GetCurrentImage();
  if (result != kCommandOk || !other || !image) return;
  const DepthRange range = GetProject().GetCurrentDepthRange();
  if (other->GetID() == kDepthIntervalToolId) {
    auto* selector = &dynamic_cast<DepthIntervalExchange&>(*other);
    settings_.ApplyFieldInterval(selector->GetNearLimit(), selector->GetFarLimit(), range);
    GetProject().History().NameNextChange(kFieldChange);
  } else if (other->GetID() == kDepthPointToolId) {
    auto* picker = &dynamic_cast<DepthPointExchange&>(*other);
    settings_.ApplyDepthPoint(picker->GetMode(), picker->GetPickedDepth(), range);
    using Mode = DepthOfFieldSettings::DepthPointMode;
    const Mode mode = Mode(picker->GetMode());
    GetProject().History().NameNextChange(mode == Mode::Focus      ? kFocusChange
                                : mode == Mode::FrontMax ? kFrontDepthChange
                                                         : kBackDepthChange);
  } else {
    return;
  }
  // The panel stores the edit when it refreshes; without one, store it here.
  if (GetPanel()) GetPanel()->Refresh(kRefreshStore);
  else GetProject().NotifyChanged(kChangeSettings);
}
