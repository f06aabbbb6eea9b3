#include "filters/dof/FieldOverlay.h"

#include <algorithm>

#include "filters/dof/DepthOfFieldSettings.h"
#include "platform/image/FloatLayers.h"

std::unique_ptr<CLayerBitmap> MakeFieldOverlay(const DepthOfFieldSettings& settings, const CLayerBitmap& image) {
  // Float colour is shown as the screen shows it.
  std::unique_ptr<rgbBitmap> encoded;
  if (const auto* floatColour = image.GetLayer<rgbFloatBitmap>()) encoded = EncodeColour(*floatColour, nullptr);
  const rgbBitmap* colour = encoded ? encoded.get() : image.GetLayer<rgbBitmap>();
  const depthBitmap* depth = image.GetLayer<depthBitmap>();
  if (!colour || !depth || colour->GetWidth() != depth->GetWidth() || colour->GetHeight() != depth->GetHeight()) {
    return nullptr;
  }
  double fieldNear = 0.0;
  double fieldFar = 0.0;
  settings.GetFieldLimits(fieldNear, fieldFar);
  auto output = std::make_unique<rgbBitmap>(colour->GetWidth(), colour->GetHeight());
  for (int y = 0; y < colour->GetHeight(); ++y) {
    const uint8_t* in = colour->GetLine(y);
    const float* d = depth->GetLine(y);
    uint8_t* out = output->GetLine(y);
    for (int x = 0; x < colour->GetWidth(); ++x, in += 3, out += 3) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
      const double z = d[x];
      if (fieldNear <= z && z <= fieldFar) continue;
      // Red grows with the blur: +50 at no blur, +4 a pixel of blur beyond that, full at 50.
      const int r = int(settings.BlurPixels(z, true));
      int red;
      if (r == 50 || in[0] > 205) {
        red = 255;
      } else if (r == 0) {
        red = in[0] + 50;
      } else {
        red = std::min(255, in[0] + 4 * r + 46);
      }
      out[0] = uint8_t(red);
    }
  }
  return std::make_unique<CLayerBitmap>(std::move(output));
}
