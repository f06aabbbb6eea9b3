#include "filters/zone/ZoneFilterCommands.h"

#include "filters/zone/ZoneDepthTools.h"
#include "project/ProjectData.h"
#include "tools/DepthTools.h"

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

ZSaturationFilter::ZSaturationFilter(ProjectData& project) : ZoneFilterOf(project, kDescription) {}
ZLuminanceFilter::ZLuminanceFilter(ProjectData& project) : ZoneFilterOf(project, kDescription) {}
ZHueFilter::ZHueFilter(ProjectData& project) : ZoneFilterOf(project, kDescription) {}
