#pragma once
// Z Saturation: colours are kept in the constant zone and fade to black and white toward the
// foreground and background points (or grow stronger, or the reverse, by option).

#include "filters/zone/ZSaturationSettings.h"
#include "filters/zone/ZoneOptions.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"

// Writes every pixel of destination from the source's colour and depth layers, which have the
// destination's size. False when the user cancelled (the rows done so far stay written) or when
// the source lacks those layers (nothing is written).
bool FilterPixels(const ZSaturationSettings& settings, const ZoneOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination,
                  RenderProgress& progress);
// The same on float colour (linear light; see RowPass.h for how the law sees it).
bool FilterFloatPixels(const ZSaturationSettings& settings, const ZoneOptions& options, const CLayerBitmap& source,
                       rgbFloatBitmap& destination, RenderProgress& progress);
