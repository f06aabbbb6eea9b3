#pragma once
// The depth range of an image's depth layer, read once.

#include "platform/image/LayerBitmap.h"

struct DepthRange {
  float min = 0.0f;         // nearest object depth
  float max = 0.0f;         // farthest object depth
  float background = 0.0f;  // depth of the background, never below max
};

// What GetMinDepth, GetMaxDepth and GetBackgroundDepth give, in one pass over the depths.
DepthRange GetDepthRange(const depthBitmap& depth);

// All zero when the image has no depth layer.
inline DepthRange GetDepthRange(const CLayerBitmap& image) {
  const depthBitmap* depth = image.GetLayer<depthBitmap>();
  return depth ? GetDepthRange(*depth) : DepthRange{};
}
