// libFuzzer target: the image-reading entry, over every format it reads.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzImageFile(data, size);
  return 0;
}
