// Writes the circle-of-confusion map of a frame, for the comparison with a general-purpose lens
// blur that takes its blur from a picture: each pixel's blur diameter under depth-of-field
// settings reset on the frame and then given by record key (as `fovara-render set` gives them),
// over the largest diameter, as an 8-bit grey PNG. Prints the largest diameter in pixels.
//
//   make_coc_map COLOUR DEPTH OUT.png [KEY=VALUE ...]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "tools/RecordText.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "platform/framework/CustomData.h"
#include "platform/image/ImageIo.h"

namespace {

std::unique_ptr<CLayerBitmap> ReadLayers(const std::string& path, int flags) {
  C2DIo reader(path, flags);
  auto image = reader.Read();
  if (!image) std::fprintf(stderr, "make_coc_map: %s\n", reader.GetError().c_str());
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s COLOUR DEPTH OUT.png [KEY=VALUE ...]\n", argv[0]);
    return 2;
  }
  auto frame = ReadLayers(argv[1], kIoOnePicture);
  auto depthFile = ReadLayers(argv[2], kIoDepthFile);
  if (!frame || !depthFile) return 1;
  auto depth = depthFile->DetachBitmap(kDepthBitmap);
  if (!depth) {
    std::fprintf(stderr, "make_coc_map: %s has no depth\n", argv[2]);
    return 1;
  }
  auto& z = static_cast<depthBitmap&>(*depth);
  // As the renderer does: background markers take the maximum depth.
  if (z.GetBackgroundPixelCount() > 0) z.ReplaceBackgroundDepth(z.GetMaxDepth());
  frame->AddLayer(std::move(depth));

  DepthOfFieldSettings settings;
  settings.Reset(*frame);
  CCustomData record;
  settings.StoreRecord(record);
  for (int i = 4; i < argc; ++i) {
    std::string key, value;
    if (!SplitAssignment(argv[i], key, value)) return std::fprintf(stderr, "make_coc_map: %s\n", argv[i]), 2;
    const std::string error = SetRecordValue(record, key, value);
    if (!error.empty()) return std::fprintf(stderr, "make_coc_map: %s\n", error.c_str()), 2;
  }
  settings.LoadRecord(record);

  const depthBitmap& d = *frame->GetLayer<depthBitmap>();
  auto map = std::make_unique<g8Bitmap>(d.GetWidth(), d.GetHeight());
  double largest = 0.0;
  for (int y = 0; y < d.GetHeight(); ++y) {
    for (int x = 0; x < d.GetWidth(); ++x) largest = std::max(largest, settings.BlurPixels(d.GetLine(y)[x], true));
  }
  for (int y = 0; y < d.GetHeight(); ++y) {
    for (int x = 0; x < d.GetWidth(); ++x) {
      const double diameter = settings.BlurPixels(d.GetLine(y)[x], true);
      map->GetLine(y)[x] = uint8_t(largest > 0.0 ? std::lround(255.0 * diameter / largest) : 0);
    }
  }
  C2DIo writer(argv[3], kIoSaving);
  CLayerBitmap picture(std::move(map));
  if (!writer.PrepareSaving(picture, 1) || !writer.Save(picture, -1)) {
    std::fprintf(stderr, "make_coc_map: %s\n", writer.GetError().c_str());
    return 1;
  }
  std::printf("%.3f\n", largest);
  return 0;
}
