// Writes the end-to-end benchmark's sequence: the sample scene (a camera moving over a checked
// ground toward three spheres) as PNG pictures with OpenEXR depth files, the way renderers
// usually hand frames over.
//
//   make_bench_sequence FOLDER FRAMES WIDTH HEIGHT

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli/SampleScene.h"
#include "platform/image/ImageIo.h"

namespace {

// Rewrites a .zpic depth file as a depth-only OpenEXR file beside it.
bool ZpicToExr(const std::string& zpic, std::string& error) {
  C2DIo reader(zpic, kIoWithDepth);
  auto depth = reader.Read();
  if (!depth) {
    error = reader.GetError();
    return false;
  }
  std::string exr = std::filesystem::path(zpic).replace_extension(".exr").string();
  C2DIo writer(exr, kIoSaving);
  if (!writer.PrepareSaving(*depth, 1) || !writer.Save(*depth, -1)) {
    error = writer.GetError();
    return false;
  }
  std::filesystem::remove(zpic);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s FOLDER FRAMES WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  std::string folder = std::filesystem::absolute(argv[1]).string() + "/";
  std::filesystem::create_directories(folder);
  SampleSceneOptions options;
  options.frames = std::atoi(argv[2]);
  options.width = std::atoi(argv[3]);
  options.height = std::atoi(argv[4]);
  options.root = "bench";
  std::string error;
  auto names = WriteSampleScene(folder, options, error);
  for (const std::string& name : names) {
    std::string zpic = folder + std::filesystem::path(name).replace_extension(".zpic").string();
    if (!ZpicToExr(zpic, error)) break;
  }
  if (!error.empty()) {
    std::fprintf(stderr, "make_bench_sequence: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
