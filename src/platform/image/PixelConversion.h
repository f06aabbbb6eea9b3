#pragma once
// Conversions between the values a file stores and the program's 8-bit pictures and depths.

#include <cstddef>
#include <cstdint>

// A value in 0..1 (integer files, alpha) to a byte, rounded; clamped, NaN gives 0.
uint8_t UnitToByte(float v);
// A linear-light value (floating-point colour) to an sRGB-encoded byte, rounded; clamped, NaN gives 0.
uint8_t LinearToSrgbByte(float v);
// LinearToSrgbByte of `count` values, each multiplied by `scale` first.
void LinearToSrgbBytes(const float* values, size_t count, float scale, uint8_t* bytes);
// The linear-light value of an sRGB-encoded byte; LinearToSrgbByte gives the byte back.
float SrgbByteToLinear(uint8_t v);
// The sRGB encoding of a linear value, unrounded (0..1 for 0..1), and its inverse; values
// outside 0..1 follow the curve (negative ones give 0).
float LinearToSrgbUnit(float v);
float SrgbUnitToLinear(float v);

// Turns a depth channel into the program's convention (larger is farther). A channel whose
// object depths are all <= 0, with at least one below 0, holds negative camera-space Z and is
// negated. Background markers stay background: values >= 1e10 and NaN are kept, and negative
// markers (-1e30, -inf) become positive ones. True when the values were negated.
bool OrientDepth(float* values, size_t count);

// A depth channel as the program holds it: oriented (above), then every depth of 0 or below,
// where files leave "nothing rendered here", becomes background (infinity).
void ReadDepthChannel(float* values, size_t count);
