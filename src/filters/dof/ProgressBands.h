#pragma once
// Long passes poll their progress before each row y with (y + 1) % 80 == 0. Between two
// polls the rows form a band that may be worked on all at once, in any order.

#include "platform/framework/RenderProgress.h"

constexpr int kRowsPerProgressStep = 80;

// Number of polls in a pass over `height` rows.
constexpr int ProgressStepsForRows(int height) { return height / kRowsPerProgressStep; }

// The end of the band of rows that starts at row `first`: the next polled row, or the height.
constexpr int NextBandEnd(int height, int first) {
  const int nextPolled = ((first + 1) / kRowsPerProgressStep + 1) * kRowsPerProgressStep - 1;
  return nextPolled < height ? nextPolled : height;
}

// Calls work(first, end) for each band of rows [first, end), polling before each band that
// starts on a polled row. False when a poll reported a cancel (later bands are not worked).
template <typename Work>
bool ForEachProgressBand(int height, RenderProgress& progress, Work&& work) {
  for (int first = 0; first < height;) {
    if ((first + 1) % kRowsPerProgressStep == 0 && progress.Step()) return false;
    const int end = NextBandEnd(height, first);
    work(first, end);
    first = end;
  }
  return true;
}
