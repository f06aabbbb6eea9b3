#pragma once
// Writing a layered image in a chosen format: what the format keeps of it, then the file.

#include <memory>
#include <string>

#include "platform/image/ImageFormats.h"
#include "platform/image/LayerBitmap.h"

// How hard the lossless formats (PNG, OpenEXR, TIFF, TGA) compress. Fast keeps a sequence
// render from waiting on the writer, at the price of larger files; Small gives the smallest
// files; None stores the pixels as they are where the format allows it.
enum class ImageCompression { Fast, Small, None };

// The layers a format keeps of an image. Float colour and float alpha reach only the formats that
// keep linear light; for the others they are encoded to display bytes (clipped) here.
struct SaveContent {
  const Bitmap* picture = nullptr;  // colour (bytes or float), else grey
  const Bitmap* alpha = nullptr;    // alpha: bytes, or float beside float colour
  // OpenEXR colour and alpha as 32-bit floats rather than half floats.
  bool fullFloat = false;
  // The encoded copy of a float image, when the format needs bytes.
  std::shared_ptr<const CLayerBitmap> encoded;
  const depthBitmap* depth = nullptr;
  // A note on a layer the format cannot keep (alpha in JPEG); empty when none is lost.
  std::string warning;
};

// What the format keeps of the image. False with the reason in error when it keeps nothing
// (a depth-only image in a picture format, an image without depth in .zpic).
bool PlanSave(const ImageFileFormat& format, const CLayerBitmap& image, SaveContent& content, std::string& error);

// Writes the content to path in the given format, whatever path's own extension.
bool WriteImageFile(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
                    std::string& error, ImageCompression compression = ImageCompression::Fast);
