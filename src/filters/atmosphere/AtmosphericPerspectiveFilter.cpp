#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"

#include "project/ProjectData.h"
#include "filters/DepthToolExchange.h"
#include "strings/StringIds.h"


AtmosphericPerspectiveFilter::AtmosphericPerspectiveFilter(ProjectData& project)
    : ColourFilterCommand(project, kDescription) {}

void AtmosphericPerspectiveFilter::OnGetFocus(int, CQelCommand* other, CommandResult result) {
  if (result != kCommandOk || !other || other->GetID() != kDepthPointToolId) return;
  ApplyAtmospherePointPick(settings_, dynamic_cast<DepthPointExchange&>(*other).GetPickedDepth());
  SyncPanel();
  GetProject().NotifyChanged(kChangeSettings);
}
