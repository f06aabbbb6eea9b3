#pragma once
// The eight built-in diaphs: 100 x 100 pictures in two colours, white where light passes.

#include <memory>

#include "platform/image/Bitmap.h"

constexpr int kPredefinedDiaphCount = 8;
constexpr int kPredefinedDiaphSide = 100;

// Diaph 1 disc, 2 horizontal bar, 3 vertical bar, 4 diagonal band (top left to bottom right),
// 5 the mirror band, 6 the cross of both bands, 7 square, 8 four-pointed star.
// Null for any other number.
std::unique_ptr<g8Bitmap> MakePredefinedDiaph(int number);
