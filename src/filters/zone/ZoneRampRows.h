#pragma once
// The Z Saturation and Z Luminance law over a run of opaque pixels, in vector code chosen at
// run time for the processor: the same bytes as ZoneRampLaw::Apply pixel by pixel.

#include <cstdint>

#include "filters/zone/ZoneRampLaw.h"

void ApplyZoneRamp(const ZoneRampLaw& law, HslComponent component, const uint8_t* in, const float* depth,
                   uint8_t* out, int count);
