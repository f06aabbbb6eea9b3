#pragma once
// The Z Hue law over a run of opaque pixels, in vector code chosen at run time for the
// processor: the same bytes as ZHueLaw pixel by pixel.

#include <cstdint>

#include "filters/zone/ZHueLaw.h"

void ApplyZHue(const ZHueLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count);
