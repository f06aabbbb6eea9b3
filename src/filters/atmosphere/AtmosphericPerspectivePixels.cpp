#include "filters/atmosphere/AtmosphericPerspectivePixels.h"

#include <optional>

#include "filters/DepthTiles.h"
#include "filters/RowPass.h"
#include "filters/atmosphere/AtmosphereLaw.h"
#include "filters/atmosphere/AtmosphereRows.h"

namespace {

// The law over the source's depth range, as the depth layer's own queries give it, in one pass;
// none without a depth layer.
std::optional<AtmosphereLaw> LawFor(const AtmosphericPerspectiveSettings& settings,
                                    const AtmosphericPerspectiveOptions& options, const CLayerBitmap& source) {
  const depthBitmap* depth = source.GetLayer<depthBitmap>();
  if (!depth) return std::nullopt;
  const DepthTiles range(*depth);
  return AtmosphereLaw(settings, options.InForeground, range.MinDepth(), range.MaxDepth());
}

}  // namespace

bool FilterPixels(const AtmosphericPerspectiveSettings& settings, const AtmosphericPerspectiveOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination, RenderProgress& progress) {
  const std::optional<AtmosphereLaw> found = LawFor(settings, options, source);
  if (!found) return false;
  const AtmosphereLaw& law = *found;
  return RunPixelPass(source, destination, progress, law, [&law](const uint8_t* in, const float* d, uint8_t* out, int count) {
    ApplyAtmosphere(law, in, d, out, count);
  });
}

bool FilterFloatPixels(const AtmosphericPerspectiveSettings& settings, const AtmosphericPerspectiveOptions& options,
                       const CLayerBitmap& source, rgbFloatBitmap& destination, RenderProgress& progress) {
  const std::optional<AtmosphereLaw> found = LawFor(settings, options, source);
  if (!found) return false;
  const AtmosphereLaw& law = *found;
  return RunFloatPixelPass(source, destination, progress,
                           [&law](const float* in, float d, float* out) { law.ApplyFloat(in, d, out); });
}
