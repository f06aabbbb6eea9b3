#pragma once
// Reading picture files (through the image library, RLA through our own decoder): header checks
// and the layers of a file.

#include <memory>
#include <string>

#include "platform/image/ChannelFinder.h"
#include "platform/image/ViewChannels.h"
#include "platform/image/ImageFormats.h"
#include "platform/image/LayerBitmap.h"

struct ImageFileInfo {
  int width = 0;  // the picture: the display window
  int height = 0;
  ImageRect data;  // where the main picture's data window lies in it
  ChannelPlan channels;
  std::vector<std::string> views;  // every view of a stereo file, the default first
  std::string view;                // the view taken
  bool requestedViewFound = true;
  // The names of the channels taken, "part:channel" in a multi-part file: colour (or grey),
  // alpha, depth.
  std::vector<std::string> takenChannels;
  // The render channels an RLA file announces after its colour ("Z", "C", "O", ...), in the
  // order its header lists them.
  std::vector<std::string> gbuffer;
};

enum class LayersToRead {
  Picture,  // the colour (or grey) picture only
  All,      // picture, alpha and depth
  // As All; without a depth channel, a floating-point picture channel is the depth (a depth
  // pass saved in R, G and B, or in one channel) and the picture is left out.
  DepthFile,
};

// Opens the file's header only: its size is checked against what the program can hold and
// against the file's length, and its channels are found. False with the reason in error.
// view: the view of a stereo file to take; empty or absent from the file: its default view.
bool ProbeImageFile(const std::string& path, const ImageFileFormat& format, const std::string& view,
                    ImageFileInfo& info, std::string& error);

// Reads the file's layers at its display window: data outside the data window is colour and
// alpha 0 and background depth. Colour is premultiplied by alpha; depth is oriented (larger is
// farther). Null with the reason in error.
std::unique_ptr<CLayerBitmap> ReadImageFile(const std::string& path, const ImageFileFormat& format,
                                            LayersToRead layers, const std::string& view, std::string& error);
