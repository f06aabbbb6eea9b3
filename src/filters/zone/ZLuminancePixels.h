#pragma once
// Z Luminance: lightness is kept in the constant zone and falls to black toward the foreground
// and background points (or rises toward white, or the reverse, by option).

#include "filters/zone/ZLuminanceSettings.h"
#include "filters/zone/ZoneOptions.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"

// As the Z Saturation pass: false when cancelled or when the source lacks its layers.
bool FilterPixels(const ZLuminanceSettings& settings, const ZoneOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination,
                  RenderProgress& progress);
// The same on float colour (linear light; see RowPass.h for how the law sees it).
bool FilterFloatPixels(const ZLuminanceSettings& settings, const ZoneOptions& options, const CLayerBitmap& source,
                       rgbFloatBitmap& destination, RenderProgress& progress);
