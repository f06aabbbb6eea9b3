#pragma once
// What the project needs of the image view. The desktop view implements it; headless
// sessions use the default, which shows nothing.

#include <cstdint>
#include <memory>

#include "platform/image/LayerBitmap.h"
#include "platform/image/NTBitmap.h"

class ImageViewport {
 public:
  virtual ~ImageViewport() = default;
  // The displayed picture (null: nothing to show). The view keeps its own copy or pointer
  // only until the next call.
  virtual void SetDisplayedImage(const NTBitmap* image) { (void)image; }
  // Invalidates the whole view; updateNow repaints at once.
  virtual void Redraw(bool updateNow) { (void)updateNow; }
  // The rendered picture of a rectangle shown over the image until the next click.
  virtual void SetOverlay(const ImageRect& rect, std::unique_ptr<NTBitmap> picture) { (void)rect; (void)picture; }
  virtual void ClearOverlay() {}
  virtual bool HasOverlay() const { return false; }
  // Zoom reset, zoom to fit or actual pixels, by the navigation command's id.
  virtual void ApplyZoom(uint32_t commandId) { (void)commandId; }
  // Whether anyone sees the frame itself: a headless session does not, and skips making its
  // displayed picture (a float frame's costs a pass over every value).
  virtual bool ShowsFrames() const { return true; }
};

// The view of a headless session: nothing is shown.
class SilentViewport final : public ImageViewport {
 public:
  bool ShowsFrames() const override { return false; }
};
