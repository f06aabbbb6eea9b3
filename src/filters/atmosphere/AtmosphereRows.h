#pragma once
// The atmospheric perspective law over a run of opaque pixels, in vector code chosen at run
// time for the processor: the same bytes as AtmosphereLaw pixel by pixel.

#include <cstdint>

#include "filters/atmosphere/AtmosphereLaw.h"

void ApplyAtmosphere(const AtmosphereLaw& law, const uint8_t* in, const float* depth, uint8_t* out, int count);
