#pragma once
// Comparisons of layers for tests: how far two pictures differ, whether two depth layers match.

#include <cstdint>

#include "platform/image/Bitmap.h"

// Largest difference between corresponding byte values of two layers of one type and size;
// 256 when types or sizes differ.
int MaxByteDifference(const Bitmap& a, const Bitmap& b);
// Mean absolute difference of the byte values; 256 when types or sizes differ.
double MeanByteDifference(const Bitmap& a, const Bitmap& b);
// Same size and, pixel by pixel, the same value (NaN matches NaN).
bool SameDepths(const depthBitmap& a, const depthBitmap& b);
