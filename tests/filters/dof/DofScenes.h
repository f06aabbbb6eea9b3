#pragma once
// Scenes for the depth-of-field tests and benchmark: a textured frame with a far background, a
// ground plane whose depth runs from near to far (so that many slices cross it), a mid-distance
// wall and a near disc, each at known depths.

#include <memory>

#include "platform/image/LayerBitmap.h"

class DepthOfFieldSettings;

struct DofSceneDepths {
  float nearObject = 3.0f;
  float wall = 10.0f;
  float groundNear = 5.0f;  // bottom row of the ground
  float groundFar = 30.0f;  // top row of the ground
  float background = 40.0f;
};

// Colour from a hash of the position (every channel varies from pixel to pixel, so a wrong
// weight or a missed tap shows), depth as above, and an alpha layer when asked (transparent
// background, opaque objects, a ramp on the ground).
std::unique_ptr<CLayerBitmap> MakeDofScene(int width, int height, bool withAlpha = false,
                                           const DofSceneDepths& depths = {});

// Settings reset on the scene, then with the sharp field around the wall and the given blur
// reached at the nearest depth (front) and at the background (back).
DepthOfFieldSettings DofSceneSettings(const CLayerBitmap& scene, int frontAmount, int backAmount,
                                      const DofSceneDepths& depths = {});
