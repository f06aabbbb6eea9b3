#pragma once
// The depth of field as a filter operation (FilterOperation.h): the slice renderer over the
// frame, or over a preview's rectangle, with the options' diaph.

#include "filters/FilterOperation.h"

std::unique_ptr<CLayerBitmap> RenderDepthOfField(const FilterInput& input, RenderContext& context);
