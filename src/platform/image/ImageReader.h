#pragma once
// Reading picture files through the image library: header checks and the layers of a file.

#include <memory>
#include <string>

#include "platform/image/ChannelFinder.h"
#include "platform/image/ImageFormats.h"
#include "platform/image/LayerBitmap.h"

struct ImageFileInfo {
  int width = 0;
  int height = 0;
  ChannelPlan channels;
};

enum class LayersToRead {
  Picture,  // the colour (or grey) picture only
  All,      // picture, alpha and depth
};

// Opens the file's header only: its size is checked against what the program can hold and
// against the file's length, and its channels are found. False with the reason in error.
bool ProbeImageFile(const std::string& path, const ImageFileFormat& format, ImageFileInfo& info,
                    std::string& error);

// Reads the file's layers; depth is oriented (larger is farther). Null with the reason in error.
std::unique_ptr<CLayerBitmap> ReadImageFile(const std::string& path, const ImageFileFormat& format,
                                            LayersToRead layers, std::string& error);
