#pragma once
// Floats to half floats for files that store them, rounded to the nearest (ties to even) as
// the half type itself does; with the processor's conversion instructions where it has them.

#include <Imath/half.h>

#include <cstddef>

void FloatsToHalves(const float* values, std::size_t count, half* halves);
