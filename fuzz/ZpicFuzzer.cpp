// libFuzzer target: the raw depth buffer reader.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzZpicFile(data, size);
  return 0;
}
