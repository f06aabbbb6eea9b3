#include "filters/dof/DepthOfFieldRenderer.h"

#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/DepthSlices.h"
#include "filters/dof/Highlights.h"
#include "filters/DepthTiles.h"
#include "filters/dof/ProgressBands.h"
#include "filters/dof/SlicePasses.h"
#include "platform/image/FloatLayers.h"

namespace {

constexpr int kProgressStepSize = 10;

// A depth layer as the passes read it, with its summary.
// The project replaces background markers (infinite, undefined or huge depths) by the maximum
// depth when it loads a frame. A frame that still holds some gets the same treatment here, on
// a copy: a marker would lie in no slice and its pixel would come out black.
class PassDepth {
 public:
  // The markers take the layer's own maximum depth.
  explicit PassDepth(const depthBitmap& depth) : PassDepth(depth, nullptr) {}
  // The markers take the given depth.
  PassDepth(const depthBitmap& depth, float markerDepth) : PassDepth(depth, &markerDepth) {}

  const depthBitmap& Depth() const { return *depth_; }
  const DepthTiles& Tiles() const { return *tiles_; }

 private:
  PassDepth(const depthBitmap& depth, const float* markerDepth)
      : depth_(&depth), tiles_(std::make_unique<DepthTiles>(depth)) {
    if (tiles_->BackgroundPixelCount() == 0) return;
    copy_.reset(static_cast<depthBitmap*>(depth.Copy().release()));
    copy_->ReplaceBackgroundDepth(markerDepth ? *markerDepth : tiles_->MaxDepth());
    depth_ = copy_.get();
    tiles_ = std::make_unique<DepthTiles>(*copy_);
  }

  const depthBitmap* depth_;
  std::unique_ptr<depthBitmap> copy_;
  std::unique_ptr<DepthTiles> tiles_;
};

// Every slice of the list into the outputs, the farthest first.
bool RenderSlices(const DepthOfFieldSettings& settings, const DepthOfFieldOptions& options, const g8Bitmap& diaph,
                  const DepthSliceList& slices, const SliceLayers& layers, const PassDepth& depth,
                  RenderProgress& progress) {
  SliceWorkspace workspace;
  for (int i = 0; i < slices.GetCount(); ++i) {
    const DepthSlice& s = slices.Get(i);
    if (ProcessSlice(settings, options.KernelStep, layers, depth.Depth(), depth.Tiles(), diaph, s.lo, s.hi,
                     workspace, progress) == SliceResult::Cancelled) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<CLayerBitmap> DepthOfFieldRenderer::RenderFrame(const CLayerBitmap& frame, int imageIndex,
                                                                 int imageCount, RenderProgress& progress) const {
  const Bitmap* frameColour = GetColourLayer(frame);
  const depthBitmap* frameDepth = frame.GetLayer<depthBitmap>();
  if (!frameColour || !frameDepth) return nullptr;
  const PassDepth depth(*frameDepth);
  const RenderColour render = PrepareRenderColour(settings_, *frameColour, GetAlphaLayer(frame));
  const Bitmap& colour = *render.colour;
  const int width = colour.GetWidth();
  const int height = colour.GetHeight();

  const auto slices = BuildSlices(settings_, depth.Tiles(), options_.SliceStep);
  // Each slice has a mask pass and a composite pass, each polling once per 80 rows; a rendered
  // alpha goes through the colour's passes.
  progress.Begin(ProgressStepsForRows(height) * slices->GetCount() * 2, kProgressStepSize, imageIndex, imageCount);

  auto output = Bitmap::CreateFrom(colour, width, height);
  SliceLayers layers{colour, *output};
  // The alpha is rendered as a fourth channel: the same sums as its grey RGB copy would give.
  std::unique_ptr<Bitmap> alphaOutput;
  if (render.alpha && options_.ApplyOnAlpha) {
    alphaOutput = Bitmap::CreateFrom(*render.alpha, width, height);
    layers.alpha = render.alpha;
    layers.alphaOutput = alphaOutput.get();
  }
  const bool completed = RenderSlices(settings_, options_, diaph_, *slices, layers, depth, progress);
  progress.End();
  if (!completed) return nullptr;

  auto result = std::make_unique<CLayerBitmap>(std::move(output));
  if (alphaOutput) {
    result->AddLayer(std::move(alphaOutput));
  } else if (render.alpha) {
    result->AddLayer(render.alpha->Copy());
  }
  if (!render.encodeResult) return result;
  // An 8-bit frame whose highlights were lifted in float comes back as 8 bits.
  return EncodeFloatLayers(*result);
}

std::unique_ptr<CLayerBitmap> DepthOfFieldRenderer::RenderPreview(const CLayerBitmap& frame,
                                                                  const ImageRect& rect,
                                                                  RenderProgress& progress) const {
  const depthBitmap* rawFrameDepth = frame.GetLayer<depthBitmap>();
  if (!rawFrameDepth) return nullptr;
  const auto crop = frame.Crop(kColourAndDepthMask, rect);
  if (!crop) return nullptr;
  const Bitmap* cropColour = GetColourLayer(*crop);
  const depthBitmap* cropDepth = crop->GetLayer<depthBitmap>();
  if (!cropColour || !cropDepth) return nullptr;
  // The crop's markers take the whole frame's maximum depth, as in a frame render (the frame's
  // markers, replaced, do not change it).
  const PassDepth frameDepth(*rawFrameDepth);
  const PassDepth depth(*cropDepth, frameDepth.Tiles().MaxDepth());
  const RenderColour render = PrepareRenderColour(settings_, *cropColour, nullptr);

  // The slices follow the whole frame, so that a preview shows what the frame render gives.
  const auto slices = BuildSlices(settings_, frameDepth.Tiles(), options_.SliceStep);
  progress.Begin(slices->GetCount() * ProgressStepsForRows(rect.height) * 2, kProgressStepSize, 1, 1);
  auto output = Bitmap::CreateFrom(*render.colour, rect.width, rect.height);
  const bool completed =
      RenderSlices(settings_, options_, diaph_, *slices, SliceLayers{*render.colour, *output}, depth, progress);
  progress.End();
  if (!completed) return nullptr;
  auto result = std::make_unique<CLayerBitmap>(std::move(output));
  return render.encodeResult ? EncodeFloatLayers(*result) : std::move(result);
}
