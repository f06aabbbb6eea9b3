#pragma once
// What a zone filter hands to the depth tools when they take the focus, and how it takes
// their result back. The interval tool picks the constant zone; the point tool picks the
// background point (mode 2, accepted only behind its reference depth) or the foreground
// point (mode 3, accepted only in front of it).

#include "filters/zone/ZoneSettings.h"

constexpr int kZoneBackgroundPointMode = 2;
constexpr int kZoneForegroundPointMode = 3;

struct DepthIntervalPick {
  double first = 0.0;
  double second = 0.0;
};

// The two depths the interval tool starts from: the current zone.
DepthIntervalPick ZoneIntervalForTool(const ZoneSettings& settings);
// The reference depth of the point tool: the zone's far limit for a background point,
// its near limit otherwise.
double ZoneReferenceDepthForTool(const ZoneSettings& settings, int mode);

// The picked interval becomes the zone; a point that the new zone passed is pushed out to
// its edge, so the ramps never point into the zone.
void ApplyZoneIntervalPick(ZoneSettings& settings, const DepthIntervalPick& pick);
// Mode 2 sets the background point, mode 3 the foreground point; another mode changes nothing.
void ApplyZonePointPick(ZoneSettings& settings, int mode, double depth);
