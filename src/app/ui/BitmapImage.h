#pragma once
// Pictures of the core's images for the dialogs: a copy, so the dialog outlives nothing.

#include <QImage>

class Bitmap;

// Grey, alpha and colour images as they are; a depth layer as its grey picture.
QImage ToQImage(const Bitmap& picture);
