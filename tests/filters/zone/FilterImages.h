#pragma once
// Small images for the colour filter tests: pixels with chosen colours and depths.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/Colour.h"
#include "platform/framework/RenderProgress.h"
#include "platform/image/LayerBitmap.h"

using Rgb = std::array<uint8_t, 3>;

// One row: pixel i has colours[i] and depths[i] (both of one length).
CLayerBitmap MakeRowImage(const std::vector<Rgb>& colours, const std::vector<float>& depths);
// Every pixel the same colour, depths as given.
CLayerBitmap MakeRowImage(const Rgb& colour, const std::vector<float>& depths);
// A width x height image of varied colours over a depth ramp with some noise, from a seed.
CLayerBitmap MakeNoiseImage(int width, int height, unsigned seed);

std::vector<Rgb> PixelsOf(const rgbBitmap& image);

struct HslValue {
  double h, s, l;
};
HslValue HslOf(const Rgb& pixel);

inline bool IsGrey(const Rgb& p) { return p[0] == p[1] && p[1] == p[2]; }

// Runs a filter's FilterPixels over an image and gives the destination's pixels.
template <typename Settings, typename Options>
std::vector<Rgb> Filter(const Settings& settings, const Options& options, const CLayerBitmap& image) {
  rgbBitmap destination(image.GetWidth(), image.GetHeight());
  NoProgress unwatched;
  if (!FilterPixels(settings, options, image, destination, unwatched)) return {};
  return PixelsOf(destination);
}
