#pragma once
// OpenEXR files as renderers write them, made with the OpenEXR library itself: a display window
// with a smaller data window, half colour premultiplied by a soft alpha, half or float Z that is
// 0 where nothing was rendered, several parts, several views.
#include <functional>
#include <string>
#include <vector>

#include "platform/image/LayerBitmap.h"

struct ExrChannel {
  std::string name;
  bool half = true;                          // else 32-bit float
  std::function<float(int x, int y)> value;  // x, y in the display window
};

struct ExrPart {
  std::string name;                    // part name (multi-part files)
  std::string view;                    // the part's view, or empty
  std::vector<std::string> multiView;  // views declared by a single-part stereo file
  ImageRect data;                      // data window, in display-window coordinates
  std::vector<ExrChannel> channels;
};

// One part: a plain file; more: a multi-part file. Throws std::runtime_error on failure.
void WriteRenderedExr(const std::string& path, int displayWidth, int displayHeight, const std::vector<ExrPart>& parts);

// A subject as a renderer sees it: a disc with a soft edge over nothing.
struct SoftDisc {
  double cx = 0, cy = 0, radius = 10, edge = 4;  // edge: width of the alpha ramp, in pixels
  float red = 0.5f, green = 0.25f, blue = 0.125f; // straight linear colour
  float depth = 9.5f;          // at the centre
  float depthPerPixel = 0.0f;  // added for each pixel right of the centre

  float Alpha(int x, int y) const;
  // Premultiplied linear colour of channel k (0 red, 1 green, 2 blue), as the file stores it.
  float Premultiplied(int k, int x, int y) const;
  // The disc's depth where it covers the pixel, 0 where nothing was rendered.
  float Depth(int x, int y) const;
  // R, G, B, A and Z channels of the disc, Z in half or float.
  std::vector<ExrChannel> Channels(bool halfDepth, const std::string& prefix = "") const;
};
