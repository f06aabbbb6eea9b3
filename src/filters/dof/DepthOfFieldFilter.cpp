#include "filters/dof/DepthOfFieldFilter.h"

#include "filters/dof/DepthOfFieldRenderer.h"
#include "filters/dof/FieldOverlay.h"
#include "platform/image/DepthRange.h"
#include "project/ProjectData.h"
#include "filters/DepthToolExchange.h"
#include "strings/StringIds.h"

namespace {
// Panel refresh codes: 1 stores the edit, 2 brings the controls up to date.
constexpr int kRefreshStore = 1;
constexpr int kRefreshControls = 2;
// What Undo says the depth tools changed.
}  // namespace

DepthOfFieldFilter::DepthOfFieldFilter(ProjectData& project) : DepthFilterCommand(project, kDescription) {}

std::unique_ptr<CLayerBitmap> DepthOfFieldFilter::RenderPreview(const KeyframeSettings& settings, int x, int y,
                                                                int width, int height,
                                                                RenderProgress& progress) {
  const CLayerBitmap* image = GetProject().GetCurrentImage();
  if (!image) return nullptr;
  DepthOfFieldRenderer renderer(static_cast<const DepthOfFieldSettings&>(settings), options_, diaph_.GetPicture());
  return renderer.RenderPreview(*image, {x, y, width, height}, progress);
}

std::unique_ptr<CLayerBitmap> DepthOfFieldFilter::RenderFrame(const KeyframeSettings& settings, int frameIndex,
                                                              int frameCount, RenderProgress& progress) {
  const CLayerBitmap* image = GetProject().GetCurrentImage();
  if (!image) return nullptr;
  DepthOfFieldRenderer renderer(static_cast<const DepthOfFieldSettings&>(settings), options_, diaph_.GetPicture());
  return renderer.RenderFrame(*image, frameIndex, frameCount, progress);
}

std::unique_ptr<NTBitmap> DepthOfFieldFilter::GetViewBitmap(uint32_t viewMode) {
  const CLayerBitmap* image = GetProject().GetCurrentImage();
  if (viewMode != kViewFilterPreview || !image) return nullptr;
  auto overlay = MakeFieldOverlay(settings_, *image);
  if (!overlay) return nullptr;
  return std::make_unique<NTBitmap>(*overlay->GetLayerByType(kRgbBitmap));
}

std::vector<std::string> DepthOfFieldFilter::GetInputFiles() const {
  if (diaph_.GetNumber() != Diaph::kFromFile || diaph_.GetPath().empty()) return {};
  return {diaph_.GetPath()};
}

KeyframeSettings& DepthOfFieldFilter::GoToFrame(int frame) {
  GetProject().GetTrack().GetSettingsAt(settings_, frame);
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
    GetProject().NameNextChange(kFieldChange);
  } else if (other->GetID() == kDepthPointToolId) {
    auto* picker = &dynamic_cast<DepthPointExchange&>(*other);
    settings_.ApplyDepthPoint(picker->GetMode(), picker->GetPickedDepth(), range);
    using Mode = DepthOfFieldSettings::DepthPointMode;
    const Mode mode = Mode(picker->GetMode());
    GetProject().NameNextChange(mode == Mode::Focus      ? kFocusChange
                                : mode == Mode::FrontMax ? kFrontDepthChange
                                                         : kBackDepthChange);
  } else {
    return;
  }
  // The panel stores the edit when it refreshes; without one, store it here.
  if (GetPanel()) GetPanel()->Refresh(kRefreshStore);
  else GetProject().NotifyChanged(kChangeSettings);
}
