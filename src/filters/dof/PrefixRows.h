#pragma once
// Rows of prefix sums over the pixels of a slice mask that a composite takes, for the window
// sums (WindowSums.h). Entry e of a row holds the sums over the selected pixels left of
// x = e - pad: the channels and the pixel count, each in a 16-bit lane kept modulo 2^16. The
// row is padded by `pad` entries on the left and by pad + 1 + overreach on the right, so that
// windows clipped by the image edges cost nothing (outside pixels add nothing) and vector loads
// stay inside the row.
//
// The rows live in a ring: a pass walks its bands from the top down, and the rows that one
// band shares with the next are built once. Each row is kept twice, a ring's length apart, so
// that the rows around any row lie at a fixed stride from it: a window's taps are then plain
// offsets from the entry of its pixel.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "filters/dof/ParallelRows.h"

// Which pixels a prefix row sums, by their mask value.
enum class PrefixSelection {
  SliceAndBehind,  // every value but 0: the slice and what lies behind it
  SliceOnly,       // 255: the slice itself
};

// What a row is built from: a mask row, its colour row (3 bytes a pixel) and, for entries of
// kColourAlphaEntryLanes lanes, its alpha row.
struct PrefixSource {
  const uint8_t* mask;
  const uint8_t* colour;
  const uint8_t* alpha;
};

// Builds one prefix row of `lanes` lanes an entry (kColourEntryLanes or kColourAlphaEntryLanes)
// into `entries`, which holds PrefixRowEntries(width, pad, overreach) entries.
void BuildPrefixRow(const PrefixSource& source, PrefixSelection selection, int width, int pad, int overreach,
                    int lanes, uint16_t* entries);

inline std::size_t PrefixRowEntries(int width, int pad, int overreach) {
  return std::size_t(width) + 2 * std::size_t(pad) + 1 + std::size_t(overreach);
}

class PrefixRing {
 public:
  // A ring of `ringRows` rows, at least 2 * reach + 1, for windows reaching `reach` rows up and down.
  PrefixRing(int width, int pad, int overreach, int lanes, int ringRows, int reach)
      : width_(width),
        pad_(pad),
        overreach_(overreach),
        lanes_(lanes),
        ringRows_(ringRows),
        reach_(reach),
        stride_(std::ptrdiff_t(PrefixRowEntries(width, pad, overreach)) * lanes) {}

  // Makes rows [first, end) available, building on all cores those that are not; the rows of
  // the previous call from `first` on are kept. Calls come with non-decreasing `first`, and
  // end - first is at most the ring's row count. source(y) gives row y's PrefixSource.
  template <typename Source>
  void Ensure(int first, int end, PrefixSelection selection, Source&& source) {
    // Every entry is written before it is read: the buffer is not cleared.
    if (!data_) data_ = std::make_unique_for_overwrite<uint16_t[]>(2 * std::size_t(ringRows_) * std::size_t(stride_));
    const int from = (first >= builtFirst_ && first <= builtEnd_) ? builtEnd_ : first;
    ForRowsInParallel(from, end, [&](int y) {
      uint16_t* row = data_.get() + std::size_t(y % ringRows_) * std::size_t(stride_);
      BuildPrefixRow(source(y), selection, width_, pad_, overreach_, lanes_, row);
      std::copy(row, row + stride_, row + std::ptrdiff_t(ringRows_) * stride_);
    });
    builtFirst_ = first;
    builtEnd_ = std::max(end, from);
  }

  // The entry of pixel 0 of row y; row y + dy, for |dy| up to the reach, lies dy strides away
  // (rows y - reach to y + reach must be available).
  const uint16_t* PixelZero(int y) const {
    // The copies of rows y - reach to y + reach that start in the ring's first half.
    const int firstSlot = ((y - reach_) % ringRows_ + ringRows_) % ringRows_;
    return data_.get() + std::size_t(firstSlot + reach_) * std::size_t(stride_) + std::size_t(pad_) * lanes_;
  }
  // Lanes from one row to the next.
  std::ptrdiff_t Stride() const { return stride_; }

 private:
  const int width_;
  const int pad_;
  const int overreach_;
  const int lanes_;
  const int ringRows_;
  const int reach_;
  const std::ptrdiff_t stride_;
  std::unique_ptr<uint16_t[]> data_;
  int builtFirst_ = 0;
  int builtEnd_ = 0;  // rows [builtFirst_, builtEnd_) hold their sums
};
