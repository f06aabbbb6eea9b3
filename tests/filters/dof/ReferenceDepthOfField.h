#pragma once
// The depth-of-field slice rendering written out plainly: one pixel after the other, one
// thread, every window tap visited. It is the yardstick of the renderer, which must give the
// same bytes. It shares the blur law, the slice list and the kernel table with the program;
// those are tested on their own.

#include <memory>

#include "platform/image/LayerBitmap.h"

class BlurKernelTable;
class DepthOfFieldSettings;
class DepthOfFieldOptions;

std::unique_ptr<g8Bitmap> ReferenceBuildSliceMask(const DepthOfFieldSettings& settings, const depthBitmap& depth,
                                                  const BlurKernelTable& table, double lo, double hi);

// False when cancelled.
bool ReferenceCompositeSlice(const DepthOfFieldSettings& settings, const rgbBitmap& colour, const depthBitmap& depth,
                             rgbBitmap& output, const g8Bitmap& mask, const BlurKernelTable& table);

std::unique_ptr<CLayerBitmap> ReferenceRenderFrame(const DepthOfFieldSettings& settings,
                                                   const DepthOfFieldOptions& options, const g8Bitmap& diaph,
                                                   const CLayerBitmap& frame, int imageIndex, int imageCount);

std::unique_ptr<CLayerBitmap> ReferenceRenderPreview(const DepthOfFieldSettings& settings,
                                                     const DepthOfFieldOptions& options, const g8Bitmap& diaph,
                                                     const CLayerBitmap& frame, int x, int y, int width,
                                                     int height);
