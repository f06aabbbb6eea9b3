// Pixels of a row in the double lanes of a vector, and back to bytes, for the vector forms of
// the per-pixel laws: a group of as many pixels as a vector has lanes goes through the law's
// expressions at once. Included once per target (no include guard of its own).

#if defined(FOVARA_PIXEL_LANES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef FOVARA_PIXEL_LANES_INL_H_
#undef FOVARA_PIXEL_LANES_INL_H_
#else
#define FOVARA_PIXEL_LANES_INL_H_
#endif

#include <hwy/highway.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

HWY_BEFORE_NAMESPACE();
namespace fovara_pixels {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DD = hn::ScalableTag<double>;
using VD = hn::Vec<DD>;

constexpr int kMaxLanes = HWY_MAX_BYTES / sizeof(double);

inline int GroupSize() { return int(hn::Lanes(DD())); }

// Up to GroupSize() pixels: their bytes and depths as doubles.
struct PixelLanes {
  VD channel[3];
  VD depth;
};

using D32 = hn::Rebind<int32_t, DD>;
// A pixel's bytes are moved as the low bytes of a 32-bit lane, red lowest.
static_assert(std::endian::native == std::endian::little, "pixels are packed into lanes little-endian");
using DF = hn::Rebind<float, DD>;

// A full group whose pixels are followed by more of the row: each pixel's three bytes are the
// low bytes of the four read from its first byte (the fourth is the next pixel's).
inline PixelLanes LoadFollowedPixels(const uint8_t* in, const float* depth) {
  const DD d;
  const D32 d32;
  const auto offsets = hn::Mul(hn::Iota(d32, 0), hn::Set(d32, 3));
  const auto packed = hn::GatherOffset(d32, reinterpret_cast<const int32_t*>(in), offsets);
  const auto byteMask = hn::Set(d32, 0xFF);
  PixelLanes lanes;
  lanes.channel[0] = hn::PromoteTo(d, hn::And(packed, byteMask));
  lanes.channel[1] = hn::PromoteTo(d, hn::And(hn::ShiftRight<8>(packed), byteMask));
  lanes.channel[2] = hn::PromoteTo(d, hn::And(hn::ShiftRight<16>(packed), byteMask));
  lanes.depth = hn::PromoteTo(d, hn::LoadU(DF(), depth));
  return lanes;
}

// The last `count` pixels of a run (at most a group): read through a copy, the lanes past the
// pixels being 0.
inline PixelLanes LoadLastPixels(const uint8_t* in, const float* depth, int count) {
  HWY_ALIGN uint8_t bytes[4 * kMaxLanes] = {};
  HWY_ALIGN float depths[kMaxLanes] = {};
  std::copy(in, in + 3 * count, bytes);
  std::copy(depth, depth + count, depths);
  return LoadFollowedPixels(bytes, depths);
}

// TruncateToByte of every lane: 255 from 255 on, the truncation above 0, else 0 (NaN too).
inline VD TruncateToByte(VD v) {
  const DD d;
  const VD byte = hn::IfThenElseZero(hn::Gt(v, hn::Zero(d)), hn::Trunc(v));
  return hn::IfThenElse(hn::Ge(v, hn::Set(d, 255.0)), hn::Set(d, 255.0), byte);
}

// The first `count` pixels of the lanes (whole bytes from 0 to 255) into out. When `followed`,
// the byte after them belongs to pixels yet to be written and takes a passing write.
inline void StorePixels(const VD (&channel)[3], uint8_t* out, int count, bool followed) {
  const D32 d32;
  const auto packed = hn::Or(hn::DemoteTo(d32, channel[0]),
                             hn::Or(hn::ShiftLeft<8>(hn::DemoteTo(d32, channel[1])),
                                    hn::ShiftLeft<16>(hn::DemoteTo(d32, channel[2]))));
  HWY_ALIGN int32_t pixels[kMaxLanes];
  hn::Store(packed, d32, pixels);
  const int whole = followed ? count : count - 1;
  for (int p = 0; p < whole; ++p) std::memcpy(out + 3 * p, &pixels[p], 4);  // little-endian: red first
  if (!followed) std::memcpy(out + 3 * (count - 1), &pixels[count - 1], 3);
}

// The group of pixels from x of a run of `count`: as many as a vector has lanes, or the last.
inline PixelLanes LoadGroup(const uint8_t* in, const float* depth, int x, int count) {
  const int group = GroupSize();
  if (x + group < count) return LoadFollowedPixels(in + 3 * x, depth + x);
  return LoadLastPixels(in + 3 * x, depth + x, std::min(group, count - x));
}

// Pixels of a stretch of a run that a law split in two passes takes (a multiple of any
// vector's lanes).
constexpr int kStretch = 128;

// Runs a law in two passes over each stretch of a run: first(lanes, slot) over its groups,
// then second(lanes, slot, result lanes), slot being the group's first pixel within the
// stretch. The first pass keeps what it computes in arrays of kStretch values for the second.
// Two short loops, rather than one long one, let the processor overlap the long chains of
// dependent operations (divisions) of several groups.
template <typename First, typename Second>
void ForPixelGroupsInTwoPasses(const uint8_t* in, const float* depth, uint8_t* out, int count, const First& first,
                               const Second& second) {
  const int group = GroupSize();
  for (int start = 0; start < count; start += kStretch) {
    const int end = std::min(count, start + kStretch);
    for (int x = start; x < end; x += group) first(LoadGroup(in, depth, x, count), x - start);
    for (int x = start; x < end; x += group) {
      VD result[3];
      second(LoadGroup(in, depth, x, count), x - start, result);
      StorePixels(result, out + 3 * x, std::min(group, count - x), x + group < count);
    }
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_pixels
HWY_AFTER_NAMESPACE();

#endif
