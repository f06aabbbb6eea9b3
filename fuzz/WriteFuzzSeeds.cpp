// Writes the fuzz targets' seed corpus: fovara_fuzz_seeds FOLDER.

#include <cstdio>

#include "FuzzSeeds.h"
#include "platform/framework/StringTable.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!WriteFuzzSeeds(argv[1], error)) {
    std::fprintf(stderr, "fovara_fuzz_seeds: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
