#include "filters/ColourFilterOperation.h"

#include <algorithm>

#include "platform/image/FloatLayers.h"

namespace {

constexpr int kProgressSteps = 5;
constexpr int kProgressStepSize = 20;

bool FloatsThroughBytes(const ColourLaws& laws, const FilterInput& input, const CLayerBitmap& source,
                        rgbFloatBitmap& destination, RenderProgress& progress) {
  const auto shown = EncodeFloatLayers(source);
  rgbBitmap bytes(destination.GetWidth(), destination.GetHeight());
  if (!laws.bytes(input.settings, input.options, *shown, bytes, progress)) return false;
  auto decoded = DecodeColour(bytes, shown->GetLayer<alphaBitmap>());
  std::copy(decoded->GetData(), decoded->GetData() + decoded->GetValueCount(), destination.GetData());
  return true;
}

// The filtered colour of a source, float or bytes as the source's colour is.
std::unique_ptr<Bitmap> FilterColour(const ColourLaws& laws, const FilterInput& input, const CLayerBitmap& source,
                                     RenderProgress& progress) {
  progress.Begin(kProgressSteps, kProgressStepSize, input.frameIndex, input.frameCount);
  std::unique_ptr<Bitmap> output;
  bool complete = false;
  if (HasFloatColour(source)) {
    auto floats = std::make_unique<rgbFloatBitmap>(source.GetWidth(), source.GetHeight());
    complete = laws.floats ? laws.floats(input.settings, input.options, source, *floats, progress)
                           : FloatsThroughBytes(laws, input, source, *floats, progress);
    output = std::move(floats);
  } else {
    auto bytes = std::make_unique<rgbBitmap>(source.GetWidth(), source.GetHeight());
    complete = laws.bytes(input.settings, input.options, source, *bytes, progress);
    output = std::move(bytes);
  }
  progress.End();
  return complete ? std::move(output) : nullptr;
}

}  // namespace

std::unique_ptr<CLayerBitmap> RenderColourFilter(const FilterInput& input, RenderContext& context,
                                                 const ColourLaws& laws) {
  if (input.area) {
    // A preview shows the colour of the rectangle alone.
    auto crop = input.frame.Crop(kColourAndDepthMask, *input.area);
    if (!crop) return nullptr;
    auto output = FilterColour(laws, input, *crop, context.progress);
    return output ? std::make_unique<CLayerBitmap>(std::move(output)) : nullptr;
  }
  auto output = FilterColour(laws, input, input.frame, context.progress);
  if (!output) return nullptr;
  auto result = std::make_unique<CLayerBitmap>(std::move(output));
  // The filters never change alpha: it passes through.
  if (const Bitmap* alpha = GetAlphaLayer(input.frame)) result->AddLayer(alpha->Copy());
  return result;
}
