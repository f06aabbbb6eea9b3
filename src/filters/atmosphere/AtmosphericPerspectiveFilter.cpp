#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"

#include <cmath>

#include "filters/RowPass.h"
#include "platform/image/DepthRange.h"

namespace {

class AtmosphereLaw {
 public:
  AtmosphereLaw(const AtmosphericPerspectiveSettings& settings, bool inForeground, const DepthRange& range)
      : colour_{double(settings.Colour.Red()), double(settings.Colour.Green()), double(settings.Colour.Blue())},
        startDepth_(settings.StartDepth),
        rampLength_(inForeground ? settings.StartDepth - range.min : range.max - settings.StartDepth),
        density_(settings.Density),
        nearIntensity_(settings.NearIntensity),
        intensityRange_(double(settings.FarIntensity) - settings.NearIntensity),
        inForeground_(inForeground) {}

  void operator()(const uint8_t* in, float d, uint8_t* out) const {
    const bool affected = inForeground_ ? d <= startDepth_ : d >= startDepth_;
    const float x = inForeground_ ? startDepth_ - d : d - startDepth_;
    const float t = x / rampLength_;
    // A ramp of length 0 leaves the pixels at the start depth without a position (0 / 0);
    // a negative position only comes from a start depth outside the depth range, which
    // affects no pixel.
    if (!affected || !(t >= 0.0f)) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
      return;
    }
    const double f = Intensity(t);
    for (int i = 0; i < 3; ++i) {
      double added = std::trunc(colour_[i] * f);
      if (!(added > 0.0)) added = 0.0;  // a colour is only ever added
      out[i] = TruncateToByte(in[i] + added);
    }
  }

 private:
  // t^Density from NearIntensity to FarIntensity. With equal intensities the curve is flat,
  // which also holds for background pixels far past the ramp (t infinite).
  double Intensity(float t) const {
    if (intensityRange_ == 0.0) return nearIntensity_;
    return std::pow(double(t), density_) * intensityRange_ + nearIntensity_;
  }

  double colour_[3];
  float startDepth_;
  float rampLength_;
  double density_;
  double nearIntensity_;
  double intensityRange_;
  bool inForeground_;
};

}  // namespace

bool FilterPixels(const AtmosphericPerspectiveSettings& settings, const AtmosphericPerspectiveOptions& options,
                  const CLayerBitmap& source, rgbBitmap& destination) {
  const floatBitmap* depth = source.GetLayer<floatBitmap>();
  if (!depth) return false;
  const AtmosphereLaw law(settings, options.InForeground, GetDepthRange(*depth));
  return RunPixelPass(source, destination, law);
}
