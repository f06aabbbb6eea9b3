#include "project/ProjectView.h"

#include <algorithm>

#include "project/ImageViewport.h"
#include "project/ProjectData.h"
#include "project/ProjectFilter.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/WorkAside.h"
#include "platform/image/FloatLayers.h"

namespace {


// The alpha of an image as grey bytes, whether it is held as bytes or as float.
std::unique_ptr<NTBitmap> AlphaPicture(const CLayerBitmap* image) {
  const Bitmap* layer = image ? GetAlphaLayer(*image) : nullptr;
  return layer ? std::make_unique<NTBitmap>(*layer) : nullptr;
}

// How float colour is shown: the light scaled by the exposure, then the sRGB curve or the
// colour configuration's display and view.
struct FloatDisplay {
  float exposureStops = 0.0f;
  const DisplayTransform* transform = nullptr;
};

// Float colour as display bytes; its alpha as bytes.
std::unique_ptr<NTBitmap> FloatColourPicture(const CLayerBitmap& image, FloatDisplay display, bool& transparent) {
  const auto& colour = *image.GetLayer<rgbFloatBitmap>();
  const alphaFloatBitmap* alpha = image.GetLayer<alphaFloatBitmap>();
  if (alpha && (alpha->GetWidth() != colour.GetWidth() || alpha->GetHeight() != colour.GetHeight())) alpha = nullptr;
  auto encoded = display.transform ? EncodeColour(colour, alpha, display.exposureStops, *display.transform)
                                   : EncodeColour(colour, alpha, display.exposureStops);
  auto picture = std::make_unique<NTBitmap>(*encoded);
  if (!alpha) return picture;
  float lowest = 1.0f;
  for (int y = 0; y < picture->GetHeight(); ++y) {
    const float* a = alpha->GetLine(y);
    uint8_t* p = picture->GetLine(y);
    for (int x = 0; x < picture->GetWidth(); ++x) {
      const float clipped = std::clamp(a[x], 0.0f, 1.0f);
      p[4 * x + 3] = uint8_t(clipped * 255.0f + 0.5f);
      lowest = std::min(lowest, clipped);
    }
  }
  transparent = lowest < 1.0f;
  return picture;
}

// The colour of an image as it is shown: premultiplied colour with its alpha, so that the
// view can show what is transparent (over a checkerboard). Float colour is shown at the
// exposure, through the display's transform.
std::unique_ptr<NTBitmap> ColourPicture(const CLayerBitmap* image, FloatDisplay display, bool& transparent) {
  if (image && HasFloatColour(*image)) return FloatColourPicture(*image, display, transparent);
  const Bitmap* colour = image ? image->GetLayerByType(kRgbBitmap) : nullptr;
  auto picture = colour ? std::make_unique<NTBitmap>(*colour) : nullptr;
  const alphaBitmap* alpha = image ? image->GetLayer<alphaBitmap>() : nullptr;
  if (!picture || !alpha || alpha->GetWidth() != picture->GetWidth() || alpha->GetHeight() != picture->GetHeight()) {
    return picture;
  }
  uint8_t lowest = 255;
  for (int y = 0; y < picture->GetHeight(); ++y) {
    const uint8_t* a = alpha->GetLine(y);
    uint8_t* p = picture->GetLine(y);
    for (int x = 0; x < picture->GetWidth(); ++x) {
      p[4 * x + 3] = a[x];
      lowest = std::min(lowest, a[x]);
    }
  }
  transparent = lowest != 255;
  return picture;
}

}  // namespace

