#pragma once
// The zoom factors the view steps through, and the geometry that maps image points to the
// view and back for a zoom and a scroll position.

#include <QPointF>
#include <QRectF>
#include <QSize>

namespace ZoomLevels {

constexpr double kMinZoom = 1.0 / 32.0;
constexpr double kMaxZoom = 32.0;

// The next step up or down from a zoom that may lie between steps; clamped to the range.
double NextIn(double zoom);
double NextOut(double zoom);
double Clamp(double zoom);
// The largest zoom that shows the whole image in the area (never below kMinZoom).
double Fit(QSize image, QSize area);

}  // namespace ZoomLevels

// Where the image lies in the view: centred while it is smaller than the view, else moved
// by the scroll position. Sizes and positions are in the view's device-independent pixels;
// the image's corner falls on a whole device pixel, so that at one image pixel per device
// pixel each lands on exactly one.
struct ViewGeometry {
  QSize image;
  QSize viewport;
  double zoom = 1.0;   // view pixels per image pixel
  double ratio = 1.0;  // device pixels per view pixel (the screen's scale factor)
  int scrollX = 0;
  int scrollY = 0;

  // Device pixels per image pixel: what the user sees as the zoom.
  double Magnification() const { return zoom * ratio; }
  // One image pixel per device pixel, or a whole number of device pixels per image pixel:
  // nearest-neighbour drawing shows even pixels there; everywhere else needs smoothing.
  bool WholeMagnification() const;

  QSize ScaledSize() const;
  QPointF Origin() const;
  QPointF ToView(QPointF imagePoint) const { return Origin() + imagePoint * zoom; }
  QPointF ToImage(QPointF viewPoint) const { return (viewPoint - Origin()) / zoom; }
  QRectF ToView(const QRectF& imageRect) const;
  // The largest scroll values.
  int MaxScrollX() const;
  int MaxScrollY() const;
  // The scroll position that puts the image point at the view point, clamped.
  void Anchor(QPointF imagePoint, QPointF viewPoint);
};
