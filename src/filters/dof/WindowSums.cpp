// The window sums, compiled once for each instruction set that the vector library targets on
// this architecture; the first call picks the best one that the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/dof/WindowSums.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>

#include "filters/dof/WindowSums.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_dof {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// Processors without 128-bit vectors (the fallback the vector library picks when nothing else
// fits): one pixel and one lane at a time.
template <int kLanes>
int GroupWidth() {
  return 1;
}

template <int kLanes>
void SumWindowsOf(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
                  uint32_t* out) {
  for (int p = 0; p < count; ++p, out += kLanes) {
    const uint16_t* entry = pixelZero + std::ptrdiff_t(x + p) * kLanes;
    for (int l = 0; l < kLanes; ++l) out[l] = 0;
    for (const WindowTap* t = first; t != last; ++t) {
      for (int l = 0; l < kLanes; ++l) out[l] += t->weight * uint16_t(entry[t->end + l] - entry[t->begin + l]);
    }
  }
}

void AverageColourWindows(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
                          uint32_t* out) {
  SumWindowsOf<kColourEntryLanes>(pixelZero, first, last, x, count, out);
  for (int p = 0; p < count; ++p, out += kColourEntryLanes) {
    const uint32_t weight = out[3];
    for (int l = 0; l < 3; ++l) out[l] = weight != 0 ? out[l] / weight : 0;
  }
}

void SumFloatWindows(const int32_t* pixelZero, int lanes, const WindowTap* first, const WindowTap* last,
                     const float* weights, int x, int count, float* out) {
  for (int p = 0; p < count; ++p, out += lanes) {
    const int32_t* entry = pixelZero + std::ptrdiff_t(x + p) * lanes;
    std::fill(out, out + lanes, 0.0f);
    for (const WindowTap* t = first; t != last; ++t) {
      const float* w = weights + (t - first) * lanes;
      for (int l = 0; l < lanes; ++l) {
        out[l] += w[l] * float(int32_t(uint32_t(entry[t->end + l]) - uint32_t(entry[t->begin + l])));
      }
    }
  }
}
#else
using D16 = hn::ScalableTag<uint16_t>;
using DI16 = hn::ScalableTag<int16_t>;
using D32 = hn::ScalableTag<int32_t>;
using DF32 = hn::ScalableTag<float>;
using V16 = hn::Vec<DI16>;
using V32 = hn::Vec<D32>;
using VF = hn::Vec<DF32>;

// Each lane of `sums` divided by the lane of `weights` beside it, truncated; 0 where the weight
// is 0. The lanes hold whole sums below 2^31 whose quotients are at most 255: the quotient of
// their float values is within a ten-thousandth of the true one, so its truncation is at most
// one off, which the remainder tells and corrects.
V32 Divide(V32 sums, V32 weights) {
  const D32 d32;
  const DF32 df32;
  auto q = hn::ConvertTo(d32, hn::Div(hn::ConvertTo(df32, sums), hn::ConvertTo(df32, weights)));
  const auto none = hn::Eq(weights, hn::Zero(d32));
  q = hn::IfThenZeroElse(none, q);
  const auto remainder = hn::Sub(sums, hn::Mul(q, weights));
  const auto one = hn::Set(d32, 1);
  q = hn::IfThenElse(hn::Lt(remainder, hn::Zero(d32)), hn::Sub(q, one), q);
  q = hn::IfThenElse(hn::Not(hn::Or(none, hn::Lt(remainder, weights))), hn::Add(q, one), q);
  return q;
}

// Pixels whose entries one vector holds.
template <int kLanes>
int GroupWidth() {
  return int(hn::Lanes(D16())) / kLanes;
}

