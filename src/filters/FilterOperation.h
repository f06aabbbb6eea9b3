#pragma once
// A filter's render as a plain function: a frame, its settings and the filter's options in, a
// context (progress and cancel, threads, messages) in, a new frame out. It reads nothing else:
// no project, no current frame, no user interface, so the command line, the Python module, the
// desktop program's commands and renders on several threads at once all call the same one.

#include <memory>
#include <optional>

#include "animation/FilterOptions.h"
#include "animation/KeyframeSettings.h"
#include "platform/framework/RenderContext.h"
#include "platform/image/LayerBitmap.h"

struct FilterInput {
  // Colour, depth (background at the frame's farthest depth, as a project reads frames) and
  // alpha when there is one.
  const CLayerBitmap& frame;
  const KeyframeSettings& settings;  // of the filter's own type
  const FilterOptions& options;      // of the filter's own type
  // A preview of a rectangle of the frame: the result is the rectangle's size. Nothing: the
  // whole frame.
  std::optional<ImageRect> area;
  // The frame's place in the render and the render's size: the progress display's text.
  int frameIndex = 1;
  int frameCount = 1;
};

// The rendered frame: colour, and alpha when the frame has one. Null when cancelled or when the
// frame cannot be rendered (a layer missing, a rectangle outside it).
using FilterOperation = std::unique_ptr<CLayerBitmap> (*)(const FilterInput& input, RenderContext& context);

// Runs the operation within the context's thread limit.
std::unique_ptr<CLayerBitmap> RunFilter(FilterOperation operation, const FilterInput& input, RenderContext& context);
