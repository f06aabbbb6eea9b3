#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"

#include "filters/atmosphere/AtmosphericPerspectivePixels.h"
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

bool AtmosphericPerspectiveFilter::FilterFloatPixels(const KeyframeSettings& settings, const CLayerBitmap& source,
                                                     rgbFloatBitmap& destination, RenderProgress& progress) {
  return ::FilterFloatPixels(static_cast<const AtmosphericPerspectiveSettings&>(settings), options_, source,
                             destination, progress);
}

bool AtmosphericPerspectiveFilter::FilterPixels(const KeyframeSettings& settings, const CLayerBitmap& source,
                                                rgbBitmap& destination, RenderProgress& progress) {
  return ::FilterPixels(static_cast<const AtmosphericPerspectiveSettings&>(settings), options_, source,
                        destination, progress);
}
