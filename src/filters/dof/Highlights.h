#pragma once
// The colour a depth-of-field render blurs: the frame's own, or, with highlights on, its light
// in float with the bright pixels lifted (see DepthOfFieldSettings::HighlightFactor), so that an
// 8-bit picture too gets bright discs. 8-bit colour is decoded to linear light for that.

#include <memory>

#include "platform/image/Bitmap.h"

class DepthOfFieldSettings;

struct RenderColour {
  const Bitmap* colour = nullptr;  // the frame's colour, or `lifted`
  const Bitmap* alpha = nullptr;   // the frame's alpha (of the colour's kind), or `floatAlpha`; may be null
  std::unique_ptr<rgbFloatBitmap> lifted;
  std::unique_ptr<alphaFloatBitmap> floatAlpha;
  bool encodeResult = false;  // the frame was 8-bit: the render goes back to bytes
};

// The colour and alpha to render from a frame's colour and alpha layers (alpha may be null).
RenderColour PrepareRenderColour(const DepthOfFieldSettings& settings, const Bitmap& colour, const Bitmap* alpha);

// Multiplies each pixel's light by its highlight factor.
void LiftHighlights(const DepthOfFieldSettings& settings, rgbFloatBitmap& colour, const alphaFloatBitmap* alpha);
