// Writes an OpenEXR sequence as renderers write it, for trying the program by hand:
//   make_rendered_sequence FOLDER [FRAMES] [WIDTH HEIGHT]
// Each frame holds a soft-edged disc over nothing that moves across a display window; the data
// window covers the disc only; colour is half, premultiplied by alpha; Z is half, 0 where nothing
// was rendered, and runs from 9.0 to 10.9 across the disc.
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>

#include "support/RenderedExr.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_rendered_sequence FOLDER [FRAMES] [WIDTH HEIGHT]\n");
    return 2;
  }
  std::string folder = std::string(argv[1]) + "/";
  int frames = argc > 2 ? std::atoi(argv[2]) : 3;
  int width = argc > 4 ? std::atoi(argv[3]) : 640;
  int height = argc > 4 ? std::atoi(argv[4]) : 480;
  try {
    for (int k = 0; k < frames; ++k) {
      SoftDisc disc;
      disc.radius = height / 5.0;
      disc.edge = height / 40.0;
      disc.cx = width * (0.3 + 0.4 * k / std::max(1, frames - 1));
      disc.cy = height * (0.45 + 0.1 * k / std::max(1, frames - 1));
      disc.red = 0.9f;
      disc.green = 0.55f;
      disc.blue = 0.2f;
      disc.depth = 9.95f;
      disc.depthPerPixel = float(0.95 / (disc.radius + disc.edge));
      int margin = int(disc.radius + disc.edge) + 2;
      ImageRect data{int(disc.cx) - margin, int(disc.cy) - margin, 2 * margin, 2 * margin};
      char name[32];
      std::snprintf(name, sizeof name, "render%04d.exr", k + 1);
      WriteRenderedExr(folder + name, width, height, {{"", "", {}, data, disc.Channels(true)}});
      std::printf("%s%s: display %d x %d, data %d x %d at %d, %d\n", folder.c_str(), name, width, height, data.width,
                  data.height, data.x, data.y);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_rendered_sequence: %s\n", e.what());
    return 1;
  }
  return 0;
}
