#include "filters/atmosphere/AtmosphericPerspectivePixels.h"

#include "filters/DepthTiles.h"
#include "filters/RowPass.h"
#include "filters/atmosphere/AtmosphereLaw.h"
#include "filters/atmosphere/AtmosphereRows.h"

bool FilterPixels(const AtmosphericPerspectiveSettings& settings, const AtmosphericPerspectiveOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination, RenderProgress& progress) {
  const floatBitmap* depth = source.GetLayer<floatBitmap>();
  if (!depth) return false;
  // The layer's depth range, as its own queries give it, in one pass.
  const DepthTiles range(*depth);
  const AtmosphereLaw law(settings, options.InForeground, range.MinDepth(), range.MaxDepth());
  return RunPixelPass(source, destination, progress, law, [&law](const uint8_t* in, const float* d, uint8_t* out, int count) {
    ApplyAtmosphere(law, in, d, out, count);
  });
}

bool FilterFloatPixels(const AtmosphericPerspectiveSettings& settings, const AtmosphericPerspectiveOptions& options,
                       const CLayerBitmap& source, rgbFloatBitmap& destination, RenderProgress& progress) {
  const floatBitmap* depth = source.GetLayer<floatBitmap>();
  if (!depth) return false;
  const DepthTiles range(*depth);
  const AtmosphereLaw law(settings, options.InForeground, range.MinDepth(), range.MaxDepth());
  return RunFloatPixelPass(source, destination, progress,
                           [&law](const float* in, float d, float* out) { law.ApplyFloat(in, d, out); });
}
