#include "app/DepthToolHint.h"

#include <cmath>

#include "controls/FilterPanelRegistry.h"
#include "controls/UiText.h"
#include "filters/DepthFilterCommand.h"
#include "project/ProjectData.h"
#include "tools/DepthTools.h"
#include "strings/StringIds.h"

namespace {


QString Depth(double depth) {
  return QString::fromStdString(FormatDecimal(InterfaceLanguage(), depth, std::fabs(depth) >= 1000 ? 1 : (std::fabs(depth) >= 10 ? 3 : 4)));
}

// What a pick sets: a depth, a background or a foreground, unless the filter's panel says
// otherwise (the depth of field's focus and full-blur points).
int PickText(const ProjectData& project, int mode) {
  const DepthFilterCommand* filter = CurrentFilterCommand(project);
  const FilterPanelEntry* entry = filter ? FindFilterPanel(filter->GetID()) : nullptr;
  const PickHints hints = entry ? entry->pickHints : PickHints{};
  auto either = [](int own, int usual) { return own ? own : usual; };
  if (mode == kPickFartherThanReference) return either(hints.fartherThanReference, kSetsBackground);
  if (mode == kPickNearerThanReference) return either(hints.nearerThanReference, kSetsForeground);
  return either(hints.atPoint, kSetsDepth);
}

}  // namespace

QString DepthToolHint(const ProjectData& project, CQelCommand* command, int x, int y, bool inside) {
  if (!command) return {};
  const uint32_t id = command->GetID();
  if (id != kDepthPointToolId && id != kDepthIntervalToolId) return {};
  const CLayerBitmap* image = project.GetCurrentImage();
  const depthBitmap* depths = image ? image->GetLayer<depthBitmap>() : nullptr;
  if (!inside || !depths || x < 0 || y < 0 || x >= depths->GetWidth() || y >= depths->GetHeight()) {
    return UiText(kOutside);
  }
  const double depth = depths->GetPixelDepth(x, y);
  // A background pixel (no object) counts as the farthest depth: say so.
  const bool background = project.IsBackgroundAt(x, y);
  auto said = [&](const QString& hint) { return background ? UiText(kOverBackground).arg(hint) : hint; };
  if (id == kDepthIntervalToolId) {
    auto* selector = static_cast<IntervalSelectCommand*>(command);
    const bool first = selector->SetCursor(x, y) == kCursorIntervalFirst;
    return said(UiText(first ? kSetsFirstLimit : kSetsSecondLimit).arg(Depth(depth)));
  }
  auto* picker = static_cast<DepthPickCommand*>(command);
  if (picker->DepthAt(x, y) == 0.0) {
    if (picker->GetMode() == kPickFartherThanReference) {
      return said(UiText(kNotFarther).arg(Depth(depth), Depth(picker->GetReferenceDepth())));
    }
    if (picker->GetMode() == kPickNearerThanReference) {
      return said(UiText(kNotNearer).arg(Depth(depth), Depth(picker->GetReferenceDepth())));
    }
  }
  return said(UiText(PickText(project, picker->GetMode())).arg(Depth(depth)));
}
