#include "filters/zone/ZoneDepthTools.h"

DepthIntervalPick ZoneIntervalForTool(const ZoneSettings& settings) {
  return {settings.ZoneNear, settings.ZoneFar};
}

double ZoneReferenceDepthForTool(const ZoneSettings& settings, int mode) {
  return mode == kZoneBackgroundPointMode ? settings.ZoneFar : settings.ZoneNear;
}

void ApplyZoneIntervalPick(ZoneSettings& settings, const DepthIntervalPick& pick) {
  settings.ZoneNear = float(pick.first);
  settings.ZoneFar = float(pick.second);
  if (settings.ForegroundPoint > settings.ZoneNear) settings.ForegroundPoint = settings.ZoneNear;
  if (settings.BackgroundPoint < settings.ZoneFar) settings.BackgroundPoint = settings.ZoneFar;
}

void ApplyZonePointPick(ZoneSettings& settings, int mode, double depth) {
  if (mode == kZoneBackgroundPointMode) settings.BackgroundPoint = float(depth);
  if (mode == kZoneForegroundPointMode) settings.ForegroundPoint = float(depth);
}
