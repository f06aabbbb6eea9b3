#pragma once
// What tests read back from files and from the process itself.

#include <string>

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// The largest resident memory of this process so far, in megabytes: a test that feeds a lying
// header checks that its stated size was never allocated.
long PeakMemoryMegabytes();
