#pragma once
// The composite of a slice on float colour: linear light, premultiplied, unclipped (see
// SlicePasses.h for what a composite does). Sums are kept in double precision, so a constant
// picture blurs to the same constant and a light's energy is kept however bright it is.

#include "filters/dof/SlicePasses.h"

class BlurKernelTable;
class SliceKernelRuns;
class DepthOfFieldSettings;

// What a float slice pass reads and writes, all of the depth layer's size.
struct FloatSliceLayers {
  const rgbFloatBitmap& colour;
  rgbFloatBitmap& output;
  const alphaFloatBitmap* alpha = nullptr;
  alphaFloatBitmap* alphaOutput = nullptr;
};

SliceResult CompositeFloatSlice(const DepthOfFieldSettings& settings, const FloatSliceLayers& layers,
                                const depthBitmap& depth, const g8Bitmap& mask, const BlurKernelTable& table,
                                const SliceKernelRuns& runs, SliceWorkspace& workspace, RenderProgress& progress);
