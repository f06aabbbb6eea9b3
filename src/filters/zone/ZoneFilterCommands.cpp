#include "filters/zone/ZoneFilterCommands.h"

#include "filters/zone/ZoneDepthTools.h"
#include "project/ProjectData.h"
#include "tools/DepthTools.h"

namespace {
constexpr FilterDescription kZSaturation{FourCC("FXDS"), 2168, 2167, 2132, 2168, 2027};
constexpr FilterDescription kZLuminance{FourCC("FXDL"), 2165, 2164, 2131, 2165, 2026};
constexpr FilterDescription kZHue{FourCC("FXDH"), 2163, 2162, 2130, 2163, 2025};
}  // namespace

void ZoneFilterCommand::OnLooseFocus(int, CQelCommand* other) {
  if (!other) return;
  if (other->GetID() == kDepthIntervalToolId) {
    DepthIntervalPick zone = ZoneIntervalForTool(Zone());
    static_cast<IntervalSelectCommand*>(other)->SetLimits(zone.first, zone.second);
  } else if (other->GetID() == kDepthPointToolId) {
    auto* picker = static_cast<DepthPickCommand*>(other);
    picker->SetReferenceDepth(ZoneReferenceDepthForTool(Zone(), picker->GetMode()));
  }
}

void ZoneFilterCommand::OnGetFocus(int, CQelCommand* other, CommandResult result) {
  if (result != kCommandOk || !other) return;
  if (other->GetID() == kDepthIntervalToolId) {
    auto* selector = static_cast<IntervalSelectCommand*>(other);
    ApplyZoneIntervalPick(Zone(), {selector->GetNearLimit(), selector->GetFarLimit()});
  } else if (other->GetID() == kDepthPointToolId) {
    auto* picker = static_cast<DepthPickCommand*>(other);
    ApplyZonePointPick(Zone(), picker->GetMode(), picker->GetPickedDepth());
  } else {
    return;
  }
  SyncPanel();
  GetProject().NotifyChanged(kChangeSettings);
}

ZSaturationFilter::ZSaturationFilter(ProjectData& project) : ZoneFilterOf(project, kZSaturation) {}
ZLuminanceFilter::ZLuminanceFilter(ProjectData& project) : ZoneFilterOf(project, kZLuminance) {}
ZHueFilter::ZHueFilter(ProjectData& project) : ZoneFilterOf(project, kZHue) {}
