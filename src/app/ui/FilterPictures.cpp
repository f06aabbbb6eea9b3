#include "app/ui/FilterPictures.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

#include "controls/FilterPanelRegistry.h"

namespace {

// One layer of the landscape, drawn in a 100 x 75 space.
struct Layer {
  double distance;
  std::function<void(QPainter&)> draw;
};

std::vector<Layer> Landscape() {
  return {
      {1.0, [](QPainter& p) {
         QLinearGradient sky(0, 0, 0, 50);
         sky.setColorAt(0, QColor(70, 130, 210));
         sky.setColorAt(1, QColor(170, 205, 240));
         p.fillRect(QRectF(0, 0, 100, 75), sky);
       }},
      {0.85, [](QPainter& p) {
         QPainterPath hills;
         hills.moveTo(0, 50);
         hills.cubicTo(20, 22, 35, 28, 50, 40);
         hills.cubicTo(62, 24, 80, 18, 100, 38);
         hills.lineTo(100, 75);
         hills.lineTo(0, 75);
         p.fillPath(hills, QColor(92, 120, 160));
       }},
      {0.6, [](QPainter& p) {
         QLinearGradient ground(0, 45, 0, 75);
         ground.setColorAt(0, QColor(120, 170, 70));
         ground.setColorAt(1, QColor(60, 120, 40));
         p.fillRect(QRectF(0, 48, 100, 27), ground);
       }},
      {0.45, [](QPainter& p) {
         p.fillRect(QRectF(69, 36, 4, 18), QColor(110, 70, 40));
         p.setBrush(QColor(40, 130, 60));
         p.setPen(Qt::NoPen);
         p.drawEllipse(QRectF(60, 16, 22, 26));
       }},
      {0.0, [](QPainter& p) {
         QRadialGradient shade(QPointF(26, 48), 16, QPointF(22, 44));
         shade.setColorAt(0, QColor(255, 190, 120));
         shade.setColorAt(1, QColor(200, 40, 30));
         p.setBrush(shade);
         p.setPen(Qt::NoPen);
         p.drawEllipse(QPointF(28, 52), 14, 14);
       }},
  };
}

}  // namespace

QPixmap FilterPicture(uint32_t filterId, QSize size, qreal devicePixelRatio) {
  const QSize pixels = size * devicePixelRatio;
  QImage picture(pixels, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  const FilterPanelEntry* entry = FindFilterPanel(filterId);
  const PictureEffect effect = entry && entry->pictureEffect ? entry->pictureEffect : [](QImage&, double) {};
  QPainter out(&picture);
  for (const Layer& layer : Landscape()) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing);
      p.scale(pixels.width() / 100.0, pixels.height() / 75.0);
      layer.draw(p);
    }
    effect(image, layer.distance);
    out.drawImage(0, 0, image);
  }
  out.end();
  QPixmap pixmap = QPixmap::fromImage(picture);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}