// Each 128-bit block of a vector holds whole entries: two pixels of four lanes, or eight of
// one. Two taps are summed at once: their differences interleaved lane by lane, so that one
// widening multiply-add of 16-bit pairs by the pair of weights gives, in 32-bit lanes, the
// first half of each block's lanes (from the lower halves) and the second half (from the
// upper halves). The differences and weights are below 2^15, so the signed multiply is exact.
//
// kGroups neighbouring vectors of pixels are summed in one walk over the taps, which reads
// each tap once for all of them.
template <int kLanes, int kGroups>
class GroupSums {
 public:
  // Pixels whose entries fill half a block.
  static constexpr int kHalfBlockPixels = 4 / kLanes;

  GroupSums() {
    for (int k = 0; k < kGroups; ++k) lower_[k] = upper_[k] = oddLower_[k] = oddUpper_[k] = hn::Zero(D32());
  }

  void Add(const uint16_t* entry, const WindowTap* first, const WindowTap* last) {
    const std::ptrdiff_t step = std::ptrdiff_t(hn::Lanes(D16()));
    const WindowTap* t = first;
    for (; last - t >= 2; t += 2) {
      const auto weights = hn::BitCast(DI16(), hn::Set(D32(), int32_t(t->pairWeight)));
      for (int k = 0; k < kGroups; ++k) {
        const uint16_t* e = entry + k * step;
        Accumulate(k, Difference(e, t[0]), Difference(e, t[1]), weights);
      }
    }
    if (t != last) {
      const auto weights = hn::BitCast(DI16(), hn::Set(D32(), int32_t(t->weight)));
      for (int k = 0; k < kGroups; ++k) Accumulate(k, Difference(entry + k * step, *t), hn::Zero(DI16()), weights);
    }
  }

  // The colour averages of the first `pixels` pixels: red, green and blue divided by the count,
  // which stays in its lane.
  void StoreAverages(int pixels, uint32_t* out) const {
    static_assert(kLanes == kColourEntryLanes, "averages are of colour entries");
    const D32 d32;
    const auto countLane = hn::Eq(hn::And(hn::Iota(d32, 0), hn::Set(d32, 3)), hn::Set(d32, 3));
    GroupSums averages;
    for (int k = 0; k * GroupWidth<kLanes>() < pixels; ++k) {
      // Each block's halves are whole pixels: red, green, blue, count.
      const V32 lower = hn::RearrangeToOddPlusEven(lower_[k], oddLower_[k]);
      const V32 upper = hn::RearrangeToOddPlusEven(upper_[k], oddUpper_[k]);
      averages.lower_[k] = hn::IfThenElse(countLane, lower, Divide(lower, hn::Broadcast<3>(lower)));
      averages.upper_[k] = hn::IfThenElse(countLane, upper, Divide(upper, hn::Broadcast<3>(upper)));
    }
    averages.Store(pixels, out);
  }

  // The sums of the first `pixels` pixels, kLanes a pixel. In block b, the pixels of the first
  // half have their lanes at 4b and on in the lower sums, those of the second half in the upper.
  void Store(int pixels, uint32_t* out) const {
    const int group = GroupWidth<kLanes>();
    HWY_ALIGN int32_t lower[HWY_MAX_BYTES / sizeof(int32_t)];
    HWY_ALIGN int32_t upper[HWY_MAX_BYTES / sizeof(int32_t)];
    for (int k = 0; k * group < pixels; ++k) {
      hn::Store(hn::RearrangeToOddPlusEven(lower_[k], oddLower_[k]), D32(), lower);
      hn::Store(hn::RearrangeToOddPlusEven(upper_[k], oddUpper_[k]), D32(), upper);
      const int n = std::min(group, pixels - k * group);
      uint32_t* o = out + std::ptrdiff_t(k) * group * kLanes;
      for (int p = 0; p < n; ++p, o += kLanes) {
        const int block = p / (2 * kHalfBlockPixels);
        const int q = p % (2 * kHalfBlockPixels);
        const int32_t* half = (q < kHalfBlockPixels ? lower : upper) + 4 * block + (q % kHalfBlockPixels) * kLanes;
        for (int l = 0; l < kLanes; ++l) o[l] = uint32_t(half[l]);
      }
    }
  }

