#include "app/Icons.h"

#include <QString>

#include "platform/framework/NavigationCommands.h"

QIcon IconNamed(const char* name) { return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))); }

QIcon ProgramIcon() { return IconNamed("fovara"); }

QIcon IconForCommand(uint32_t commandId, int bitmapId) {
  switch (commandId) {
    case kZoomToolId: return IconNamed("zoom-in");
    case kZoomOutToolId: return IconNamed("zoom-out");
    case kMoveToolId: return IconNamed("move");
    case kZoomResetId: return IconNamed("zoom-reset");
    case kZoomFitId: return IconNamed("zoom-fit");
    case kZoomActualPixelsId: return IconNamed("zoom-actual");
    default: break;
  }
  switch (bitmapId) {
    case 2011: return IconNamed("area-preview");
    case 2013: return IconNamed("render-save");
    case 2015: return IconNamed("render");
    case 2028: return IconNamed("preview-effect");
    default: return {};
  }
}
