#include "filters/ColourFilterCommand.h"

#include <algorithm>

#include "project/ProjectData.h"
#include "platform/framework/Progress.h"
#include "platform/image/FloatLayers.h"

namespace {
constexpr int kProgressSteps = 5;
constexpr int kProgressStepSize = 20;
}  // namespace

std::unique_ptr<Bitmap> ColourFilterCommand::RenderInProgress(const KeyframeSettings& settings,
                                                              const CLayerBitmap& source, int frameIndex,
                                                              int frameCount, RenderProgress& progress) {
  progress.Begin(kProgressSteps, kProgressStepSize, frameIndex, frameCount);
  std::unique_ptr<Bitmap> output;
  bool complete = false;
  if (HasFloatColour(source)) {
    auto floatOutput = std::make_unique<rgbFloatBitmap>(source.GetWidth(), source.GetHeight());
    complete = FilterFloatPixels(settings, source, *floatOutput, progress);
    output = std::move(floatOutput);
  } else {
    auto byteOutput = std::make_unique<rgbBitmap>(source.GetWidth(), source.GetHeight());
    complete = FilterPixels(settings, source, *byteOutput, progress);
    output = std::move(byteOutput);
  }
  progress.End();
  return complete ? std::move(output) : nullptr;
}

bool ColourFilterCommand::FilterFloatPixels(const KeyframeSettings& settings, const CLayerBitmap& source,
                                            rgbFloatBitmap& destination, RenderProgress& progress) {
  const auto shown = EncodeFloatLayers(source);
  rgbBitmap bytes(destination.GetWidth(), destination.GetHeight());
  if (!FilterPixels(settings, *shown, bytes, progress)) return false;
  auto decoded = DecodeColour(bytes, shown->GetLayer<alphaBitmap>());
  std::copy(decoded->GetData(), decoded->GetData() + decoded->GetValueCount(), destination.GetData());
  return true;
}

std::unique_ptr<CLayerBitmap> ColourFilterCommand::RenderPreview(const KeyframeSettings& settings, int x, int y,
                                                                 int width, int height,
                                                                 RenderProgress& progress) {
  const CLayerBitmap* image = GetProject().GetCurrentImage();
  if (!image) return nullptr;
  auto crop = image->Crop(kColourAndDepthMask, {x, y, width, height});
  if (!crop) return nullptr;
  auto output = RenderInProgress(settings, *crop, 1, 1, progress);
  if (!output) return nullptr;
  return std::make_unique<CLayerBitmap>(std::move(output));
}

std::unique_ptr<CLayerBitmap> ColourFilterCommand::RenderFrame(const KeyframeSettings& settings, int frameIndex,
                                                               int frameCount, RenderProgress& progress) {
  const CLayerBitmap* image = GetProject().GetCurrentImage();
  if (!image) return nullptr;
  auto output = RenderInProgress(settings, *image, frameIndex, frameCount, progress);
  if (!output) return nullptr;
  auto result = std::make_unique<CLayerBitmap>(std::move(output));
  // The filters never change alpha: it passes through.
  if (const Bitmap* alpha = GetAlphaLayer(*image)) result->AddLayer(alpha->Copy());
  return result;
}

std::unique_ptr<NTBitmap> ColourFilterCommand::GetViewBitmap(uint32_t viewMode) {
  if (viewMode != kViewFilterPreview) return nullptr;
  // The picture is asked for by the view: its render shows in the user interface's progress.
  UserInterfaceProgress progress;
  auto rendered = RenderFrame(GetCurrentSettings(), 1, 1, progress);
  if (!rendered) return nullptr;
  return std::make_unique<NTBitmap>(*rendered->GetStandardLayer());
}