 private:
  static V16 Difference(const uint16_t* entry, const WindowTap& t) {
    const D16 d16;
    return hn::BitCast(DI16(), hn::Sub(hn::LoadU(d16, entry + t.end), hn::LoadU(d16, entry + t.begin)));
  }

  void Accumulate(int k, V16 a, V16 b, V16 weights) {
    const D32 d32;
    const DI16 di16;
    lower_[k] = hn::ReorderWidenMulAccumulate(d32, hn::InterleaveLower(di16, a, b), weights, lower_[k], oddLower_[k]);
    upper_[k] = hn::ReorderWidenMulAccumulate(d32, hn::InterleaveUpper(di16, a, b), weights, upper_[k], oddUpper_[k]);
  }

  V32 lower_[kGroups];
  V32 upper_[kGroups];
  // The second halves of the multiply-adds on targets that keep them apart (none on x86).
  V32 oddLower_[kGroups];
  V32 oddUpper_[kGroups];
};

template <bool kAverage, typename Sums>
void Finish(const Sums& sums, int pixels, uint32_t* out) {
  if constexpr (kAverage) {
    sums.StoreAverages(pixels, out);
  } else {
    sums.Store(pixels, out);
  }
}

template <int kLanes, bool kAverage>
void WindowsOf(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
               uint32_t* out) {
  // Two vectors at a time keep the accumulators within the registers of every target; a run's
  // last pixels that fit one vector take one.
  const int group = GroupWidth<kLanes>();
  for (int p = 0; p < count;) {
    const uint16_t* entry = pixelZero + std::ptrdiff_t(x + p) * kLanes;
    const int pixels = std::min(2 * group, count - p);
    if (pixels > group) {
      GroupSums<kLanes, 2> sums;
      sums.Add(entry, first, last);
      Finish<kAverage>(sums, pixels, out + std::ptrdiff_t(p) * kLanes);
    } else {
      GroupSums<kLanes, 1> sums;
      sums.Add(entry, first, last);
      Finish<kAverage>(sums, pixels, out + std::ptrdiff_t(p) * kLanes);
    }
    p += pixels;
  }
}

template <int kLanes>
void SumWindowsOf(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
                  uint32_t* out) {
  WindowsOf<kLanes, false>(pixelZero, first, last, x, count, out);
}

void AverageColourWindows(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
                          uint32_t* out) {
  WindowsOf<kColourEntryLanes, true>(pixelZero, first, last, x, count, out);
}

// A tap's weights for every pixel of a float vector: its lanes' weights repeated entry by entry.
template <int kLanes>
VF TapWeights(const float* weights) {
  if constexpr (kLanes == kColourEntryLanes) {
    return hn::LoadDup128(DF32(), weights);
  } else {
    return hn::Set(DF32(), weights[0]);
  }
}

