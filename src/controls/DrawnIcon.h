#pragma once
// Icons drawn by code each time they are shown, at the size and pixel density of the screen,
// so that they stay sharp at any scale factor (a picture drawn once at 1:1 and stretched by
// 1.5 is blurred or blocky).

#include <functional>

#include <QIcon>
#include <QPainter>
#include <QSizeF>

// Draws the icon into a box of that size (in device-independent pixels) at the origin.
using IconDrawing = std::function<void(QPainter&, QSizeF)>;

QIcon DrawnIcon(IconDrawing drawing);
