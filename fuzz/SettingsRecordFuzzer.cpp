// libFuzzer target: settings records and the keyframe track.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSettingsRecord(data, size);
  return 0;
}
