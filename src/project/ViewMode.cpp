// What the view shows: the view mode and the displayed picture it produces.

#include "filters/DepthFilterCommand.h"
#include "project/ImageViewport.h"
#include "project/ProjectData.h"

namespace {

std::unique_ptr<NTBitmap> LayerPicture(CLayerBitmap* image, uint32_t type) {
  const Bitmap* layer = image ? image->GetLayerByType(type) : nullptr;
  return layer ? std::make_unique<NTBitmap>(*layer) : nullptr;
}

}  // namespace

// The new displayed picture of a mode; change is false when the mode keeps the view as it is.
std::unique_ptr<NTBitmap> ProjectData::MakeDisplayedImage(uint32_t mode, std::unique_ptr<NTBitmap> picture, bool& change) {
  change = true;
  std::unique_ptr<NTBitmap> shown;
  switch (mode) {
    case kViewImage: return LayerPicture(currentImage_.get(), kRgbBitmap);
    case kViewLastResult: shown = LayerPicture(lastResult_.get(), kRgbBitmap); break;
    case kViewGreyDepth:
    case kViewColourDepth: {
      const floatBitmap* depth = currentImage_ ? currentImage_->GetLayer<floatBitmap>() : nullptr;
      if (depth) {
        auto converted = depth->GetFloatBitmap(mode == kViewGreyDepth ? kGreyBitmap : kRgbBitmap, depthViewMode_,
                                               depthViewFactor_);
        shown = std::make_unique<NTBitmap>(*converted);
      }
      break;
    }
    case kViewFilterPreview: return filter_ ? filter_->GetViewBitmap(mode) : nullptr;
    case kViewImageAlpha: shown = LayerPicture(currentImage_.get(), kAlphaBitmap); break;
    case kViewResultAlpha: shown = LayerPicture(lastResult_.get(), kAlphaBitmap); break;
    case kViewGivenPicture: return picture;
    default:
      if (mode >= kFilterViewModeBase && filter_) shown = filter_->GetViewBitmap(mode);
      break;
  }
  change = shown != nullptr;
  return shown;
}

void ProjectData::SetViewMode(uint32_t mode, bool redraw, bool force, std::unique_ptr<NTBitmap> picture) {
  if (mode == viewMode_ && !force) return;
  bool change = true;
  auto shown = MakeDisplayedImage(mode, std::move(picture), change);
  if (!change) return;
  displayedImage_ = std::move(shown);
  View().SetDisplayedImage(displayedImage_.get());
  if (redraw) RedrawView(false);
  viewMode_ = mode;
}

void ProjectData::RedrawView(bool updateNow) { View().Redraw(updateNow); }

void ProjectData::SetLastResult(std::unique_ptr<CLayerBitmap> result, bool updateNow) {
  lastResult_ = std::move(result);
  SetViewMode(kViewLastResult, false, true);
  RedrawView(updateNow);
}

void ProjectData::SetDepthView(int mode, float factor) {
  depthViewMode_ = mode;
  depthViewFactor_ = factor;
}
