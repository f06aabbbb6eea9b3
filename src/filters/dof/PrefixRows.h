#pragma once
// Rows of prefix sums over the pixels of a slice mask that a composite takes, for the window
// sums (WindowSums.h). Entry e of a row holds the sums over the selected pixels left of
// x = e - pad: the channels and the pixel count, each in a 16-bit lane kept modulo 2^16. The
// row is padded by `pad` entries on the left and by pad + 1 + overreach on the right, so that
// windows clipped by the image edges cost nothing (outside pixels add nothing) and vector loads
// stay inside the row.
//
// The rows live in a ring: a pass walks its bands from the top down, and the rows that one
// band shares with the next are built once, while the band before is composited. The ring's
// first rows are kept a second time after its end, so that the rows around any row lie at a
// fixed stride from it: a window's taps are then plain offsets from the entry of its pixel.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "filters/dof/ParallelRows.h"

// Which pixels a prefix row sums, by their mask value.
enum class PrefixSelection {
  SliceAndBehind,  // every value but 0: the slice and what lies behind it
  SliceOnly,       // 255: the slice itself
};

// What a row is built from: a mask row and its colour row (3 bytes a pixel) for colour entries,
// or its alpha row for alpha entries.
struct PrefixSource {
  const uint8_t* mask;
  const uint8_t* colour;
  const uint8_t* alpha;
};

// Builds one prefix row of `lanes` lanes an entry (kColourEntryLanes or kAlphaEntryLanes)
// into `entries`, which holds PrefixRowEntries(width, pad, overreach) entries.
void BuildPrefixRow(const PrefixSource& source, PrefixSelection selection, int width, int pad, int overreach,
                    int lanes, uint16_t* entries);

inline std::size_t PrefixRowEntries(int width, int pad, int overreach) {
  return std::size_t(width) + 2 * std::size_t(pad) + 1 + std::size_t(overreach);
}

class PrefixRing {
 public:
  // A ring of `ringRows` rows (at least 2 * reach + 1) in `storage`, which keeps its capacity
  // from one slice to the next; windows reach `reach` rows up and down.
  PrefixRing(std::vector<uint16_t>& storage, int width, int pad, int overreach, int lanes, int ringRows, int reach)
      : storage_(storage),
        width_(width),
        pad_(pad),
        overreach_(overreach),
        lanes_(lanes),
        ringRows_(ringRows),
        reach_(reach),
        stride_(std::ptrdiff_t(PrefixRowEntries(width, pad, overreach)) * lanes) {}

  // Rows [first, end) that are not available: those from the end of the available rows when
  // `first` lies within them, else all of them.
  RowRange Missing(int first, int end) const {
    return {(first >= availableFirst_ && first <= availableEnd_) ? std::min(availableEnd_, end) : first, end};
  }
  // After the rows Missing(first, end) gave have been built: rows [first, end) are available,
  // and those before `first` may be overwritten. `first` never decreases from call to call, and
  // the available rows span at most the ring.
  void MarkAvailable(int first, int end) {
    availableEnd_ = (first >= availableFirst_ && first <= availableEnd_) ? std::max(availableEnd_, end) : end;
    availableFirst_ = first;
  }

  // Makes room for the ring; before any row is built.
  void Prepare() {
    const std::size_t size = std::size_t(ringRows_ + 2 * reach_) * std::size_t(stride_);
    if (storage_.size() < size) storage_.resize(size);
  }
  // Builds row y (any thread; one call a row).
  void BuildRow(int y, const PrefixSource& source, PrefixSelection selection) {
    const int slot = y % ringRows_;
    uint16_t* row = storage_.data() + std::size_t(slot) * std::size_t(stride_);
    BuildPrefixRow(source, selection, width_, pad_, overreach_, lanes_, row);
    // A window that starts near the ring's end reads on past it, into this copy.
    if (slot < 2 * reach_) std::copy(row, row + stride_, row + std::ptrdiff_t(ringRows_) * stride_);
  }

  // The entry of pixel 0 of row y; row y + dy, for |dy| up to the reach, lies dy strides away
  // (rows y - reach to y + reach must be available).
  const uint16_t* PixelZero(int y) const {
    // Rows y - reach to y + reach lie in the slots from that of y - reach on, past the ring's
    // end into the copies of its first rows.
    const int firstSlot = ((y - reach_) % ringRows_ + ringRows_) % ringRows_;
    return storage_.data() + std::size_t(firstSlot + reach_) * std::size_t(stride_) + std::size_t(pad_) * lanes_;
  }
  // Lanes from one row to the next.
  std::ptrdiff_t Stride() const { return stride_; }

 private:
  std::vector<uint16_t>& storage_;
  const int width_;
  const int pad_;
  const int overreach_;
  const int lanes_;
  const int ringRows_;
  const int reach_;
  const std::ptrdiff_t stride_;
  int availableFirst_ = 0;
  int availableEnd_ = 0;  // rows [availableFirst_, availableEnd_) hold their sums
};
