#pragma once
// Pictures of the core's images for the dialogs: a copy, so the dialog outlives nothing.

#include <QImage>
#include <QPixmap>

class Bitmap;

// Grey, alpha and colour images as they are; a depth layer as its grey picture.
QImage ToQImage(const Bitmap& picture);

// The picture scaled to fit the box (in device-independent pixels), its shape kept, sharp at
// the given device pixel ratio.
QPixmap FittedPixmap(const QImage& picture, QSize box, qreal devicePixelRatio);
