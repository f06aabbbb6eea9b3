#include "filters/dof/FloatPrefixRows.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

// Every x86-64 processor has the 128-bit instructions used here; a pixel's four lanes (red,
// green, blue, count) fill one register.

namespace {

constexpr float kLargestScaled = 8388608.0f;  // 2^23

// The scaled values rounded to the nearest integers (ties to even), clamped to 2^23; a value
// that is not a number gives 0.
inline __m128i Quantize(__m128 values, __m128 scale) {
  __m128 scaled = _mm_mul_ps(values, scale);
  scaled = _mm_and_ps(scaled, _mm_cmpord_ps(scaled, scaled));
  scaled = _mm_min_ps(_mm_max_ps(scaled, _mm_set1_ps(-kLargestScaled)), _mm_set1_ps(kLargestScaled));
  return _mm_cvtps_epi32(scaled);
}

inline uint32_t Quantize(float value, float scale) {
  return uint32_t(_mm_cvtsi128_si32(Quantize(_mm_set_ss(value), _mm_set_ss(scale))));
}

inline bool Selected(uint8_t mask, bool sliceOnly) { return sliceOnly ? mask == 255 : mask != 0; }

// The colour rows: red, green, blue scaled and the count lane 1 for each selected pixel.
int32_t* AddColourPixels(const uint8_t* mask, const float* colour, float scale, bool sliceOnly, int width,
                         int32_t* entry, uint32_t* total) {
  const __m128 scales = _mm_setr_ps(scale, scale, scale, 0.0f);
  const __m128i countLane = _mm_setr_epi32(0, 0, 0, 1);
  __m128i sum = _mm_setzero_si128();
  // A load takes four floats for a pixel's three: the last pixel's would read past the row.
  int x = 0;
  for (; x + 1 < width; ++x, entry += 4) {
    const __m128i take = _mm_set1_epi32(-int(Selected(mask[x], sliceOnly)));
    const __m128i pixel = _mm_or_si128(Quantize(_mm_loadu_ps(colour + 3 * x), scales), countLane);
    sum = _mm_add_epi32(sum, _mm_and_si128(pixel, take));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(entry), sum);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(total), sum);
  for (; x < width; ++x, entry += 4) {
    if (Selected(mask[x], sliceOnly)) {
      for (int c = 0; c < 3; ++c) total[c] += Quantize(colour[3 * x + c], scale);
      total[3] += 1;
    }
    std::copy(total, total + 4, entry);
  }
  return entry;
}

int32_t* AddAlphaPixels(const uint8_t* mask, const float* alpha, float scale, bool sliceOnly, int width,
                        int32_t* entry, uint32_t* total) {
  for (int x = 0; x < width; ++x, ++entry) {
    if (Selected(mask[x], sliceOnly)) total[0] += Quantize(alpha[x], scale);
    entry[0] = int32_t(total[0]);
  }
  return entry;
}

}  // namespace

float FloatRowScale(const float* data, std::size_t values) {
  float largest = 0.0f;
  for (std::size_t i = 0; i < values; ++i) {
    const float magnitude = std::fabs(data[i]);
    if (std::isfinite(magnitude)) largest = std::max(largest, magnitude);
  }
  if (largest == 0.0f) return 1.0f;
  int exponent = 0;
  std::frexp(largest, &exponent);  // largest < 2^exponent
  return std::ldexp(1.0f, std::clamp(23 - exponent, -126, 127));
}

void BuildFloatPrefixRow(const uint8_t* mask, const float* values, float scale, FloatPrefixSelection selection,
                         int width, int pad, int overreach, int lanes, int32_t* entries) {
  std::fill(entries, entries + std::size_t(pad + 1) * std::size_t(lanes), 0);
  int32_t* entry = entries + std::size_t(pad + 1) * std::size_t(lanes);
  // The sums wrap modulo 2^32, which the window sums expect.
  uint32_t total[4] = {};
  const bool sliceOnly = selection == FloatPrefixSelection::SliceOnly;
  entry = lanes == 1 ? AddAlphaPixels(mask, values, scale, sliceOnly, width, entry, total)
                     : AddColourPixels(mask, values, scale, sliceOnly, width, entry, total);
  for (int e = 0; e < pad + overreach; ++e, entry += lanes) std::copy(total, total + lanes, entry);
}
