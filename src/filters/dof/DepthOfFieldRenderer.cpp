#include "filters/dof/DepthOfFieldRenderer.h"

#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/DepthSlices.h"
#include "filters/dof/ProgressBands.h"
#include "filters/dof/SlicePasses.h"

namespace {

constexpr int kProgressStepSize = 10;

// Every slice of the list into the outputs, the farthest first.
bool RenderSlices(const DepthOfFieldSettings& settings, const DepthOfFieldOptions& options, const g8Bitmap& diaph,
                  const DepthSliceList& slices, const SliceLayers& layers, const floatBitmap& depth) {
  for (int i = 0; i < slices.GetCount(); ++i) {
    const DepthSlice& s = slices.Get(i);
    if (ProcessSlice(settings, options.KernelStep, layers, depth, diaph, s.lo, s.hi) == SliceResult::Cancelled) {
      return false;
    }
  }
  return true;
}

// The project replaces background markers (infinite, undefined or huge depths) by the maximum
// depth when it loads a frame. A frame that still holds some gets the same treatment here, on
// a copy: a marker would lie in no slice and its pixel would come out black.
const floatBitmap& WithoutBackgroundMarkers(const floatBitmap& depth, float maxDepth,
                                            std::unique_ptr<floatBitmap>& copy) {
  if (depth.GetBackgroundPixelCount() == 0) return depth;
  copy.reset(static_cast<floatBitmap*>(depth.Copy().release()));
  copy->ReplaceBackgroundDepth(maxDepth);
  return *copy;
}

}  // namespace

std::unique_ptr<CLayerBitmap> DepthOfFieldRenderer::RenderFrame(const CLayerBitmap& frame, int imageIndex,
                                                                 int imageCount) const {
  const rgbBitmap* colour = frame.GetLayer<rgbBitmap>();
  const floatBitmap* frameDepth = frame.GetLayer<floatBitmap>();
  if (!colour || !frameDepth) return nullptr;
  std::unique_ptr<floatBitmap> replaced;
  const floatBitmap* depth = &WithoutBackgroundMarkers(*frameDepth, frameDepth->GetMaxDepth(), replaced);
  const alphaBitmap* alpha = frame.GetLayer<alphaBitmap>();
  const int width = colour->GetWidth();
  const int height = colour->GetHeight();

  const auto slices = BuildSlices(settings_, *depth, options_.SliceStep);
  // Each slice has a mask pass and a composite pass, each polling once per 80 rows; a rendered
  // alpha goes through the colour's passes.
  BeginProgress(ProgressStepsForRows(height) * slices->GetCount() * 2, kProgressStepSize, imageIndex, imageCount);

  auto output = std::make_unique<rgbBitmap>(width, height);
  SliceLayers layers{*colour, *output};
  // The alpha is rendered as a fourth channel: the same sums as its grey RGB copy would give.
  std::unique_ptr<alphaBitmap> alphaOutput;
  if (alpha && options_.ApplyOnAlpha) {
    alphaOutput = std::make_unique<alphaBitmap>(width, height);
    layers.alpha = alpha;
    layers.alphaOutput = alphaOutput.get();
  }
  const bool completed = RenderSlices(settings_, options_, diaph_, *slices, layers, *depth);
  EndProgress(1);
  if (!completed) return nullptr;

  auto result = std::make_unique<CLayerBitmap>(std::move(output));
  if (alphaOutput) {
    result->AddLayer(std::move(alphaOutput));
  } else if (alpha) {
    result->AddLayer(alpha->Copy());
  }
  return result;
}

std::unique_ptr<CLayerBitmap> DepthOfFieldRenderer::RenderPreview(const CLayerBitmap& frame,
                                                                  const ImageRect& rect) const {
  const floatBitmap* rawFrameDepth = frame.GetLayer<floatBitmap>();
  if (!rawFrameDepth) return nullptr;
  const auto crop = frame.Crop(kColourAndDepthMask, rect);
  if (!crop) return nullptr;
  const rgbBitmap* colour = crop->GetLayer<rgbBitmap>();
  const floatBitmap* cropDepth = crop->GetLayer<floatBitmap>();
  if (!colour || !cropDepth) return nullptr;
  const float maxDepth = rawFrameDepth->GetMaxDepth();
  std::unique_ptr<floatBitmap> replacedFrame;
  std::unique_ptr<floatBitmap> replacedCrop;
  const floatBitmap& frameDepth = WithoutBackgroundMarkers(*rawFrameDepth, maxDepth, replacedFrame);
  const floatBitmap* depth = &WithoutBackgroundMarkers(*cropDepth, maxDepth, replacedCrop);

  // The slices follow the whole frame, so that a preview shows what the frame render gives.
  const auto slices = BuildSlices(settings_, frameDepth, options_.SliceStep);
  BeginProgress(slices->GetCount() * ProgressStepsForRows(rect.height) * 2, kProgressStepSize, 1, 1);
  auto output = std::make_unique<rgbBitmap>(rect.width, rect.height);
  const bool completed = RenderSlices(settings_, options_, diaph_, *slices, SliceLayers{*colour, *output}, *depth);
  EndProgress(1);
  if (!completed) return nullptr;
  return std::make_unique<CLayerBitmap>(std::move(output));
}
