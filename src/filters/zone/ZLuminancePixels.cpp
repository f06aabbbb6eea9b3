#include "filters/zone/ZLuminancePixels.h"

#include "filters/RowPass.h"
#include "filters/zone/ZoneRampLaw.h"
#include "filters/zone/ZoneRampRows.h"

bool FilterPixels(const ZLuminanceSettings& settings, const ZoneOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination, RenderProgress& progress) {
  const ZoneRampLaw law(settings, options);
  return RunPixelPass(
      source, destination, progress,
      [&law](const uint8_t* in, float depth, uint8_t* out) { law.Apply<HslComponent::Lightness>(in, depth, out); },
      [&law](const uint8_t* in, const float* depth, uint8_t* out, int count) {
        ApplyZoneRamp(law, HslComponent::Lightness, in, depth, out, count);
      });
}

bool FilterFloatPixels(const ZLuminanceSettings& settings, const ZoneOptions& options, const CLayerBitmap& source,
                       rgbFloatBitmap& destination, RenderProgress& progress) {
  const ZoneRampLaw law(settings, options);
  return RunFloatPixelPass(source, destination, progress, [&law](const float* in, float depth, float* out) {
    law.ApplyFloat<HslComponent::Lightness>(in, depth, out);
  });
}
