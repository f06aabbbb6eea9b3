#include "filters/dof/SliceRows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "filters/dof/ParallelRows.h"

namespace {

// Border values (128 to 254) are the bytes with the high bit set that are not 255.
uint8_t RowWork(const uint8_t* mask, int width) {
  static_assert(kMaskBorderBase == 128 && kMaskOwn == 255, "border values are the bytes from 128 to 254");
  uint8_t found = 0;
  int x = 0;
#if defined(__SSE2__)
  for (; x + 16 <= width && found != (kRowHasOwn | kRowHasBorder); x += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + x));
    const int own = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xFF))));
    const int high = _mm_movemask_epi8(v);
    if (own != 0) found |= kRowHasOwn;
    if ((high & ~own) != 0) found |= kRowHasBorder;
  }
#endif
  for (; x < width; ++x) {
    if (mask[x] == kMaskOwn) found |= kRowHasOwn;
    if (mask[x] >= kMaskBorderBase && mask[x] != kMaskOwn) found |= kRowHasBorder;
  }
  return found;
}

}  // namespace

std::vector<uint8_t> FindSliceRowWork(const g8Bitmap& mask) {
  std::vector<uint8_t> work(size_t(mask.GetHeight()), 0);
  ForRowsInParallel(0, mask.GetHeight(), [&](int y) { work[size_t(y)] = RowWork(mask.GetLine(y), mask.GetWidth()); });
  return work;
}
