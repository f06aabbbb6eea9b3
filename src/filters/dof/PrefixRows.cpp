// Prefix rows, compiled once for each instruction set that the vector library targets on this
// architecture; the first call picks the best one that the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "filters/dof/PrefixRows.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <algorithm>
#include <cstring>

#include "filters/dof/PrefixRows.h"
#include "filters/dof/WindowSums.h"

HWY_BEFORE_NAMESPACE();
namespace fovara_dof {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

template <PrefixSelection kSelection>
bool Selected(uint8_t mask) {
  return kSelection == PrefixSelection::SliceOnly ? mask == 255 : mask != 0;
}

// Pixels [x, end) one after the other, `sum` running on from the entries before them. The sums
// wrap modulo 2^16 lane by lane, as the window sums expect.
template <int kLanes, PrefixSelection kSelection>
void AddPixels(const PrefixSource<uint8_t>& source, int x, int end, uint16_t* sum, uint16_t* entry) {
  for (; x < end; ++x, entry += kLanes) {
    // All ones or none: the pixel's values are added or not without a branch.
    const uint16_t take = uint16_t(-int(Selected<kSelection>(source.mask[x])));
    if constexpr (kLanes == kAlphaEntryLanes) {
      sum[0] = uint16_t(sum[0] + (source.values[x] & take));
    } else {
      for (int c = 0; c < 3; ++c) sum[c] = uint16_t(sum[c] + (source.values[3 * x + c] & take));
      sum[3] = uint16_t(sum[3] + (take & 1));
    }
    std::memcpy(entry, sum, kLanes * sizeof(uint16_t));
  }
}

#if HWY_TARGET == HWY_SCALAR
// Processors without 128-bit vectors: every pixel one after the other.
template <int kLanes, PrefixSelection kSelection>
int AddPixelRuns(const PrefixSource<uint8_t>&, int, uint16_t*) {
  return 0;
}
#else
using D8 = hn::Full128<uint8_t>;
using D16 = hn::Full128<uint16_t>;
using D64 = hn::Full128<uint64_t>;

// 0xFF for the mask bytes whose pixels the row sums, 0 for the others.
template <PrefixSelection kSelection, class D>
hn::Vec<D> SelectedBytes(D d8, hn::Vec<D> mask) {
  if constexpr (kSelection == PrefixSelection::SliceOnly) return hn::VecFromMask(d8, hn::Eq(mask, hn::Set(d8, 255)));
  return hn::VecFromMask(d8, hn::Not(hn::Eq(mask, hn::Zero(d8))));
}

// Several pixels at a time while their loads stay within the row (a colour load takes 16 bytes
// for the 6 it uses); returns where it stopped. `entry` is that of the sums through pixel 0.
//
// Colour entries: two pixels a vector, their bytes spread into lanes (red, green, blue, count),
// summed in the vector, then added to the running sums of the pixels before. Alpha entries:
// eight pixels a vector, summed in it in three steps.
template <int kLanes, PrefixSelection kSelection>
int AddPixelRuns(const PrefixSource<uint8_t>& source, int width, uint16_t* entry) {
  const D8 d8;
  const D16 d16;
  const D64 d64;
  constexpr uint8_t Z = 0x80;  // a table index that gives 0
  int x = 0;
  auto running = hn::Zero(d16);
  if constexpr (kLanes == kColourEntryLanes) {
    alignas(16) static constexpr uint8_t kSpread[16] = {0, Z, 1, Z, 2, Z, Z, Z, 3, Z, 4, Z, 5, Z, Z, Z};
    alignas(16) static constexpr uint8_t kPairSelect[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1};
    const auto spread = hn::Load(d8, kSpread);
    const auto pairSelect = hn::Load(d8, kPairSelect);
    const auto count = hn::BitCast(d16, hn::Set(d64, uint64_t(1) << 48));
    for (; x + 22 <= width; x += 16) {
      auto selected = SelectedBytes<kSelection>(d8, hn::LoadU(d8, source.mask + x));
      const uint8_t* colour = source.values + 3 * x;
      uint16_t* e = entry + std::ptrdiff_t(x) * kLanes;
      for (int pair = 0; pair < 8; ++pair, colour += 6, e += 2 * kLanes) {
        auto v = hn::Or(hn::BitCast(d16, hn::TableLookupBytesOr0(hn::LoadU(d8, colour), spread)), count);
        v = hn::And(v, hn::BitCast(d16, hn::TableLookupBytes(selected, pairSelect)));
        selected = hn::ShiftRightBytes<2>(d8, selected);
        v = hn::Add(v, hn::ShiftLeftBytes<8>(d16, v));  // the second pixel's sums include the first's
        v = hn::Add(v, running);
        hn::StoreU(v, d16, e);
        running = hn::BitCast(d16, hn::InterleaveUpper(d64, hn::BitCast(d64, v), hn::BitCast(d64, v)));
      }
    }
  } else {
    const hn::Full64<uint8_t> d8half;
    for (; x + 8 <= width; x += 8) {
      const auto taken = hn::And(hn::LoadU(d8half, source.values + x),
                                 SelectedBytes<kSelection>(d8half, hn::LoadU(d8half, source.mask + x)));
      auto v = hn::PromoteTo(d16, taken);
      v = hn::Add(v, hn::ShiftLeftLanes<1>(d16, v));
      v = hn::Add(v, hn::ShiftLeftLanes<2>(d16, v));
      v = hn::Add(v, hn::ShiftLeftLanes<4>(d16, v));
      v = hn::Add(v, running);
      hn::StoreU(v, d16, entry + x);
      running = hn::Broadcast<7>(v);
    }
  }
  return x;
}
#endif

template <int kLanes, PrefixSelection kSelection>
void BuildRow(const PrefixSource<uint8_t>& source, int width, int pad, int overreach, uint16_t* entries) {
  std::fill(entries, entries + std::size_t(pad + 1) * kLanes, uint16_t(0));
  uint16_t* entry = entries + std::size_t(pad + 1) * kLanes;  // the sums through pixel 0
  const int x = AddPixelRuns<kLanes, kSelection>(source, width, entry);
  uint16_t sum[kLanes] = {};
  if (x > 0) std::memcpy(sum, entry + std::ptrdiff_t(x - 1) * kLanes, sizeof sum);
  AddPixels<kLanes, kSelection>(source, x, width, sum, entry + std::ptrdiff_t(x) * kLanes);
  entry += std::ptrdiff_t(width) * kLanes;
  for (int e = 0; e < pad + overreach; ++e, entry += kLanes) std::memcpy(entry, sum, sizeof sum);
}

template <int kLanes>
void BuildRowOf(const PrefixSource<uint8_t>& source, PrefixSelection selection, int width, int pad, int overreach,
                uint16_t* entries) {
  if (selection == PrefixSelection::SliceOnly) {
    BuildRow<kLanes, PrefixSelection::SliceOnly>(source, width, pad, overreach, entries);
  } else {
    BuildRow<kLanes, PrefixSelection::SliceAndBehind>(source, width, pad, overreach, entries);
  }
}

void BuildPrefixRow(const PrefixSource<uint8_t>& source, PrefixSelection selection, int width, int pad, int overreach,
                    int lanes, uint16_t* entries) {
  if (lanes == kColourEntryLanes) return BuildRowOf<kColourEntryLanes>(source, selection, width, pad, overreach, entries);
  BuildRowOf<kAlphaEntryLanes>(source, selection, width, pad, overreach, entries);
}

}  // namespace HWY_NAMESPACE
}  // namespace fovara_dof
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fovara_dof {
HWY_EXPORT(BuildPrefixRow);
}  // namespace fovara_dof

void BuildPrefixRow(const PrefixSource<uint8_t>& source, PrefixSelection selection, int width, int pad, int overreach,
                    int lanes, uint16_t* entries) {
  HWY_DYNAMIC_DISPATCH(fovara_dof::BuildPrefixRow)(source, selection, width, pad, overreach, lanes, entries);
}
#endif
