#pragma once
// Kernel-weighted window sums of a run of neighbouring pixels, taken from rows of prefix sums
// (PrefixRows.h), in vector code chosen at run time for the processor (the same program runs on
// any x86-64; on one with wider vectors, more pixels are summed at once).
//
// A prefix row holds one entry per position, each of `lanes` whole sums kept modulo 2^16
// (8-bit colour) or 2^32 (float colour in fixed point). An interval of a kernel row costs one
// difference of two entries per pixel: its true sum stays below 2^15, or 2^31 (the caller keeps
// intervals short enough), so the difference is exact. The 8-bit sums are weighed by the
// kernel's whole weights, so every result is an exact integer whatever the vector width; the
// float ones are taken to float and weighed by a weight for each tap and lane, which carries
// the row's scale back.

#include <cstdint>

// One interval of constant weight of a kernel row: the offsets, in lanes, of its closing and
// opening entries from the entry of the pixel whose window is summed (prefix rows lie at a
// fixed stride from one another, so the offsets include the row's).
struct WindowTap {
  int32_t end;
  int32_t begin;
  uint32_t weight;      // at most 255
  uint32_t pairWeight;  // weight | the next tap's weight << 16: two taps are summed at once
};

// Lanes of a prefix entry: red, green, blue and the pixel count; or the alpha alone (rendered
// along with the colour, through the colour's count).
constexpr int kColourEntryLanes = 4;
constexpr int kAlphaEntryLanes = 1;

// For the pixels x to x + count - 1 of the row whose pixel 0 has its entry at `pixelZero`:
// out[p * lanes + l] is the sum over the taps [first, last) of weight times lane l of
// (entry[end] - entry[begin]), entry being that of pixel x + p. `lanes` is one of the two
// above. The loads reach up to WindowSumsOverreach(lanes) entries past pixel x + count - 1
// (plus the taps' offsets): prefix rows carry that much padding.
void SumWindows(const uint16_t* pixelZero, int lanes, const WindowTap* first, const WindowTap* last, int x,
                int count, uint32_t* out);

// The colour sums (kColourEntryLanes) with red, green and blue divided by the count, truncated
// (0 for a count of 0); the count lane keeps the count.
void AverageWindows(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
                    uint32_t* out);

// The same of float rows, the weight of tap t for lane l being weights[(t - first) * lanes + l].
void SumWindows(const int32_t* pixelZero, int lanes, const WindowTap* first, const WindowTap* last,
                const float* weights, int x, int count, float* out);

// Entries past the last summed pixel that SumWindows may read, for the processor it runs on.
int WindowSumsOverreach(int lanes);
