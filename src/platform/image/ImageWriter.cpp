#include "platform/image/ImageWriter.h"

#include <fmt/format.h>

#include <optional>

#include "platform/image/ExrWriter.h"
#include "platform/image/FloatLayers.h"
#include "platform/image/LibraryImage.h"
#include "platform/image/PngFile.h"
#include "platform/image/TargaFile.h"
#include "platform/image/ZpicFormat.h"

namespace {

// Whether a format keeps alpha, for those the program writes most; empty for the others,
// which the image library answers for.
std::optional<bool> KnownToKeepAlpha(const ImageFileFormat& format) {
  if (format.plugin == "jpeg") return false;
  for (const char* plugin : {"openexr", "png", "tiff", "targa", "rla", "bmp"}) {
    if (format.plugin == plugin) return true;
  }
  return std::nullopt;
}

bool FormatKeepsAlpha(const ImageFileFormat& format) {
  if (auto known = KnownToKeepAlpha(format)) return *known;
  std::string ignored;
  ImageLibraryModule* library = ImageLibrary(ignored);
  return library && library->KeepsAlpha(format.plugin);
}

}  // namespace

bool PlanSave(const ImageFileFormat& format, const CLayerBitmap& source, SaveContent& content, std::string& error) {
  const bool fullFloat = content.fullFloat;
  content = {};
  content.fullFloat = fullFloat;
  const bool floatLayers = source.GetLayerByType(kRgbFloatBitmap) || source.GetLayerByType(kAlphaFloatBitmap);
  if (floatLayers && !format.HasLinearColour()) content.encoded = EncodeFloatLayers(source);
  const CLayerBitmap& image = content.encoded ? *content.encoded : source;
  const depthBitmap* depth = image.GetLayer<depthBitmap>();
  if (format.IsZpic()) {
    if (!depth) {
      error = "the image has no depth buffer to save as .zpic";
      return false;
    }
    content.depth = depth;
    return true;
  }
  content.picture = image.GetStandardLayer();
  if (format.KeepsDepth()) content.depth = depth;
  // An RLA row block records its length in 16 bits: a row of float depths holds 16383 values at most.
  if (format.IsRla() && content.depth && int64_t(content.depth->GetWidth()) * 4 > 0xFFFF) {
    error = fmt::format("RLA rows hold at most {} depth values; save images {} pixels wide as .exr or .qel",
                        0xFFFF / 4, content.depth->GetWidth());
    return false;
  }
  if (!content.picture && !content.depth) {
    error = depth ? fmt::format("the {} format cannot hold a depth buffer alone; use .exr, .qel, .rla, .rpf or .zpic",
                                format.name)
                  : "the image has no picture to save";
    return false;
  }
  if (const Bitmap* alpha = GetAlphaLayer(image)) {
    if (FormatKeepsAlpha(format)) {
      content.alpha = alpha;
    } else {
      content.warning = fmt::format("the {} format keeps no alpha channel: the alpha layer is not saved", format.name);
    }
  }
  return true;
}

bool WriteImageFile(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
                    std::string& error, ImageCompression compression) {
  if (format.IsZpic()) return WriteZpic(path, *content.depth, error);
  if (format.plugin == "png") return WritePng(path, content, compression, error);
  if (format.plugin == "targa") return WriteTarga(path, content, compression, error);
  if (format.IsOpenExr()) return WriteExr(path, format, content, compression, error);
  ImageLibraryModule* library = ImageLibrary(error);
  return library && library->Write(path, format, content, compression, error);
}