// The new displayed picture of a mode; change is false when the mode keeps the view as it is.
std::unique_ptr<NTBitmap> ProjectView::MakeDisplayedImage(uint32_t mode, std::unique_ptr<NTBitmap> picture,
                                                          bool& change, bool& transparent) const {
  change = true;
  transparent = false;
  std::unique_ptr<NTBitmap> shown;
  const FloatDisplay display{displayExposure_, displayTransform_.get()};
  const CLayerBitmap* image = project_.GetCurrentImage();
  const CLayerBitmap* lastResult = project_.GetLastResult();
  ProjectFilter* filter = project_.GetFilter();
  switch (mode) {
    case kViewImage: return ColourPicture(image, display, transparent);
    case kViewLastResult: shown = ColourPicture(lastResult, display, transparent); break;
    case kViewGreyDepth:
    case kViewColourDepth: {
      const depthBitmap* depth = image ? image->GetLayer<depthBitmap>() : nullptr;
      if (depth) {
        auto converted = depth->GetDepthPicture(mode == kViewGreyDepth ? kGreyBitmap : kRgbBitmap, depthViewMode_,
                                               depthViewFactor_);
        shown = std::make_unique<NTBitmap>(*converted);
      }
      break;
    }
    case kViewFilterPreview: return filter ? filter->GetViewBitmap(mode) : nullptr;
    case kViewImageAlpha: shown = AlphaPicture(image); break;
    case kViewResultAlpha: shown = AlphaPicture(lastResult); break;
    case kViewGivenPicture: return picture;
    default:
      if (mode >= kFilterViewModeBase && filter) shown = filter->GetViewBitmap(mode);
      break;
  }
  change = shown != nullptr;
  return shown;
}

void ProjectView::SetViewMode(uint32_t mode, bool redraw, bool force, std::unique_ptr<NTBitmap> picture) {
  if (mode == viewMode_ && !force) return;
  bool change = true;
  bool transparent = false;
  std::unique_ptr<NTBitmap> shown;
  // The frame and the last result, when there is one, are always there to show: in a headless
  // session nobody sees them.
  const CLayerBitmap* image = project_.GetCurrentImage();
  const bool unseen = !project_.Viewport().ShowsFrames() &&
                      (mode == kViewImage || (mode == kViewLastResult && project_.GetLastResult()));
  if (unseen) {
  } else if (image && IsBigFrame(*image)) {
    // The picture of a big frame takes a good part of a second: made on a thread of its own
    // while the window keeps answering. It reads this project, so it is waited for to the end.
    struct Made {
      std::unique_ptr<NTBitmap> shown;
      bool change = true;
      bool transparent = false;
    };
    auto given = std::make_shared<std::unique_ptr<NTBitmap>>(std::move(picture));
    auto made = RunAside<std::shared_ptr<Made>>(
        project_.UI(), project_.abandoned_, project_.UI().Text(kUpdatingView),
        [this, mode, given] {
          auto result = std::make_shared<Made>();
          result->shown = MakeDisplayedImage(mode, std::move(*given), result->change, result->transparent);
          return result;
        },
        Giving::NeverUp);
    shown = std::move((*made)->shown);
    change = (*made)->change;
    transparent = (*made)->transparent;
  } else {
    shown = MakeDisplayedImage(mode, std::move(picture), change, transparent);
  }
  if (!change) return;
  displayedTransparent_ = transparent;
  displayedImage_ = std::move(shown);
  // Set before the view hears of the picture: what it asks of the pixel under the cursor
  // depends on the mode.
  viewMode_ = mode;
  project_.Viewport().SetDisplayedImage(displayedImage_.get());
  if (redraw) RedrawView(false);
}

void ProjectView::SetDisplayExposure(float stops) {
  stops = std::clamp(stops, kMinExposure, kMaxExposure);
  if (stops == displayExposure_) return;
  displayExposure_ = stops;
  if (viewMode_ == kViewImage || viewMode_ == kViewLastResult) SetViewMode(viewMode_, true, true);
}

void ProjectView::SetDisplayTransform(std::shared_ptr<const DisplayTransform> transform) {
  if (transform == displayTransform_) return;
  displayTransform_ = std::move(transform);
  if (viewMode_ == kViewImage || viewMode_ == kViewLastResult) SetViewMode(viewMode_, true, true);
}

void ProjectView::RedrawView(bool updateNow) { project_.Viewport().Redraw(updateNow); }

void ProjectView::SetDepthView(int mode, float factor) {
  depthViewMode_ = mode;
  depthViewFactor_ = factor;
}

void ProjectView::Clear() {
  displayedTransparent_ = false;
  project_.Viewport().SetDisplayedImage(nullptr);
  displayedImage_.reset();
  viewMode_ = 0;
}
