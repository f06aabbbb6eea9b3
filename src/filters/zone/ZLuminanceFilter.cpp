#include "filters/zone/ZLuminanceFilter.h"

#include "filters/RowPass.h"
#include "filters/zone/HslPixel.h"
#include "filters/zone/ZoneRampLaw.h"

bool FilterPixels(const ZLuminanceSettings& settings, const ZoneOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination) {
  const ZoneRampLaw law(settings, options);
  return RunPixelPass(source, destination, [&law](const uint8_t* in, float depth, uint8_t* out) {
    if (law.KeepsPixel(depth)) return CopyPixel(in, out);
    Hsl c = PixelToHsl(in);
    c.l = law.RampedValue(depth, c.l);
    WriteHslPixel(c, out);
  });
}
