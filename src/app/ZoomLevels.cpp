#include "app/ZoomLevels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ZoomLevels {
namespace {
constexpr std::array kSteps = {1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3,
                               1.0 / 2,  2.0 / 3,   1.0,      1.5,      2.0,     3.0,     4.0,     6.0,
                               8.0,      12.0,      16.0,     24.0,     32.0};
// Zooms this close to a step count as the step, so that a fitted zoom steps naturally.
constexpr double kTolerance = 1e-6;
}  // namespace

double Clamp(double zoom) { return std::clamp(zoom, kMinZoom, kMaxZoom); }

double NextIn(double zoom) {
  for (double step : kSteps) {
    if (step > zoom * (1 + kTolerance)) return step;
  }
  return kMaxZoom;
}

double NextOut(double zoom) {
  for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it) {
    if (*it < zoom * (1 - kTolerance)) return *it;
  }
  return kMinZoom;
}

double Fit(QSize image, QSize area) {
  if (image.isEmpty() || area.isEmpty()) return 1.0;
  double zoom = std::min(double(area.width()) / image.width(), double(area.height()) / image.height());
  return Clamp(zoom);
}

}  // namespace ZoomLevels

QSize ViewGeometry::ScaledSize() const {
  return {int(std::ceil(image.width() * zoom)), int(std::ceil(image.height() * zoom))};
}

QPointF ViewGeometry::Origin() const {
  QSize scaled = ScaledSize();
  double x = scaled.width() < viewport.width() ? (viewport.width() - scaled.width()) / 2 : -scrollX;
  double y = scaled.height() < viewport.height() ? (viewport.height() - scaled.height()) / 2 : -scrollY;
  // On a whole device pixel.
  return {std::round(x * ratio) / ratio, std::round(y * ratio) / ratio};
}

bool ViewGeometry::WholeMagnification() const {
  const double m = Magnification();
  return m >= 1.0 - 1e-9 && std::fabs(m - std::round(m)) < 1e-6;
}

QRectF ViewGeometry::ToView(const QRectF& imageRect) const {
  return {ToView(imageRect.topLeft()), imageRect.size() * zoom};
}

int ViewGeometry::MaxScrollX() const { return std::max(0, ScaledSize().width() - viewport.width()); }
int ViewGeometry::MaxScrollY() const { return std::max(0, ScaledSize().height() - viewport.height()); }

void ViewGeometry::Anchor(QPointF imagePoint, QPointF viewPoint) {
  scrollX = std::clamp(int(std::lround(imagePoint.x() * zoom - viewPoint.x())), 0, MaxScrollX());
  scrollY = std::clamp(int(std::lround(imagePoint.y() * zoom - viewPoint.y())), 0, MaxScrollY());
}
