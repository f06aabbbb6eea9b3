#pragma once
// Rows of prefix sums over float colour in fixed point, for the float window sums
// (WindowSums.h). Each row has a scale of its own, a power of two chosen from its
// brightest value, by which its values are multiplied and rounded to integers below 2^23: the
// sum of any interval of up to 128 pixels then stays below 2^30, so the 32-bit entries, kept
// modulo 2^32, give it exactly. A dim row keeps the same relative precision as a bright one.
//
// Each value is then known to 2^-24 of its row's brightest. Beside a light thousands of times
// brighter than white that is too coarse for the dim pixels of its row, so a frame with such
// lights also sums the rounding's remainder, in fine rows of 2^16 steps to the coarse step (an
// interval's sum stays below 2^22): each value is then known to the precision of its own float.
//
// A value that is not a number counts as 0; an infinite one as the largest the row can hold.

#include <cstddef>
#include <cstdint>

// Which pixels a prefix row sums, by their mask value: every value but 0 (the slice and what
// lies behind it), or 255 alone (the slice itself).
enum class FloatPrefixSelection { SliceAndBehind, SliceOnly };

// The coarse rows (the values rounded at the row's scale, and the count) or the fine ones (the
// rounding's remainder in steps of kFineSteps to the coarse step; no count).
enum class FloatPrefixPart { Coarse, Fine };
constexpr float kFineSteps = 65536.0f;

// The brightest value below which the coarse rows are enough: a value's error, 2^-24 of it, is
// then below half the first step of the display's 8 bits.
constexpr float kBrightestWithoutFineRows = 2048.0f;

// The scale of a row whose values are `values` floats at `data`: 2^k with the largest finite
// magnitude times it below 2^23 (1 for a row of zeros).
float FloatRowScale(const float* data, std::size_t values);

// Builds one prefix row of `lanes` lanes (red, green, blue and count from `colour`, 3 floats a
// pixel; or the alpha alone from `alpha`) into `entries`: `pad` + 1 entries of 0 before pixel
// 0's sums, then the row's sums through each pixel, then its total repeated `pad` + `overreach`
// times. The coarse count lane counts 1 a selected pixel, unscaled.
void BuildFloatPrefixRow(const uint8_t* mask, const float* values, float scale, FloatPrefixSelection selection,
                         FloatPrefixPart part, int width, int pad, int overreach, int lanes, int32_t* entries);

inline std::size_t FloatPrefixRowEntries(int width, int pad, int overreach) {
  return std::size_t(width) + 2 * std::size_t(pad) + 1 + std::size_t(overreach);
}
