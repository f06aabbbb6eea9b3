#pragma once
// Rendering of one depth slice into the output, the farthest slices first:
//   - the mask marks the slice's own pixels (255), the pixels behind it that its blurred border
//     reaches (128 + blur diameter), the other pixels behind it (64) and those in front (0);
//   - the composite replaces each pixel of the slice by the diaph-weighted average of the source
//     around it, taken from the slice and what lies behind it, and blends the slice's border
//     over the pixels behind it that earlier slices rendered.
// Rows between two progress polls are spread over all cores; every pixel's result is computed
// from integer sums whose order does not matter, so the output does not depend on the thread count.
//
// An alpha layer, when given, is rendered along with the colour through the same mask and the
// same kernels: exactly as a fourth colour channel would be.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/RenderProgress.h"
#include "platform/image/Bitmap.h"

class BlurKernelTable;
class SliceKernelRuns;
class DepthOfFieldSettings;
class DepthTiles;

enum class SliceResult { Done, Cancelled };

// Mask values.
constexpr uint8_t kMaskInFront = 0;      // in front of the slice: never taken
constexpr uint8_t kMaskBehind = 64;      // behind the slice, out of its border's reach
constexpr uint8_t kMaskBorderBase = 128; // + blur diameter: behind, reached by the border's blur
constexpr uint8_t kMaskOwn = 255;        // the slice's own pixels

// The mask of the slice lo <= d <= hi, with nobody watching (never cancelled). With the depth
// layer's summary, the rows that cannot hold the slice are not searched for its border.
std::unique_ptr<g8Bitmap> BuildSliceMask(const DepthOfFieldSettings& settings, const depthBitmap& depth,
                                         const BlurKernelTable& table, double lo, double hi);
// The same into a mask of the depth's size, whatever it held, with the table's kernel runs,
// polling the progress; false when cancelled.
bool BuildSliceMask(const DepthOfFieldSettings& settings, const depthBitmap& depth, const DepthTiles& tiles,
                    const BlurKernelTable& table, const SliceKernelRuns& runs, double lo, double hi, g8Bitmap& mask,
                    RenderProgress& progress);

// What a slice pass reads and writes, all of the depth layer's size: the colour (3 channels)
// into its output and, when both are given, the alpha (1 channel) into its own.
struct SliceLayers {
  const Bitmap& colour;
  Bitmap& output;
  const Bitmap* alpha = nullptr;
  Bitmap* alphaOutput = nullptr;
};

// The storage of a composite's prefix rows (PrefixRows.h): the colour and the alpha over the
// slice and what lies behind it, and over the slice alone.
template <typename Entry>
struct PrefixRowStorage {
  std::vector<Entry> notBehind;
  std::vector<Entry> own;
  std::vector<Entry> alphaNotBehind;
  std::vector<Entry> alphaOwn;
};

// Buffers that a render's slices share: the mask and the prefix rows of the composite, kept
// from one slice to the next instead of allocated (and their pages cleared) for each.
struct SliceWorkspace {
  std::unique_ptr<g8Bitmap> mask;
  PrefixRowStorage<uint16_t> byteRows;
  PrefixRowStorage<int32_t> floatRows;
  // Float colour: each row's fixed-point scale and its inverse, found once for the colour
  // that every slice reads.
  const void* scaledColour = nullptr;
  std::vector<float> colourRowScales;
  std::vector<float> alphaRowScales;
  std::vector<float> colourRowUnscales;
  std::vector<float> alphaRowUnscales;
};

// Writes the slice into the outputs; `runs` are those of the table's kernels.
SliceResult CompositeSlice(const DepthOfFieldSettings& settings, const SliceLayers& layers, const depthBitmap& depth,
                           const g8Bitmap& mask, const BlurKernelTable& table, const SliceKernelRuns& runs,
                           SliceWorkspace& workspace, RenderProgress& progress);

// Kernels for the slice's blur range, its mask, then its composite. `tiles` summarises `depth`.
SliceResult ProcessSlice(const DepthOfFieldSettings& settings, double kernelStep, const SliceLayers& layers,
                         const depthBitmap& depth, const DepthTiles& tiles, const g8Bitmap& diaph, double lo,
                         double hi, SliceWorkspace& workspace, RenderProgress& progress);
