#pragma once
// The render shared by the colour filters (Z Saturation, Z Luminance, Z Hue, atmospheric
// perspective): each pixel of the output follows from the same pixel's colour and depth by the
// filter's law, in five progress steps. Alpha passes through.

#include <memory>

#include "filters/FilterOperation.h"

class rgbBitmap;
class rgbFloatBitmap;

// A filter's law over a source (colour and depth layers) into a destination of its size; false
// when cancelled.
struct ColourLaws {
  bool (*bytes)(const KeyframeSettings& settings, const FilterOptions& options, const CLayerBitmap& source,
                rgbBitmap& destination, RenderProgress& progress);
  // The same on float colour. Null: the frame's display bytes go through the byte law and are
  // decoded back to linear light (values above white are lost).
  bool (*floats)(const KeyframeSettings& settings, const FilterOptions& options, const CLayerBitmap& source,
                 rgbFloatBitmap& destination, RenderProgress& progress) = nullptr;
};

std::unique_ptr<CLayerBitmap> RenderColourFilter(const FilterInput& input, RenderContext& context,
                                                 const ColourLaws& laws);

// The laws of a filter whose pixel functions take its own settings and options types:
// FilterPixels(settings, options, source, destination, progress) and FilterFloatPixels(...).
template <typename Settings, typename Options>
ColourLaws TypedColourLaws() {
  return {[](const KeyframeSettings& settings, const FilterOptions& options, const CLayerBitmap& source,
             rgbBitmap& destination, RenderProgress& progress) {
            return FilterPixels(static_cast<const Settings&>(settings), static_cast<const Options&>(options), source,
                                destination, progress);
          },
          [](const KeyframeSettings& settings, const FilterOptions& options, const CLayerBitmap& source,
             rgbFloatBitmap& destination, RenderProgress& progress) {
            return FilterFloatPixels(static_cast<const Settings&>(settings), static_cast<const Options&>(options),
                                     source, destination, progress);
          }};
}

// A filter's operation (FilterOperation) from its laws.
template <typename Settings, typename Options>
std::unique_ptr<CLayerBitmap> RenderColourFilterOf(const FilterInput& input, RenderContext& context) {
  return RenderColourFilter(input, context, TypedColourLaws<Settings, Options>());
}
