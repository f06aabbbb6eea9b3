#pragma once
// The picture of each filter in the filter list: a small landscape (a ball in front, a tree,
// hills and sky behind) with the filter's effect growing with distance.

#include <QPixmap>
#include <QSize>
#include <cstdint>

// Painted for the given device pixel ratio, so it stays sharp at any scale. An unknown
// filter id gives the landscape unchanged.
QPixmap FilterPicture(uint32_t filterId, QSize size, qreal devicePixelRatio);
