#pragma once
// What the slice composite (SliceComposite.cpp) does differently for 8-bit and float colour,
// as the policy it is templated on: the prefix rows' entries and how a row of samples becomes
// them, the taps' weights, the window sums and the type of their results. The walk over bands,
// rows and kernel runs, the averages and the border blend are the composite's, for both.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "filters/dof/PrefixRows.h"
#include "filters/dof/SlicePasses.h"
#include "filters/dof/WindowSums.h"

class KernelTapRows;

// Pixels whose windows are summed by one call: enough to fill the widest vectors several times.
constexpr int kChunkPixels = 64;

// The count's lane in a colour entry.
constexpr int kCountLane = 3;

// A window's sum divided by its weight; 0 for a weight of 0.
template <typename Sum>
Sum Average(Sum sum, Sum weight) {
  return weight != 0 ? sum / weight : 0;
}

// The entries of pixel 0 of a row's prefix rows: colour and alpha (nullptr without alpha).
template <typename Entry>
struct RowEntries {
  const Entry* colour;
  const Entry* alpha;
};

// The taps of a kernel's window centred on one row, clipped to the image: in the colour rows
// and in the alpha rows (nullptr without alpha), and how many.
struct WindowTaps {
  const WindowTap* colour;
  const WindowTap* alpha;
  int count;
};

// How a composite's prefix rows lie: the image's width and the padding on either side.
struct PrefixRowShape {
  int width;
  int pad;
  // Lanes of a row (or of each part of a row that has several) of entries of `lanes` lanes.
  std::ptrdiff_t RowLanes(int lanes) const {
    return std::ptrdiff_t(PrefixRowEntries(width, pad, WindowSumsOverreach(lanes))) * lanes;
  }
};

// 8-bit colour: 16-bit entries summed with the kernel's whole weights, so that every average is
// exact, truncated to a byte; the border blend in double precision.
class ByteSamples {
 public:
  using Sample = uint8_t;
  using Entry = uint16_t;
  using Sum = uint32_t;
  using Share = double;
  struct Weights {};  // the taps carry their own
  // The next band's rows are built while a band is composited, on several threads.
  static constexpr bool kBuildAhead = true;

  ByteSamples(const SliceLayers&, SliceWorkspace&, int width, int pad) : shape_{width, pad} {}

  static PrefixRowStorage<Entry>& Storage(SliceWorkspace& workspace) { return workspace.byteRows; }
  std::ptrdiff_t Stride(int lanes) const { return shape_.RowLanes(lanes); }

  void BuildRow(const PrefixSource<Sample>& source, int, int lanes, PrefixSelection selection, Entry* row) const {
    BuildPrefixRow(source, selection, shape_.width, shape_.pad, WindowSumsOverreach(lanes), lanes, row);
  }

  void Weigh(const WindowTaps&, const KernelTapRows&, int, Weights&) const {}

  // The window sums of pixels [x, x + count): kColourEntryLanes a pixel, and the alpha when
  // asked for.
  void Sums(const RowEntries<Entry>& rows, const WindowTaps& taps, const Weights&, int x, int count, Sum* colour,
            Sum* alpha) const {
    SumWindows(rows.colour, kColourEntryLanes, taps.colour, taps.colour + taps.count, x, count, colour);
    if (alpha) SumWindows(rows.alpha, kAlphaEntryLanes, taps.alpha, taps.alpha + taps.count, x, count, alpha);
  }
  // The same with red, green and blue divided by the count.
  void Averages(const RowEntries<Entry>& rows, const WindowTaps& taps, const Weights&, int x, int count, Sum* colour,
                Sum* alpha) const {
    AverageWindows(rows.colour, taps.colour, taps.colour + taps.count, x, count, colour);
    if (alpha) SumWindows(rows.alpha, kAlphaEntryLanes, taps.alpha, taps.alpha + taps.count, x, count, alpha);
  }

 private:
  PrefixRowShape shape_;
};

// Float colour (linear light, premultiplied, unclipped): 32-bit entries in fixed point with a
// scale for each row (PrefixRows.h), and, when the frame holds lights thousands of times
// brighter than white, a fine part after the coarse one in each row. The taps' weights undo
// each row's scale; averages and blend keep single precision without rounding, so that lights
// far brighter than white keep their energy when they spread into discs.
class FloatSamples {
 public:
  using Sample = float;
  using Entry = int32_t;
  using Sum = float;
  using Share = float;
  // Rows of two bands at once would double the ring, to 16 MB for a full HD frame: that costs
  // more in the caches than building while compositing gains.
  static constexpr bool kBuildAhead = false;
  // The taps' weights lane by lane for one centre row: each row's scale undone on the colour
  // lanes, the count lane as it is; the fine parts' are 1 / kFineSteps of those, without count.
  struct Weights {
    std::vector<float> colour;
    std::vector<float> alpha;
    std::vector<float> fineColour;
    std::vector<float> fineAlpha;
  };

  FloatSamples(const SliceLayers& layers, SliceWorkspace& workspace, int width, int pad);

  static PrefixRowStorage<Entry>& Storage(SliceWorkspace& workspace) { return workspace.floatRows; }
  std::ptrdiff_t Stride(int lanes) const { return shape_.RowLanes(lanes) * (fine_ ? 2 : 1); }

  void BuildRow(const PrefixSource<Sample>& source, int y, int lanes, PrefixSelection selection, Entry* row) const;
  // The weights of a window centred on row y, whose taps lie in rows as `rows` says.
  void Weigh(const WindowTaps& taps, const KernelTapRows& rows, int y, Weights& weights) const;
  void Sums(const RowEntries<Entry>& rows, const WindowTaps& taps, const Weights& weights, int x, int count,
            Sum* colour, Sum* alpha) const;
  void Averages(const RowEntries<Entry>& rows, const WindowTaps& taps, const Weights& weights, int x, int count,
                Sum* colour, Sum* alpha) const;

 private:
  void FindRowScales(const SliceLayers& layers);
  bool NeedsFineRows() const;

  const PrefixRowShape shape_;
  const int height_;
  const bool withAlpha_;
  SliceWorkspace& workspace_;
  bool fine_ = false;  // whether the frame needs fine parts
};
