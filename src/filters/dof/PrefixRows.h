#pragma once
// Rows of prefix sums over the pixels of a slice mask that a composite takes, for the window
// sums (WindowSums.h). Entry e of a row holds the sums over the selected pixels left of
// x = e - pad: the channels and the pixel count, or the alpha alone, each lane a whole number
// kept modulo 2^16 (8-bit colour) or 2^32 (float colour, in fixed point). The row is padded by
// `pad` entries on the left and by pad + 1 + overreach on the right, so that windows clipped by
// the image edges cost nothing (outside pixels add nothing) and vector loads stay inside the row.
//
// Float colour in fixed point: each row has a scale of its own, a power of two chosen from its
// brightest value, by which its values are multiplied and rounded to integers below 2^23: the
// sum of any interval of up to 128 pixels then stays below 2^30, so the 32-bit entries give it
// exactly, and a dim row keeps the same relative precision as a bright one. Each value is then
// known to 2^-24 of its row's brightest. Beside a light thousands of times brighter than white
// that is too coarse for the dim pixels of its row, so a frame with such lights also sums the
// rounding's remainder, in fine rows of 2^16 steps to the coarse step (an interval's sum stays
// below 2^22): each value is then known to the precision of its own float. A value that is not
// a number counts as 0; an infinite one as the largest the row can hold.
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

// What a row is built from: a mask row and its colour row (3 samples a pixel) for colour
// entries, or its alpha row for alpha entries.
template <typename Sample>
struct PrefixSource {
  const uint8_t* mask;
  const Sample* values;
};

inline std::size_t PrefixRowEntries(int width, int pad, int overreach) {
  return std::size_t(width) + 2 * std::size_t(pad) + 1 + std::size_t(overreach);
}

// Builds one prefix row of 8-bit samples, of `lanes` lanes an entry (kColourEntryLanes or
// kAlphaEntryLanes), into `entries`, which holds PrefixRowEntries(width, pad, overreach) entries.
void BuildPrefixRow(const PrefixSource<uint8_t>& source, PrefixSelection selection, int width, int pad, int overreach,
                    int lanes, uint16_t* entries);

// The coarse part of a float row (the values rounded at the row's scale, and the count) or its
// fine part (the rounding's remainder in steps of kFineSteps to the coarse step; no count).
enum class FloatPrefixPart { Coarse, Fine };
constexpr float kFineSteps = 65536.0f;

// The brightest value below which the coarse part is enough: a value's error, 2^-24 of it, is
// then below half the first step of the display's 8 bits.
constexpr float kBrightestWithoutFineRows = 2048.0f;

// The scale of a row whose values are `values` floats at `data`: 2^k with the largest finite
// magnitude times it below 2^23 (1 for a row of zeros).
float FloatRowScale(const float* data, std::size_t values);

// Builds one part of a prefix row of float samples multiplied by `scale`, as the 8-bit one.
void BuildPrefixRow(const PrefixSource<float>& source, float scale, FloatPrefixPart part, PrefixSelection selection,
                    int width, int pad, int overreach, int lanes, int32_t* entries);

template <typename Entry>
class PrefixRing {
 public:
  // A ring of `ringRows` rows (at least 2 * reach + 1) of `stride` entries in `storage`, which
  // keeps its capacity from one slice to the next; pixel 0 of a row has its entry `pixelZero`
  // entries into it, and windows reach `reach` rows up and down.
  PrefixRing(std::vector<Entry>& storage, std::ptrdiff_t stride, std::ptrdiff_t pixelZero, int ringRows, int reach)
      : storage_(storage), stride_(stride), pixelZero_(pixelZero), ringRows_(ringRows), reach_(reach) {}

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
  // Builds row y (any thread; one call a row): build(entries) fills the row's stride.
  template <typename Build>
  void BuildRow(int y, Build&& build) {
    const int slot = y % ringRows_;
    Entry* row = storage_.data() + std::size_t(slot) * std::size_t(stride_);
    build(row);
    // A window that starts near the ring's end reads on past it, into this copy.
    if (slot < 2 * reach_) std::copy(row, row + stride_, row + std::ptrdiff_t(ringRows_) * stride_);
  }

  // The entry of pixel 0 of row y; row y + dy, for |dy| up to the reach, lies dy strides away
  // (rows y - reach to y + reach must be available).
  const Entry* PixelZero(int y) const {
    // Rows y - reach to y + reach lie in the slots from that of y - reach on, past the ring's
    // end into the copies of its first rows.
    const int firstSlot = ((y - reach_) % ringRows_ + ringRows_) % ringRows_;
    return storage_.data() + std::size_t(firstSlot + reach_) * std::size_t(stride_) + pixelZero_;
  }
  // Entries from one row to the next.
  std::ptrdiff_t Stride() const { return stride_; }

 private:
  std::vector<Entry>& storage_;
  const std::ptrdiff_t stride_;
  const std::ptrdiff_t pixelZero_;
  const int ringRows_;
  const int reach_;
  int availableFirst_ = 0;
  int availableEnd_ = 0;  // rows [availableFirst_, availableEnd_) hold their sums
};

