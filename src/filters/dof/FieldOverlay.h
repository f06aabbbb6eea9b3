#pragma once
// The effect preview of the depth of field: a quick picture of where the blur falls.

#include <memory>

#include "platform/image/LayerBitmap.h"

class DepthOfFieldSettings;

// Pixels of the sharp zone unchanged, the others reddened by their blur (fully red at 50
// pixels). Null when the image lacks its colour or depth layer.
std::unique_ptr<CLayerBitmap> MakeFieldOverlay(const DepthOfFieldSettings& settings, const CLayerBitmap& image);
