#pragma once
// The image view: shows the project's displayed picture with zoom and scroll bars over a
// dark background, the preview overlay of a rectangle until the next click, and hands the
// mouse to the current command in image coordinates. The middle button pans and the wheel
// zooms around the cursor whatever tool is active.

#include <memory>
#include <optional>

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>

#include "app/ZoomLevels.h"
#include "project/ImageViewport.h"

class ApplicationFrame;
class CQelCommand;
class QRubberBand;

// Dark grey around the image and in an empty view.
inline constexpr QRgb kViewBackground = 0xFF303030;

class CFovaraView : public QAbstractScrollArea, public ImageViewport {
  Q_OBJECT

 public:
  explicit CFovaraView(ApplicationFrame& frame, QWidget* parent = nullptr);
  ~CFovaraView() override;

  // --- What the project asks of the view ---
  void SetDisplayedImage(const NTBitmap* image) override;
  void Redraw(bool updateNow) override;
  void SetOverlay(const ImageRect& rect, std::unique_ptr<NTBitmap> picture) override;
  void ClearOverlay() override;
  bool HasOverlay() const override { return overlay_ != nullptr; }
  void ApplyZoom(uint32_t commandId) override;

  // --- Zoom and scrolling ---
  // The zoom as the user sees it: screen (device) pixels per image pixel, whatever the
  // screen's scale factor; 1 is one image pixel on one screen pixel.
  double GetZoom() const { return geometry_.Magnification(); }
  // Sets the zoom keeping the image point under the view point where it is.
  void ZoomAround(double zoom, QPointF viewPoint);
  void ZoomToFit(bool enlarge);
  void ZoomActualPixels();
  QPointF ViewToImage(QPointF viewPoint) const { return geometry_.ToImage(viewPoint); }
  QPointF ImageToView(QPointF imagePoint) const { return geometry_.ToView(imagePoint); }
  QPoint ScrollPosition() const;
  bool HasImage() const { return image_ != nullptr; }
  // The text shown in an empty view.
  void SetEmptyText(const QString& text);

 Q_SIGNALS:
  // The image pixel under the cursor; inside is false when the cursor left the image.
  void PointerMoved(int x, int y, bool inside);
  void ZoomChanged(double zoom);
  // A command took mouse or key input: the frame refreshes what depends on its state.
  void CommandInput();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  CQelCommand* CurrentCommand() const;
  uint32_t CurrentCommandId() const;
  QPoint ImagePixel(QPointF viewPoint) const;
  void UpdateScrollBars();
  void UpdateCursor(QPointF viewPoint);
  void ReportPointer(QPointF viewPoint);
  void StartPan(QPoint at);
  void PanTo(QPoint at);
  void FinishAreaDrag(QPoint at);
  void PaintImage(QPainter& painter, const QRect& exposed);
  // The squares shown where the picture is transparent.
  void PaintCheckerboard(QPainter& painter, const QRectF& area);
  // Follows the screen's scale factor (the window moved to another screen, say).
  void FollowPixelRatio();
  void PaintOverlay(QPainter& painter);

  ApplicationFrame& frame_;
  const NTBitmap* image_ = nullptr;
  QImage wrapped_;  // the displayed picture's own rows, not a copy
  bool transparent_ = false;  // some of its pixels are not opaque: a checkerboard shows through
  ViewGeometry geometry_;
  // A new picture of another size starts fitted; resizing keeps it fitted until the user zooms.
  bool fitted_ = true;

  std::unique_ptr<NTBitmap> overlay_;
  QImage overlayWrapped_;
  ImageRect overlayRect_;

  std::optional<QPoint> panFrom_;
  QPoint panScrollStart_;
  std::optional<QPoint> dragFrom_;  // area preview rectangle, view coordinates
  QRubberBand* rubberBand_ = nullptr;
  bool swallowRelease_ = false;  // the click that removed the overlay
  std::optional<QPointF> pointer_;  // last cursor position over the view
  int wheelDelta_ = 0;  // fine wheels and touchpads send parts of a notch
  QString emptyText_;
};
