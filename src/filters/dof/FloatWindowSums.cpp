// The float window sums, compiled once for each instruction set that the vector library targets
// on this architecture; the first call picks the best one that the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/dof/FloatWindowSums.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>

#include "filters/dof/FloatWindowSums.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_dof {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// Processors without 128-bit vectors: one pixel and one lane at a time.
int PixelsPerVector(int) { return 1; }

void SumFloatWindows(const int32_t* pixelZero, int lanes, const FloatWindowTap* taps, const float* weights,
                     int tapCount, int x, int count, float* out) {
  for (int p = 0; p < count; ++p, out += lanes) {
    const int32_t* entry = pixelZero + std::ptrdiff_t(x + p) * lanes;
    std::fill(out, out + lanes, 0.0f);
    for (int t = 0; t < tapCount; ++t) {
      for (int l = 0; l < lanes; ++l) {
        const int32_t sum = int32_t(uint32_t(entry[taps[t].end + l]) - uint32_t(entry[taps[t].begin + l]));
        out[l] += weights[t * lanes + l] * float(sum);
      }
    }
  }
}
#else
using DI = hn::ScalableTag<int32_t>;
using DF = hn::ScalableTag<float>;
using VF = hn::Vec<DF>;

// Whole entries fill each 128-bit block: one pixel of four lanes, or four of one.
int PixelsPerVector(int lanes) { return int(hn::Lanes(DF())) / lanes; }

// The weights of a tap for every pixel of a vector: its lanes' weights repeated entry by entry.
template <int kLanes>
VF TapWeights(const float* weights) {
  if constexpr (kLanes == kFloatColourLanes) {
    return hn::LoadDup128(DF(), weights);
  } else {
    return hn::Set(DF(), weights[0]);
  }
}

// kGroups neighbouring vectors of pixels summed in one walk over the taps, which loads each
// tap's weights once for all of them.
template <int kLanes, int kGroups>
void SumGroups(const int32_t* entry, const FloatWindowTap* taps, const float* weights, int tapCount, VF* sums) {
  const DI di;
  const DF df;
  const hn::RebindToUnsigned<DI> du;
  const std::ptrdiff_t step = std::ptrdiff_t(hn::Lanes(di));
  // Sums held in local vectors stay in registers through the walk.
  VF acc[kGroups];
  for (int k = 0; k < kGroups; ++k) acc[k] = hn::Zero(df);
  for (int t = 0; t < tapCount; ++t) {
    const VF w = TapWeights<kLanes>(weights + t * kLanes);
    const int32_t* end = entry + taps[t].end;
    const int32_t* begin = entry + taps[t].begin;
#pragma GCC unroll 4
    for (int k = 0; k < kGroups; ++k) {
      // Modulo 2^32 the difference of the two entries is the interval's exact sum.
      const auto difference =
          hn::BitCast(di, hn::Sub(hn::BitCast(du, hn::LoadU(di, end + k * step)), hn::BitCast(du, hn::LoadU(di, begin + k * step))));
      acc[k] = hn::MulAdd(w, hn::ConvertTo(df, difference), acc[k]);
    }
  }
  for (int k = 0; k < kGroups; ++k) sums[k] = acc[k];
}

template <int kLanes>
void SumWindowsOf(const int32_t* pixelZero, const FloatWindowTap* taps, const float* weights, int tapCount, int x,
                  int count, float* out) {
  constexpr int kGroups = 4;
  const DF df;
  const int perVector = PixelsPerVector(kLanes);
  HWY_ALIGN float stored[HWY_MAX_BYTES / sizeof(float)];
  VF sums[kGroups];
  for (int p = 0; p < count;) {
    const int32_t* entry = pixelZero + std::ptrdiff_t(x + p) * kLanes;
    const int pixels = std::min(kGroups * perVector, count - p);
    const int groups = (pixels + perVector - 1) / perVector;
    // Four vectors at a time keep the sums within the registers; a run's last pixels take as
    // few vectors as they need.
    switch (groups) {
      case 4: SumGroups<kLanes, 4>(entry, taps, weights, tapCount, sums); break;
      case 3: SumGroups<kLanes, 3>(entry, taps, weights, tapCount, sums); break;
      case 2: SumGroups<kLanes, 2>(entry, taps, weights, tapCount, sums); break;
      default: SumGroups<kLanes, 1>(entry, taps, weights, tapCount, sums); break;
    }
    for (int k = 0; k < groups; ++k) {
      const int n = std::min(perVector, pixels - k * perVector);
      hn::Store(sums[k], df, stored);
      std::copy(stored, stored + n * kLanes, out + std::ptrdiff_t(p + k * perVector) * kLanes);
    }
    p += pixels;
  }
}

void SumFloatWindows(const int32_t* pixelZero, int lanes, const FloatWindowTap* taps, const float* weights,
                     int tapCount, int x, int count, float* out) {
  if (lanes == kFloatColourLanes) return SumWindowsOf<kFloatColourLanes>(pixelZero, taps, weights, tapCount, x, count, out);
  SumWindowsOf<kFloatAlphaLanes>(pixelZero, taps, weights, tapCount, x, count, out);
}
#endif

int FloatWindowSumsOverreach(int lanes) {
  // Whole vectors are summed: up to four vectors' pixels past the first.
  return 4 * PixelsPerVector(lanes) - 1;
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_dof
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fovara_dof {
HWY_EXPORT(SumFloatWindows);
HWY_EXPORT(FloatWindowSumsOverreach);
}  // namespace fovara_dof

void SumFloatWindows(const int32_t* pixelZero, int lanes, const FloatWindowTap* taps, const float* weights,
                     int tapCount, int x, int count, float* out) {
  HWY_DYNAMIC_DISPATCH(fovara_dof::SumFloatWindows)(pixelZero, lanes, taps, weights, tapCount, x, count, out);
}

int FloatWindowSumsOverreach(int lanes) { return HWY_DYNAMIC_DISPATCH(fovara_dof::FloatWindowSumsOverreach)(lanes); }
#endif
