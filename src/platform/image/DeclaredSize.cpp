#include "platform/image/DeclaredSize.h"

#include <fmt/format.h>

#include "platform/image/ImageIo.h"

namespace {

// A display window may be larger than the data the file stores (an OpenEXR frame whose data
// window covers the subject only): the part outside is empty and costs the file nothing, so it is
// bounded separately, by this many pixels a byte.
constexpr int64_t kMaxEmptyPixelsPerByte = 65536;

bool CheckWindowSides(const char* what, const ImageRect& r, std::string& error) {
  if (r.width < 1 || r.height < 1 || r.width > kMaxImageSide || r.height > kMaxImageSide) {
    error = fmt::format("declares {} of {} x {} pixels; sides must be 1 to {}", what, r.width, r.height,
                        kMaxImageSide);
    return false;
  }
  return true;
}

}  // namespace

bool CheckDeclaredWindows(const ImageRect& data, const ImageRect& display, uintmax_t fileBytes,
                          int64_t maxPixelsPerByte, std::string& error) {
  if (!CheckWindowSides("an image", data, error) || !CheckWindowSides("a display window", display, error)) {
    return false;
  }
  int64_t dataPixels = int64_t(data.width) * data.height;
  if (dataPixels > int64_t(fileBytes) * maxPixelsPerByte) {
    error = fmt::format("file is truncated (declares {} x {} pixels in {} bytes)", data.width, data.height, fileBytes);
    return false;
  }
  int64_t displayPixels = int64_t(display.width) * display.height;
  if (displayPixels > dataPixels && displayPixels > int64_t(fileBytes) * kMaxEmptyPixelsPerByte) {
    error = fmt::format("declares a display window of {} x {} pixels around {} x {} pixels of data", display.width,
                        display.height, data.width, data.height);
    return false;
  }
  return true;
}