// Float rows: kGroups neighbouring vectors of pixels (whole entries fill each 128-bit block)
// summed in one walk over the taps, which loads each tap's weights once for all of them.
template <int kLanes, int kGroups>
void SumFloatGroups(const int32_t* entry, const WindowTap* first, const WindowTap* last, const float* weights,
                    VF* sums) {
  const D32 di;
  const DF32 df;
  const hn::RebindToUnsigned<D32> du;
  const std::ptrdiff_t step = std::ptrdiff_t(hn::Lanes(di));
  // Sums held in local vectors stay in registers through the walk.
  VF acc[kGroups];
  for (int k = 0; k < kGroups; ++k) acc[k] = hn::Zero(df);
  for (const WindowTap* t = first; t != last; ++t, weights += kLanes) {
    const VF w = TapWeights<kLanes>(weights);
    const int32_t* end = entry + t->end;
    const int32_t* begin = entry + t->begin;
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
void SumFloatWindowsOf(const int32_t* pixelZero, const WindowTap* first, const WindowTap* last, const float* weights,
                       int x, int count, float* out) {
  constexpr int kGroups = 4;
  const DF32 df;
  const int perVector = int(hn::Lanes(df)) / kLanes;
  HWY_ALIGN float stored[HWY_MAX_BYTES / sizeof(float)];
  VF sums[kGroups];
  for (int p = 0; p < count;) {
    const int32_t* entry = pixelZero + std::ptrdiff_t(x + p) * kLanes;
    const int pixels = std::min(kGroups * perVector, count - p);
    const int groups = (pixels + perVector - 1) / perVector;
    // Four vectors at a time keep the sums within the registers; a run's last pixels take as
    // few vectors as they need.
    switch (groups) {
      case 4: SumFloatGroups<kLanes, 4>(entry, first, last, weights, sums); break;
      case 3: SumFloatGroups<kLanes, 3>(entry, first, last, weights, sums); break;
      case 2: SumFloatGroups<kLanes, 2>(entry, first, last, weights, sums); break;
      default: SumFloatGroups<kLanes, 1>(entry, first, last, weights, sums); break;
    }
    for (int k = 0; k < groups; ++k) {
      const int n = std::min(perVector, pixels - k * perVector);
      hn::Store(sums[k], df, stored);
      std::copy(stored, stored + n * kLanes, out + std::ptrdiff_t(p + k * perVector) * kLanes);
    }
    p += pixels;
  }
}

void SumFloatWindows(const int32_t* pixelZero, int lanes, const WindowTap* first, const WindowTap* last,
                     const float* weights, int x, int count, float* out) {
  if (lanes == kColourEntryLanes) {
    return SumFloatWindowsOf<kColourEntryLanes>(pixelZero, first, last, weights, x, count, out);
  }
  SumFloatWindowsOf<kAlphaEntryLanes>(pixelZero, first, last, weights, x, count, out);
}
#endif

void SumWindows(const uint16_t* pixelZero, int lanes, const WindowTap* first, const WindowTap* last, int x,
                int count, uint32_t* out) {
  if (lanes == kColourEntryLanes) return SumWindowsOf<kColourEntryLanes>(pixelZero, first, last, x, count, out);
  SumWindowsOf<kAlphaEntryLanes>(pixelZero, first, last, x, count, out);
}

void AverageWindows(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
                    uint32_t* out) {
  AverageColourWindows(pixelZero, first, last, x, count, out);
}

int WindowSumsOverreach(int lanes) {
  // Whole groups of vectors are summed: up to two vectors' pixels past the first (four vectors
  // of 32-bit lanes hold as many pixels as two of 16-bit lanes).
  const int group = lanes == kColourEntryLanes ? GroupWidth<kColourEntryLanes>() : GroupWidth<kAlphaEntryLanes>();
  return 2 * group - 1;
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_dof
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fovara_dof {
HWY_EXPORT(SumWindows);
HWY_EXPORT(AverageWindows);
HWY_EXPORT(SumFloatWindows);
HWY_EXPORT(WindowSumsOverreach);
}  // namespace fovara_dof

void SumWindows(const uint16_t* pixelZero, int lanes, const WindowTap* first, const WindowTap* last, int x,
                int count, uint32_t* out) {
  HWY_DYNAMIC_DISPATCH(fovara_dof::SumWindows)(pixelZero, lanes, first, last, x, count, out);
}

void AverageWindows(const uint16_t* pixelZero, const WindowTap* first, const WindowTap* last, int x, int count,
                    uint32_t* out) {
  HWY_DYNAMIC_DISPATCH(fovara_dof::AverageWindows)(pixelZero, first, last, x, count, out);
}

void SumWindows(const int32_t* pixelZero, int lanes, const WindowTap* first, const WindowTap* last,
                const float* weights, int x, int count, float* out) {
  HWY_DYNAMIC_DISPATCH(fovara_dof::SumFloatWindows)(pixelZero, lanes, first, last, weights, x, count, out);
}

int WindowSumsOverreach(int lanes) { return HWY_DYNAMIC_DISPATCH(fovara_dof::WindowSumsOverreach)(lanes); }
#endif
