#include "platform/image/HalfConversion.h"

#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

namespace {

// Eight values at a time on processors with the conversion instructions (every x86-64 of the
// last ten years); the rest one by one.
__attribute__((target("avx,f16c"))) void ConvertWithF16c(const float* values, std::size_t count, half* halves) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i packed = _mm256_cvtps_ph(_mm256_loadu_ps(values + i), _MM_FROUND_TO_NEAREST_INT);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves + i), packed);
  }
  for (; i < count; ++i) halves[i] = half(values[i]);
}

// The processor converts halves (F16C) and runs 256-bit instructions (AVX), and the system
// keeps the 256-bit registers across task switches.
bool DetectF16c() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  if ((ecx & bit_F16C) == 0 || (ecx & bit_AVX) == 0 || (ecx & bit_OSXSAVE) == 0) return false;
  unsigned low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  constexpr unsigned kSseAndAvxState = 0x6;
  return (low & kSseAndAvxState) == kSseAndAvxState;
}

bool HasF16c() {
  static const bool has = DetectF16c();
  return has;
}

}  // namespace

void FloatsToHalves(const float* values, std::size_t count, half* halves) {
  static_assert(sizeof(half) == 2, "a half float is two bytes");
  if (HasF16c()) return ConvertWithF16c(values, count, halves);
  for (std::size_t i = 0; i < count; ++i) halves[i] = half(values[i]);
}
