#pragma once
// Float colour (linear light, premultiplied, unclipped) and the 8-bit pictures beside it: the
// encoding to display bytes at the end of the road (8-bit files, the screen, the tools that read
// bytes) and the decoding of bytes into linear light for the passes that work in float.
//
// A display byte is the sRGB encoding of the straight colour, clipped to 0..1, times alpha:
// exactly what the reader makes of a floating-point file when it reads it as bytes.

#include <memory>

#include "platform/image/LayerBitmap.h"

class DisplayTransform;

// The header attribute that marks a floating-point file written from an 8-bit picture, and its value.
inline constexpr const char* kPictureAttribute = "fovaraPicture";
inline constexpr const char* kEightBitPicture = "8-bit";

// The frame's colour is float (read from a floating-point file, or lifted by a float pass).
bool HasFloatColour(const CLayerBitmap& image);

// The colour as display bytes; exposureStops scales the linear light first (0: as it is).
std::unique_ptr<rgbBitmap> EncodeColour(const rgbFloatBitmap& colour, const alphaFloatBitmap* alpha,
                                        float exposureStops = 0.0f);
// The colour as display bytes through a colour configuration's display and view instead of the
// sRGB curve: the straight light, scaled by the exposure, goes through the transform, and the
// result (clipped to 0..1) is premultiplied by alpha again.
std::unique_ptr<rgbBitmap> EncodeColour(const rgbFloatBitmap& colour, const alphaFloatBitmap* alpha,
                                        float exposureStops, const DisplayTransform& transform);
// Alpha as bytes, rounded and clipped.
std::unique_ptr<alphaBitmap> EncodeAlpha(const alphaFloatBitmap& alpha);

// A copy of the image whose float colour and float alpha are display bytes; other layers are
// copied as they are. An image without float layers is copied unchanged.
std::unique_ptr<CLayerBitmap> EncodeFloatLayers(const CLayerBitmap& image, float exposureStops = 0.0f);

// Display bytes in linear light (premultiplied colour under byte alpha), and byte alpha as float.
std::unique_ptr<rgbFloatBitmap> DecodeColour(const rgbBitmap& colour, const alphaBitmap* alpha);
std::unique_ptr<alphaFloatBitmap> DecodeAlpha(const alphaBitmap& alpha);

// The colour layer, float or bytes; null when there is none.
const Bitmap* GetColourLayer(const CLayerBitmap& image);
// The alpha layer, float or bytes; null when there is none.
const Bitmap* GetAlphaLayer(const CLayerBitmap& image);
