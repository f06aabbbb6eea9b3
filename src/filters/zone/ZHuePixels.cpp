#include "filters/zone/ZHuePixels.h"

#include "filters/RowPass.h"
#include "filters/zone/ZHueLaw.h"
#include "filters/zone/ZHueRows.h"

bool FilterPixels(const ZHueSettings& settings, const ZHueOptions& options, const CLayerBitmap& source,
                  rgbBitmap& destination, RenderProgress& progress) {
  const ZHueLaw law(settings, options);
  return RunPixelPass(source, destination, progress, law, [&law](const uint8_t* in, const float* depth, uint8_t* out, int count) {
    ApplyZHue(law, in, depth, out, count);
  });
}

bool FilterFloatPixels(const ZHueSettings& settings, const ZHueOptions& options, const CLayerBitmap& source,
                       rgbFloatBitmap& destination, RenderProgress& progress) {
  const ZHueLaw law(settings, options);
  return RunFloatPixelPass(source, destination, progress,
                           [&law](const float* in, float depth, float* out) { law.ApplyFloat(in, depth, out); });
}
