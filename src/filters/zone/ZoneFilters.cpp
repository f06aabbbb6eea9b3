#include "filters/zone/ZoneFilters.h"

#include "filters/zone/ZoneDepthTools.h"
#include "project/ProjectData.h"
#include "filters/DepthToolExchange.h"

void ZoneFilterCommand::OnLooseFocus(int, CQelCommand* other) {
  if (!other) return;
  if (other->GetID() == kDepthIntervalToolId) {
    DepthIntervalPick zone = ZoneIntervalForTool(Zone());
    dynamic_cast<DepthIntervalExchange&>(*other).SetLimits(zone.first, zone.second);
  } else if (other->GetID() == kDepthPointToolId) {
    auto* picker = &dynamic_cast<DepthPointExchange&>(*other);
    picker->SetReferenceDepth(ZoneReferenceDepthForTool(Zone(), picker->GetMode()));
  }
}

void ZoneFilterCommand::OnGetFocus(int, CQelCommand* other, CommandResult result) {
  if (result != kCommandOk || !other) return;
  if (other->GetID() == kDepthIntervalToolId) {
    auto* selector = &dynamic_cast<DepthIntervalExchange&>(*other);
    ApplyZoneIntervalPick(Zone(), {selector->GetNearLimit(), selector->GetFarLimit()});
  } else if (other->GetID() == kDepthPointToolId) {
    auto* picker = &dynamic_cast<DepthPointExchange&>(*other);
    ApplyZonePointPick(Zone(), picker->GetMode(), picker->GetPickedDepth());
  } else {
    return;
  }
  SyncPanel();
  GetProject().NotifyChanged(kChangeSettings);
}

ZSaturationFilter::ZSaturationFilter(ProjectData& project) : ZoneFilterOf(project, kDescription) {}
ZLuminanceFilter::ZLuminanceFilter(ProjectData& project) : ZoneFilterOf(project, kDescription) {}
ZHueFilter::ZHueFilter(ProjectData& project) : ZoneFilterOf(project, kDescription) {}
