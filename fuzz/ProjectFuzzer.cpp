// libFuzzer target: the project file reader.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzProjectFile(data, size);
  return 0;
}
