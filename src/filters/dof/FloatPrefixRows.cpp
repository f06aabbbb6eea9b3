// Prefix rows of float samples in fixed point (see PrefixRows.h).
#include "filters/dof/PrefixRows.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>

// Every x86-64 processor has the 128-bit instructions used here; a pixel's four lanes (red,
// green, blue, count) fill one register.

namespace {

constexpr float kLargestScaled = 8388608.0f;  // 2^23

// The scaled values rounded to the nearest integers (ties to even), clamped to 2^23, or the
// remainder of that rounding in kFineSteps steps; a value that is not a number gives 0.
template <FloatPrefixPart kPart>
inline __m128i Quantize(__m128 values, __m128 scale) {
  __m128 scaled = _mm_mul_ps(values, scale);
  scaled = _mm_and_ps(scaled, _mm_cmpord_ps(scaled, scaled));
  scaled = _mm_min_ps(_mm_max_ps(scaled, _mm_set1_ps(-kLargestScaled)), _mm_set1_ps(kLargestScaled));
  const __m128i coarse = _mm_cvtps_epi32(scaled);
  if constexpr (kPart == FloatPrefixPart::Coarse) return coarse;
  // Below 2^23 the float holds the remainder exactly.
  const __m128 remainder = _mm_sub_ps(scaled, _mm_cvtepi32_ps(coarse));
  return _mm_cvtps_epi32(_mm_mul_ps(remainder, _mm_set1_ps(kFineSteps)));
}

template <FloatPrefixPart kPart>
inline uint32_t Quantize(float value, float scale) {
  return uint32_t(_mm_cvtsi128_si32(Quantize<kPart>(_mm_set_ss(value), _mm_set_ss(scale))));
}

inline bool Selected(uint8_t mask, bool sliceOnly) { return sliceOnly ? mask == 255 : mask != 0; }

// The colour rows: red, green, blue scaled and, in the coarse rows, the count lane 1 for each
// selected pixel.
template <FloatPrefixPart kPart>
int32_t* AddColourPixels(const uint8_t* mask, const float* colour, float scale, bool sliceOnly, int width,
                         int32_t* entry, uint32_t* total) {
  const __m128 scales = _mm_setr_ps(scale, scale, scale, 0.0f);
  const __m128i countLane = _mm_setr_epi32(0, 0, 0, kPart == FloatPrefixPart::Coarse ? 1 : 0);
  __m128i sum = _mm_setzero_si128();
  // A load takes four floats for a pixel's three: the last pixel's would read past the row.
  int x = 0;
  for (; x + 1 < width; ++x, entry += 4) {
    const __m128i take = _mm_set1_epi32(-int(Selected(mask[x], sliceOnly)));
    const __m128i pixel = _mm_or_si128(Quantize<kPart>(_mm_loadu_ps(colour + 3 * x), scales), countLane);
    sum = _mm_add_epi32(sum, _mm_and_si128(pixel, take));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(entry), sum);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(total), sum);
  for (; x < width; ++x, entry += 4) {
    if (Selected(mask[x], sliceOnly)) {
      for (int c = 0; c < 3; ++c) total[c] += Quantize<kPart>(colour[3 * x + c], scale);
      if (kPart == FloatPrefixPart::Coarse) total[3] += 1;
    }
    std::copy(total, total + 4, entry);
  }
  return entry;
}

template <FloatPrefixPart kPart>
int32_t* AddAlphaPixels(const uint8_t* mask, const float* alpha, float scale, bool sliceOnly, int width,
                        int32_t* entry, uint32_t* total) {
  for (int x = 0; x < width; ++x, ++entry) {
    if (Selected(mask[x], sliceOnly)) total[0] += Quantize<kPart>(alpha[x], scale);
    entry[0] = int32_t(total[0]);
  }
  return entry;
}

template <FloatPrefixPart kPart>
int32_t* AddPixels(const uint8_t* mask, const float* values, float scale, bool sliceOnly, int width, int lanes,
                   int32_t* entry, uint32_t* total) {
  return lanes == 1 ? AddAlphaPixels<kPart>(mask, values, scale, sliceOnly, width, entry, total)
                    : AddColourPixels<kPart>(mask, values, scale, sliceOnly, width, entry, total);
}

}  // namespace

float FloatRowScale(const float* data, std::size_t values) {
  // Four values at a time: magnitudes below infinity (which leaves out infinities and values
  // that are not numbers) kept, the others taken as 0.
  const __m128 signless = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  const __m128 infinity = _mm_set1_ps(std::numeric_limits<float>::infinity());
  __m128 largest4 = _mm_setzero_ps();
  std::size_t i = 0;
  for (; i + 4 <= values; i += 4) {
    const __m128 magnitude = _mm_and_ps(_mm_loadu_ps(data + i), signless);
    largest4 = _mm_max_ps(largest4, _mm_and_ps(magnitude, _mm_cmplt_ps(magnitude, infinity)));
  }
  alignas(16) float lanes[4];
  _mm_store_ps(lanes, largest4);
  float largest = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
  for (; i < values; ++i) {
    const float magnitude = std::fabs(data[i]);
    if (std::isfinite(magnitude)) largest = std::max(largest, magnitude);
  }
  if (largest == 0.0f) return 1.0f;
  int exponent = 0;
  std::frexp(largest, &exponent);  // largest < 2^exponent
  return std::ldexp(1.0f, std::clamp(23 - exponent, -126, 127));
}

void BuildPrefixRow(const PrefixSource<float>& source, float scale, FloatPrefixPart part, PrefixSelection selection,
                    int width, int pad, int overreach, int lanes, int32_t* entries) {
  std::fill(entries, entries + std::size_t(pad + 1) * std::size_t(lanes), 0);
  int32_t* entry = entries + std::size_t(pad + 1) * std::size_t(lanes);
  // The sums wrap modulo 2^32, which the window sums expect.
  uint32_t total[4] = {};
  const bool sliceOnly = selection == PrefixSelection::SliceOnly;
  const uint8_t* mask = source.mask;
  entry = part == FloatPrefixPart::Coarse
              ? AddPixels<FloatPrefixPart::Coarse>(mask, source.values, scale, sliceOnly, width, lanes, entry, total)
              : AddPixels<FloatPrefixPart::Fine>(mask, source.values, scale, sliceOnly, width, lanes, entry, total);
  for (int e = 0; e < pad + overreach; ++e, entry += lanes) std::copy(total, total + lanes, entry);
}
