#pragma once
// The bundled sample scene: a short numbered sequence of a camera moving over a checked
// ground toward three spheres under a sky, written as PNG pictures with .zpic depth files.

#include <string>
#include <vector>

struct SampleSceneOptions {
  int width = 480;
  int height = 270;
  int frames = 8;
  std::string root = "scene";
};

// Writes the frames into folder; returns the image file names, or an empty list with the
// reason in error.
std::vector<std::string> WriteSampleScene(const std::string& folder, const SampleSceneOptions& options,
                                          std::string& error);
