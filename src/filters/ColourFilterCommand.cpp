#include "filters/ColourFilterCommand.h"

#include "project/ProjectData.h"
#include "platform/framework/Progress.h"

namespace {
constexpr int kProgressSteps = 5;
constexpr int kProgressStepSize = 20;
}  // namespace

std::unique_ptr<rgbBitmap> ColourFilterCommand::RenderInProgress(const KeyframeSettings& settings,
                                                                 const CLayerBitmap& source, int frameIndex,
                                                                 int frameCount, RenderProgress& progress) {
  auto output = std::make_unique<rgbBitmap>(source.GetWidth(), source.GetHeight());
  progress.Begin(kProgressSteps, kProgressStepSize, frameIndex, frameCount);
  bool complete = FilterPixels(settings, source, *output, progress);
  progress.End();
  return complete ? std::move(output) : nullptr;
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
  if (const Bitmap* alpha = image->GetLayerByType(kAlphaBitmap)) result->AddLayer(alpha->Copy());
  return result;
}

std::unique_ptr<NTBitmap> ColourFilterCommand::GetViewBitmap(uint32_t viewMode) {
  if (viewMode != kViewFilterPreview) return nullptr;
  // The picture is asked for by the view: its render shows in the user interface's progress.
  UserInterfaceProgress progress;
  auto rendered = RenderFrame(GetCurrentSettings(), 1, 1, progress);
  if (!rendered) return nullptr;
  return std::make_unique<NTBitmap>(*rendered->GetLayerByType(kRgbBitmap));
}
