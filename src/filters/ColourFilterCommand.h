#pragma once
// The render operations shared by the four colour filters (Z Saturation, Z Luminance, Z Hue,
// atmospheric perspective): each pixel of the output follows from the same pixel's colour and
// depth by the filter's law, in five progress steps.

#include "filters/DepthFilterCommand.h"

class rgbBitmap;
class rgbFloatBitmap;

class ColourFilterCommand : public DepthFilterCommand {
 public:
  using DepthFilterCommand::DepthFilterCommand;

  std::unique_ptr<CLayerBitmap> RenderPreview(const KeyframeSettings& settings, int x, int y, int width, int height,
                                              RenderProgress& progress) override;
  std::unique_ptr<CLayerBitmap> RenderFrame(const KeyframeSettings& settings, int frameIndex, int frameCount,
                                            RenderProgress& progress) override;
  std::unique_ptr<NTBitmap> GetViewBitmap(uint32_t viewMode) override;
  int HasEffectPreview() const override { return 1; }

 protected:
  // The filter's law over a source (colour and depth layers) into a destination of its size.
  // False when the user cancelled.
  virtual bool FilterPixels(const KeyframeSettings& settings, const CLayerBitmap& source, rgbBitmap& destination,
                            RenderProgress& progress) = 0;
  // The same on float colour. A filter without a float law works on the display bytes of the
  // frame, decoded back to linear light afterwards (values above white are lost).
  virtual bool FilterFloatPixels(const KeyframeSettings& settings, const CLayerBitmap& source,
                                 rgbFloatBitmap& destination, RenderProgress& progress);

 private:
  std::unique_ptr<Bitmap> RenderInProgress(const KeyframeSettings& settings, const CLayerBitmap& source,
                                           int frameIndex, int frameCount, RenderProgress& progress);
};
