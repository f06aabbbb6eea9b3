#include "app/ui/BitmapImage.h"

#include <cstring>

#include "platform/image/Bitmap.h"

namespace {

QImage CopyRows(const Bitmap& picture, QImage::Format format) {
  QImage image(picture.GetWidth(), picture.GetHeight(), format);
  if (image.isNull()) return image;
  const size_t rowBytes = size_t(picture.GetWidth()) * picture.GetBytesPerPixel();
  for (int y = 0; y < picture.GetHeight(); ++y) {
    std::memcpy(image.scanLine(y), picture.GetLineBytes(y), rowBytes);
  }
  return image;
}

}  // namespace

QImage ToQImage(const Bitmap& picture) {
  switch (picture.GetType()) {
    case kRgbBitmap:
      return CopyRows(picture, QImage::Format_RGB888);
    case kGreyBitmap:
    case kAlphaBitmap:
      return CopyRows(picture, QImage::Format_Grayscale8);
    case kRgbFloatBitmap:
      return CopyRows(*picture.ConvertToType(kRgbBitmap), QImage::Format_RGB888);
    case kAlphaFloatBitmap:
      return CopyRows(*picture.ConvertToType(kAlphaBitmap), QImage::Format_Grayscale8);
    case kDepthBitmap: {
      auto grey = static_cast<const depthBitmap&>(picture).GetDepthPicture(kGreyBitmap, 0, 0.2f);
      return grey ? CopyRows(*grey, QImage::Format_Grayscale8) : QImage();
    }
  }
  return {};
}

QPixmap FittedPixmap(const QImage& picture, QSize box, qreal devicePixelRatio) {
  QPixmap pixmap = QPixmap::fromImage(
      picture.scaled(box * devicePixelRatio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}
