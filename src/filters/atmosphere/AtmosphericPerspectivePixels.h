#pragma once
// Atmospheric perspective: a colour added to each pixel beyond the start depth (in front of it
// with InForeground), as haze thickening with distance. Pixels never get darker; each channel
// saturates at 255.

#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"

// Writes every pixel of destination from the source's colour and depth layers, which have the
// destination's size; the ramp runs over the source's depth range. False when the user
// cancelled (the rows done so far stay written) or when the source lacks those layers.
bool FilterPixels(const AtmosphericPerspectiveSettings& settings, const AtmosphericPerspectiveOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination, RenderProgress& progress);
// The same on float colour (linear light; see RowPass.h for how the law sees it).
bool FilterFloatPixels(const AtmosphericPerspectiveSettings& settings, const AtmosphericPerspectiveOptions& options,
                       const CLayerBitmap& source, rgbFloatBitmap& destination, RenderProgress& progress);
