#include "filters/dof/PrefixRows.h"

#include <algorithm>
#include <cstring>

#include "filters/dof/WindowSums.h"

namespace {

// The running sums wrap modulo 2^16 lane by lane, as the window sums expect.
template <int kLanes, PrefixSelection kSelection>
void BuildRow(const PrefixSource& source, int width, int pad, int overreach, uint16_t* entry) {
  constexpr bool kAlpha = kLanes == kColourAlphaEntryLanes;
  constexpr int kCount = kAlpha ? 4 : 3;
  uint16_t sum[kLanes] = {};
  std::fill(entry, entry + std::size_t(pad + 1) * kLanes, uint16_t(0));
  entry += std::size_t(pad + 1) * kLanes;
  const uint8_t* colour = source.colour;
  for (int x = 0; x < width; ++x, colour += 3, entry += kLanes) {
    const uint8_t m = source.mask[x];
    const bool selected = kSelection == PrefixSelection::SliceOnly ? m == 255 : m != 0;
    // All ones or none: the pixel's values are added or not without a branch.
    const uint16_t take = uint16_t(-int(selected));
    sum[0] = uint16_t(sum[0] + (colour[0] & take));
    sum[1] = uint16_t(sum[1] + (colour[1] & take));
    sum[2] = uint16_t(sum[2] + (colour[2] & take));
    if constexpr (kAlpha) sum[3] = uint16_t(sum[3] + (source.alpha[x] & take));
    sum[kCount] = uint16_t(sum[kCount] + (take & 1));
    std::memcpy(entry, sum, sizeof sum);
  }
  for (int e = 0; e < pad + overreach; ++e, entry += kLanes) std::memcpy(entry, sum, sizeof sum);
}

template <int kLanes>
void BuildRowOf(const PrefixSource& source, PrefixSelection selection, int width, int pad, int overreach,
                uint16_t* entries) {
  if (selection == PrefixSelection::SliceOnly) {
    BuildRow<kLanes, PrefixSelection::SliceOnly>(source, width, pad, overreach, entries);
  } else {
    BuildRow<kLanes, PrefixSelection::SliceAndBehind>(source, width, pad, overreach, entries);
  }
}

}  // namespace

void BuildPrefixRow(const PrefixSource& source, PrefixSelection selection, int width, int pad, int overreach,
                    int lanes, uint16_t* entries) {
  if (lanes == kColourEntryLanes) return BuildRowOf<kColourEntryLanes>(source, selection, width, pad, overreach, entries);
  BuildRowOf<kColourAlphaEntryLanes>(source, selection, width, pad, overreach, entries);
}
