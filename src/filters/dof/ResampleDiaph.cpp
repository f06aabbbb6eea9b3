#include "filters/dof/ResampleDiaph.h"

#include <cmath>
#include <vector>

#include "platform/image/SPix.h"

namespace {

// Kernels are at most 51 pixels and the diaph picture 55; sizes are kept sane so that a
// stray value cannot ask for an enormous picture or divide by zero.
constexpr float kLargestSize = 4095.0f;

float UsableSize(float size) {
  if (!(size > 0.0f)) return 1.0f;
  return size > kLargestSize ? kLargestSize : size;
}

// Fractions this small are rounding noise, not coverage.
constexpr float kNegligibleFraction = 0.003f;

// The source lines (rows or columns) one result cell covers: whole lines [first, end) plus a
// partial line before (first - 1, weight before) and after (end, weight after).
struct CellSpan {
  int first = 0;
  int end = 0;
  float before = 0.0f;
  float after = 0.0f;
};

CellSpan SpanOfCell(int index, float step, float offset, int sourceSize) {
  const float c0 = float(index) * step;
  const float c1 = float(index + 1) * step;
  CellSpan s;
  s.first = int(std::ceil(c0 - offset));
  s.end = int(std::floor(c1 - offset));
  if (s.first > 0) {
    s.before = float(s.first) + offset - c0;
    if (s.before < kNegligibleFraction) s.before = 0.0f;
  } else {
    s.first = 0;
    s.before = 0.0f;
  }
  if (s.end < sourceSize) {
    s.after = c1 - (float(s.end) + offset);
    if (s.after < kNegligibleFraction) s.after = 0.0f;
  } else {
    s.end = sourceSize;
    s.after = 0.0f;
  }
  if (s.end < s.first) {
    // An enlarged picture: the cell lies inside line `end`, which weighs the cell's own extent
    // (its two partial weights would add up to one more than that and stripe the result).
    s.first = s.end;
    s.before = 0.0f;
    s.after = c1 - c0;
  }
  return s;
}

std::vector<CellSpan> SpansOf(int cells, float size, int sourceSize) {
  const float covered = float(cells) * float(sourceSize) / size;  // source extent the result covers
  const float step = covered / float(cells);                        // source lines per result cell
  const float offset = (covered - float(sourceSize)) * 0.5f;       // margin on each side
  std::vector<CellSpan> spans(static_cast<size_t>(cells));
  for (int i = 0; i < cells; ++i) spans[size_t(i)] = SpanOfCell(i, step, offset, sourceSize);
  return spans;
}

float AreaOfCell(int nx, int ny, float sx, float sy, int width, int height) {
  const float stepX = (float(nx) * float(width) / sx) / float(nx);
  const float stepY = (float(ny) * float(height) / sy) / float(ny);
  return stepX * stepY;
}

void AddPixel(SPix& acc, const g8Bitmap& source, int x, int y, float weight) {
  if (x < 0 || y < 0 || x >= source.GetWidth() || y >= source.GetHeight()) return;
  SPix p(source.GetLine(y)[x]);
  p *= weight;
  acc += p;
}

void AddRow(SPix& acc, const g8Bitmap& source, int y, float rowWeight, const CellSpan& cols) {
  if (cols.before != 0.0f) AddPixel(acc, source, cols.first - 1, y, cols.before * rowWeight);
  for (int x = cols.first; x < cols.end; ++x) AddPixel(acc, source, x, y, rowWeight);
  if (cols.after != 0.0f) AddPixel(acc, source, cols.end, y, cols.after * rowWeight);
}

uint8_t ResampleCell(const g8Bitmap& source, const CellSpan& rows, const CellSpan& cols, float area) {
  SPix acc;
  acc.Init();
  if (rows.before != 0.0f) AddRow(acc, source, rows.first - 1, rows.before, cols);
  for (int y = rows.first; y < rows.end; ++y) AddRow(acc, source, y, 1.0f, cols);
  if (rows.after != 0.0f) AddRow(acc, source, rows.end, rows.after, cols);
  acc /= area;
  return acc.ToGrey();
}

}  // namespace

int OddSideFor(float size) {
  const int n = int(std::ceil(UsableSize(size)));
  return n % 2 == 0 ? n + 1 : n;
}

std::unique_ptr<g8Bitmap> ResampleDiaph(const g8Bitmap& source, float sx, float sy) {
  sx = UsableSize(sx);
  sy = UsableSize(sy);
  const int nx = OddSideFor(sx);
  const int ny = OddSideFor(sy);
  auto result = std::make_unique<g8Bitmap>(nx, ny);
  if (nx == 1 && ny == 1) {
    const uint8_t white[3] = {255, 255, 255};
    SPix p;
    p = white;
    result->GetLine(0)[0] = p.ToGrey();
    return result;
  }
  const int W = source.GetWidth();
  const int H = source.GetHeight();
  if (W == 0 || H == 0) return result;  // nothing to sample: black

  const std::vector<CellSpan> rows = SpansOf(ny, sy, H);
  const std::vector<CellSpan> cols = SpansOf(nx, sx, W);
  const float area = AreaOfCell(nx, ny, sx, sy, W, H);
  for (int j = 0; j < ny; ++j) {
    uint8_t* out = result->GetLine(j);
    for (int i = 0; i < nx; ++i) out[i] = ResampleCell(source, rows[size_t(j)], cols[size_t(i)], area);
  }
  return result;
}
