#include "filters/RowPass.h"

#include <algorithm>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "tools/Progress.h"

int ProgressRowInterval(int height) { return std::max(1, height / 5); }

bool RunRowPass(int height, const std::function<void(int y)>& computeRow) {
  if (height < 1) return true;
  const int interval = ProgressRowInterval(height);
  for (int first = 0; first < height; first += interval) {
    // The display is the user interface's: it is only ever touched from this thread.
    if (ProgressStep()) return false;
    const int last = std::min(height, first + interval);
    tbb::parallel_for(tbb::blocked_range<int>(first, last), [&](const tbb::blocked_range<int>& rows) {
      for (int y = rows.begin(); y != rows.end(); ++y) computeRow(y);
    });
  }
  return true;
}

FilterLayers GetFilterLayers(const CLayerBitmap& source, rgbBitmap& destination) {
  const auto* colour = source.GetLayer<rgbBitmap>();
  const auto* depth = source.GetLayer<floatBitmap>();
  if (!colour || !depth) return {};
  const int width = destination.GetWidth();
  const int height = destination.GetHeight();
  if (colour->GetWidth() != width || colour->GetHeight() != height) return {};
  if (depth->GetWidth() != width || depth->GetHeight() != height) return {};
  return {colour, depth, &destination};
}
