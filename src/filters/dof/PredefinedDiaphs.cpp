#include "filters/dof/PredefinedDiaphs.h"

#include <cmath>
#include <functional>

namespace {

constexpr int kSide = kPredefinedDiaphSide;
// Pixel centres measured from the picture's centre.
double CentredX(int x) { return x + 0.5 - kSide / 2.0; }

using Shape = std::function<bool(int x, int y)>;

bool Disc(int x, int y) {
  // Radius 50 around the centre, tested at pixel centres: the top row is white from 43 to 56.
  double dx = CentredX(x), dy = CentredX(y);
  return dx * dx + dy * dy <= 50.0 * 50.0;
}
bool HorizontalBar(int, int y) { return y >= 40 && y <= 59; }
bool VerticalBar(int x, int) { return x >= 40 && x <= 59; }
// 27 pixels across in row 50 (columns 37 to 63 and 36 to 62).
bool FallingBand(int x, int y) { return std::abs(x - y) <= 13; }
bool RisingBand(int x, int y) { return std::abs(x + y - (kSide - 1)) <= 13; }
bool Cross(int x, int y) { return FallingBand(x, y) || RisingBand(x, y); }
bool Square(int x, int y) { return x >= 1 && x <= kSide - 2 && y >= 1 && y <= kSide - 2; }
bool Star(int x, int y) {
  // Two arms narrowing from the centre to a half-pixel tip at the middle of each side,
  // so that rows 49 and 50 (and columns 49 and 50) stay white across the whole picture.
  constexpr double kSlope = 0.35;
  constexpr double kTip = kSide / 2.0 - 0.5;
  double ax = std::fabs(CentredX(x)), ay = std::fabs(CentredX(y));
  return ay <= 0.5 + kSlope * (kTip - ax) || ax <= 0.5 + kSlope * (kTip - ay);
}

Shape ShapeOf(int number) {
  switch (number) {
    case 1: return Disc;
    case 2: return HorizontalBar;
    case 3: return VerticalBar;
    case 4: return FallingBand;
    case 5: return RisingBand;
    case 6: return Cross;
    case 7: return Square;
    case 8: return Star;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<g8Bitmap> MakePredefinedDiaph(int number) {
  Shape shape = ShapeOf(number);
  if (!shape) return nullptr;
  auto picture = std::make_unique<g8Bitmap>(kSide, kSide);
  for (int y = 0; y < kSide; ++y) {
    uint8_t* row = picture->GetLine(y);
    for (int x = 0; x < kSide; ++x) row[x] = shape(x, y) ? 255 : 0;
  }
  return picture;
}
