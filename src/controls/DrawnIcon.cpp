#include "controls/DrawnIcon.h"

#include <QIconEngine>
#include <QImage>
#include <QPixmap>
#include <utility>

namespace {

class DrawnIconEngine final : public QIconEngine {
 public:
  explicit DrawnIconEngine(IconDrawing drawing) : drawing_(std::move(drawing)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    painter->save();
    painter->translate(rect.topLeft());
    painter->setClipRect(QRect(QPoint(0, 0), rect.size()), Qt::IntersectClip);
    drawing_(*painter, QSizeF(rect.size()));
    painter->restore();
  }

  // A pixmap of device pixels; QIcon asks for the size times the screen's pixel ratio.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    painter.end();
    return QPixmap::fromImage(image);
  }

  // Asked for by menus and toolbars at the screen's density: size is in device pixels.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) override {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    drawing_(painter, QSizeF(size) / scale);
    painter.end();
    image.setDevicePixelRatio(scale);
    return QPixmap::fromImage(image);
  }

  QIconEngine* clone() const override { return new DrawnIconEngine(drawing_); }

 private:
  IconDrawing drawing_;
};

}  // namespace

QIcon DrawnIcon(IconDrawing drawing) { return QIcon(new DrawnIconEngine(std::move(drawing))); }
