#include "filters/dof/Highlights.h"

#include <algorithm>

#include "filters/dof/DepthOfFieldSettings.h"
#include "platform/image/FloatLayers.h"
#include "platform/image/PixelConversion.h"

void LiftHighlights(const DepthOfFieldSettings& settings, rgbFloatBitmap& colour, const alphaFloatBitmap* alpha) {
  float* values = colour.GetData();
  const float* a = alpha ? alpha->GetData() : nullptr;
  for (size_t i = 0, n = size_t(colour.GetPixelCount()); i < n; ++i) {
    const float pixelAlpha = a ? a[i] : 1.0f;
    if (!(pixelAlpha > 0.0f)) continue;
    const float brightest = std::max({values[3 * i], values[3 * i + 1], values[3 * i + 2]}) / pixelAlpha;
    const double factor = settings.HighlightFactor(LinearToSrgbUnit(brightest));
    if (factor == 1.0) continue;
    for (int c = 0; c < 3; ++c) values[3 * i + c] = float(values[3 * i + c] * factor);
  }
}

RenderColour PrepareRenderColour(const DepthOfFieldSettings& settings, const Bitmap& colour, const Bitmap* alpha) {
  RenderColour render;
  const bool floatColour = colour.GetType() == kRgbFloatBitmap;
  if (!settings.HighlightsOn() && !floatColour) {
    render.colour = &colour;
    render.alpha = BitmapCast<alphaBitmap>(alpha);
    return render;
  }
  if (const auto* floatAlpha = BitmapCast<alphaFloatBitmap>(alpha)) {
    render.floatAlpha.reset(static_cast<alphaFloatBitmap*>(floatAlpha->Copy().release()));
  } else if (const auto* byteAlpha = BitmapCast<alphaBitmap>(alpha)) {
    render.floatAlpha = DecodeAlpha(*byteAlpha);
  }
  render.alpha = render.floatAlpha.get();
  if (floatColour && !settings.HighlightsOn()) {
    render.colour = &colour;
    return render;
  }
  if (floatColour) {
    render.lifted.reset(static_cast<rgbFloatBitmap*>(colour.Copy().release()));
  } else {
    render.lifted = DecodeColour(static_cast<const rgbBitmap&>(colour), BitmapCast<alphaBitmap>(alpha));
    render.encodeResult = true;
  }
  LiftHighlights(settings, *render.lifted, render.floatAlpha.get());
  render.colour = render.lifted.get();
  return render;
}
