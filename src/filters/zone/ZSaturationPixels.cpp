#include "filters/zone/ZSaturationPixels.h"

#include "filters/RowPass.h"
#include "filters/zone/ZoneRampLaw.h"
#include "filters/zone/ZoneRampRows.h"

bool FilterPixels(const ZSaturationSettings& settings, const ZoneOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination, RenderProgress& progress) {
  const ZoneRampLaw law(settings, options);
  return RunPixelPass(
      source, destination, progress,
      [&law](const uint8_t* in, float depth, uint8_t* out) { law.Apply<HslComponent::Saturation>(in, depth, out); },
      [&law](const uint8_t* in, const float* depth, uint8_t* out, int count) {
        ApplyZoneRamp(law, HslComponent::Saturation, in, depth, out, count);
      });
}

bool FilterFloatPixels(const ZSaturationSettings& settings, const ZoneOptions& options, const CLayerBitmap& source,
                       rgbFloatBitmap& destination, RenderProgress& progress) {
  const ZoneRampLaw law(settings, options);
  return RunFloatPixelPass(source, destination, progress, [&law](const float* in, float depth, float* out) {
    law.ApplyFloat<HslComponent::Saturation>(in, depth, out);
  });
}
