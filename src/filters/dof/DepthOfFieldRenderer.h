#pragma once
// The depth-of-field render of a frame or of a preview rectangle: the depth range is cut into
// slices by blur amount and the slices are rendered from the farthest to the nearest into one
// output, so a blurred object never takes colour from what stands in front of it while its
// blurred border spills over what lies behind it.
//
// Renders run on the calling thread and poll the given progress every 80 rows of each pass
// (the rows in between are spread over all cores); a cancel yields nothing. Background markers
// left in a depth layer count as the maximum depth, as the project makes them on loading.

#include <memory>

#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"

class DepthOfFieldSettings;
class DepthOfFieldOptions;
class g8Bitmap;

class DepthOfFieldRenderer {
 public:
  // The renderer reads these for the duration of each call; it keeps no copy.
  DepthOfFieldRenderer(const DepthOfFieldSettings& settings, const DepthOfFieldOptions& options,
                       const g8Bitmap& diaphPicture)
      : settings_(settings), options_(options), diaph_(diaphPicture) {}

  // The rendered colour layer and, when the frame has alpha, an alpha layer (rendered the same
  // way when ApplyOnAlpha is set, else copied). Null when cancelled or when the frame lacks its
  // colour or depth layer. imageIndex / imageCount only feed the progress text.
  std::unique_ptr<CLayerBitmap> RenderFrame(const CLayerBitmap& frame, int imageIndex, int imageCount,
                                            RenderProgress& progress) const;

  // The rendered colour layer of a rectangle of the frame; the blur sees only the rectangle,
  // while the slices come from the whole frame's depth. Null when the rectangle does not lie
  // within the frame or when cancelled.
  std::unique_ptr<CLayerBitmap> RenderPreview(const CLayerBitmap& frame, const ImageRect& rect,
                                              RenderProgress& progress) const;

 private:
  const DepthOfFieldSettings& settings_;
  const DepthOfFieldOptions& options_;
  const g8Bitmap& diaph_;
};
