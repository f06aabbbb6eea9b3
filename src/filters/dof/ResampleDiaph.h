#pragma once
// Area-averaging resampler for diaph pictures, in single precision as the kernels were always
// made: the source is scaled so that its width covers `width` result pixels and its height
// `height`, centred in a result whose sides are those sizes rounded up to odd numbers.

#include <memory>

#include "platform/image/Bitmap.h"

// Odd side of a result: ceil(size), plus 1 when even; at least 1.
int OddSideFor(float size);

// A new grey picture of OddSideFor(width) x OddSideFor(height). A 1 x 1 result is white.
// Cells reaching past the source take nothing there, so border cells come out darker.
std::unique_ptr<g8Bitmap> ResampleDiaph(const g8Bitmap& source, float width, float height);
