#pragma once
// Rows of a pass spread over all cores. Internal to the pass sources: it brings in TBB, which
// must stay out of headers that the user interface may include.

#include <array>
#include <cstddef>

#include <tbb/blocked_range.h>
#include <tbb/global_control.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

template <typename RowWork>
void ForRowsInParallel(int first, int end, RowWork&& work) {
  if (first >= end) return;
  tbb::parallel_for(tbb::blocked_range<int>(first, end), [&](const tbb::blocked_range<int>& rows) {
    for (int y = rows.begin(); y != rows.end(); ++y) work(y);
  });
}

// Whether rows spread over the cores may run on more than one thread at once.
inline bool SeveralThreads() {
  return tbb::this_task_arena::max_concurrency() > 1 &&
         tbb::global_control::active_value(tbb::global_control::max_allowed_parallelism) > 1;
}

// Rows [first, end) for one kind of work.
struct RowRange {
  int first = 0;
  int end = 0;
};

// Rows of several independent kinds of work spread over all cores together, with one join
// for all: work(kind, y) for each row y of ranges[kind].
template <std::size_t N, typename RowWork>
void ForRowRangesInParallel(const std::array<RowRange, N>& ranges, RowWork&& work) {
  std::array<int, N + 1> start{};
  for (std::size_t k = 0; k < N; ++k) start[k + 1] = start[k] + (ranges[k].end > ranges[k].first ? ranges[k].end - ranges[k].first : 0);
  ForRowsInParallel(0, start[N], [&](int i) {
    std::size_t k = 0;
    while (i >= start[k + 1]) ++k;
    work(int(k), ranges[k].first + (i - start[k]));
  });
}
