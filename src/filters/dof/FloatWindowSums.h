#pragma once
// Kernel-weighted window sums of a run of neighbouring pixels of float colour, taken from rows
// of prefix sums in fixed point, in vector code chosen at run time for the processor.
//
// A float prefix row holds one entry per position, each of `lanes` 32-bit sums kept modulo
// 2^32. Its pixels were scaled by a power of two of their own row (FloatPrefixRows.h) and
// rounded to integers, so that an interval of a kernel row sums exactly to below 2^31 and the
// difference of its two entries is exact whatever the row's brightness. Each interval's sum is
// then taken to float and weighed by the tap's weight for that lane, which carries the
// row's scale back.

#include <cstdint>

// One interval of constant weight of a kernel row: the offsets, in 32-bit lanes, of its closing
// and opening entries from the entry of the pixel whose window is summed (rows included).
struct FloatWindowTap {
  int32_t end;
  int32_t begin;
};

// Lanes of a float prefix entry: red, green, blue and the pixel count; or the alpha alone.
constexpr int kFloatColourLanes = 4;
constexpr int kFloatAlphaLanes = 1;

// For the pixels x to x + count - 1 of the row whose pixel 0 has its entry at `pixelZero`:
// out[p * lanes + l] is the sum over the taps t of weights[t * lanes + l] times lane l of
// (entry[end] - entry[begin]), entry being that of pixel x + p. The loads reach up to
// FloatWindowSumsOverreach(lanes) entries past pixel x + count - 1 (plus the taps' offsets).
void SumFloatWindows(const int32_t* pixelZero, int lanes, const FloatWindowTap* taps, const float* weights,
                     int tapCount, int x, int count, float* out);

// Entries past the last summed pixel that SumFloatWindows may read, for the processor it runs on.
int FloatWindowSumsOverreach(int lanes);
