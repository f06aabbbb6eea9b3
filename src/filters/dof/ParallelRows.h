#pragma once
// Rows of a pass spread over all cores. Internal to the pass sources: it brings in TBB, which
// must stay out of headers that the user interface may include.

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

template <typename RowWork>
void ForRowsInParallel(int first, int end, RowWork&& work) {
  if (first >= end) return;
  tbb::parallel_for(tbb::blocked_range<int>(first, end), [&](const tbb::blocked_range<int>& rows) {
    for (int y = rows.begin(); y != rows.end(); ++y) work(y);
  });
}
