#pragma once
// Z Hue: colours are kept in the constant zone and blend into a version of themselves with the
// hue of the chosen colour toward the foreground and background points, fully tinted beyond
// them (or the reverse, by option).

#include "filters/zone/ZHueSettings.h"
#include "filters/zone/ZoneOptions.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"

// As the Z Saturation pass: false when cancelled or when the source lacks its layers.
bool FilterPixels(const ZHueSettings& settings, const ZHueOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination,
                  RenderProgress& progress);
// The same on float colour (linear light; see RowPass.h for how the law sees it).
bool FilterFloatPixels(const ZHueSettings& settings, const ZHueOptions& options, const CLayerBitmap& source,
                       rgbFloatBitmap& destination, RenderProgress& progress);
