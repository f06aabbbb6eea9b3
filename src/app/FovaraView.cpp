#include "app/FovaraView.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>

#include "platform/framework/CommandIds.h"
#include "app/ToolCursors.h"
#include "filters/DepthFilterCommand.h"
#include "platform/framework/NavigationCommands.h"
#include "project/ApplicationFrame.h"
#include "project/FovaraDoc.h"
#include "tools/DepthTools.h"

namespace {

constexpr int kWheelNotch = 120;

constexpr int kCheckerSquare = 8;

// The picture's own rows seen as an image: no pixel is copied. For the displayed picture the
// fourth byte is the alpha of premultiplied colour (opaque unless it shows an image with
// alpha); a preview overlay is opaque.
QImage Wrap(const NTBitmap* bitmap, QImage::Format format = QImage::Format_RGBA8888_Premultiplied) {
  if (!bitmap || bitmap->GetWidth() <= 0 || bitmap->GetHeight() <= 0) return {};
  return QImage(bitmap->GetLine(0), bitmap->GetWidth(), bitmap->GetHeight(), qsizetype(bitmap->GetWidth()) * 4, format);
}

QBrush CheckerBrush() {
  QPixmap tile(2 * kCheckerSquare, 2 * kCheckerSquare);
  tile.fill(QColor(204, 204, 204));
  QPainter p(&tile);
  p.fillRect(0, 0, kCheckerSquare, kCheckerSquare, QColor(153, 153, 153));
  p.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare, QColor(153, 153, 153));
  return QBrush(tile);
}

}  // namespace

CFovaraView::CFovaraView(ApplicationFrame& frame, QWidget* parent) : QAbstractScrollArea(parent), frame_(frame) {
  setFrameShape(QFrame::NoFrame);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  setFocusPolicy(Qt::StrongFocus);
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(20);
  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, viewport());
  geometry_.viewport = viewport()->size();
  geometry_.ratio = devicePixelRatioF();
}

CFovaraView::~CFovaraView() = default;

void CFovaraView::SetEmptyText(const QString& text) {
  emptyText_ = text;
  if (!image_) viewport()->update();
}

void CFovaraView::SetDisplayedImage(const NTBitmap* image) {
  QSize previous = geometry_.image;
  image_ = image;
  wrapped_ = Wrap(image);
  transparent_ = image && frame_.GetDocument().GetProject().View().IsDisplayedImageTransparent();
  geometry_.image = wrapped_.size();
  // Another view mode or frame of the same size keeps the zoom and scroll position.
  if (!image_ || geometry_.image != previous) {
    fitted_ = true;
    if (image_) ZoomToFit(false);
  }
  UpdateScrollBars();
  viewport()->update();
  // The readout under a still cursor follows the new picture.
  if (pointer_) ReportPointer(*pointer_);
}

void CFovaraView::Redraw(bool updateNow) {
  if (updateNow) viewport()->repaint();
  else viewport()->update();
}

void CFovaraView::SetOverlay(const ImageRect& rect, std::unique_ptr<NTBitmap> picture) {
  // A new preview replaces the one on show.
  overlay_ = std::move(picture);
  overlayWrapped_ = Wrap(overlay_.get(), QImage::Format_RGBX8888);
  overlayRect_ = rect;
  viewport()->update();
}

void CFovaraView::ClearOverlay() {
  if (!overlay_) return;
  overlay_.reset();
  overlayWrapped_ = QImage();
  viewport()->update();
}

void CFovaraView::ApplyZoom(uint32_t commandId) {
  if (commandId == kZoomResetId) ZoomToFit(false);
  else if (commandId == kZoomFitId) ZoomToFit(true);
  else if (commandId == kZoomActualPixelsId) ZoomActualPixels();
}

void CFovaraView::ZoomAround(double zoom, QPointF viewPoint) {
  zoom = ZoomLevels::Clamp(zoom);
  fitted_ = false;
  QPointF imagePoint = geometry_.ToImage(viewPoint);
  geometry_.zoom = zoom / geometry_.ratio;
  geometry_.Anchor(imagePoint, viewPoint);
  UpdateScrollBars();
  viewport()->update();
  Q_EMIT ZoomChanged(GetZoom());
}

// "Never enlarged" means never more than one image pixel on one screen pixel.
void CFovaraView::ZoomToFit(bool enlarge) {
  double zoom = ZoomLevels::Fit(geometry_.image, viewport()->size());
  if (!enlarge) zoom = std::min(zoom, 1.0 / geometry_.ratio);
  geometry_.zoom = zoom;
  geometry_.scrollX = geometry_.scrollY = 0;
  fitted_ = !enlarge;
  UpdateScrollBars();
  viewport()->update();
  Q_EMIT ZoomChanged(GetZoom());
}

void CFovaraView::FollowPixelRatio() {
  const double ratio = devicePixelRatioF();
  if (ratio == geometry_.ratio) return;
  const double magnification = GetZoom();
  geometry_.ratio = ratio;
  if (image_ && fitted_) {
    ZoomToFit(false);
  } else {
    geometry_.zoom = magnification / ratio;
    UpdateScrollBars();
    viewport()->update();
  }
}


void CFovaraView::ZoomActualPixels() {
  QPointF centre(viewport()->width() / 2.0, viewport()->height() / 2.0);
  ZoomAround(1.0, centre);
}

QPoint CFovaraView::ScrollPosition() const { return {geometry_.scrollX, geometry_.scrollY}; }

void CFovaraView::UpdateScrollBars() {
  geometry_.viewport = viewport()->size();
  geometry_.scrollX = std::clamp(geometry_.scrollX, 0, geometry_.MaxScrollX());
  geometry_.scrollY = std::clamp(geometry_.scrollY, 0, geometry_.MaxScrollY());
  // Setting the bars calls scrollContentsBy, which reads them back: keep the wanted values.
  const int x = geometry_.scrollX, y = geometry_.scrollY;
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  h->setRange(0, geometry_.MaxScrollX());
  h->setPageStep(geometry_.viewport.width());
  v->setRange(0, geometry_.MaxScrollY());
  v->setPageStep(geometry_.viewport.height());
  h->setValue(x);
  v->setValue(y);
  geometry_.scrollX = x;
  geometry_.scrollY = y;
}

void CFovaraView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  geometry_.ratio = devicePixelRatioF();
  if (image_ && fitted_) ZoomToFit(false);
  else UpdateScrollBars();
}

void CFovaraView::scrollContentsBy(int, int) {
  geometry_.scrollX = horizontalScrollBar()->value();
  geometry_.scrollY = verticalScrollBar()->value();
  viewport()->update();
}

// --- Painting ---

void CFovaraView::paintEvent(QPaintEvent* event) {
  FollowPixelRatio();
  QPainter painter(viewport());
  const QRect exposed = event->rect();
  painter.fillRect(exposed, QColor::fromRgb(kViewBackground));
  if (!image_) {
    if (!emptyText_.isEmpty()) {
      painter.setPen(QColor(200, 200, 200));
      QRect box = viewport()->rect().adjusted(40, 40, -40, -40);
      painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
    }
    return;
  }
  PaintImage(painter, exposed);
  if (overlay_) PaintOverlay(painter);
  if (DepthFilterCommand* filter = CurrentFilterCommand(frame_.GetDocument().GetProject());
      filter && frame_.GetDocument().GetProject().View().GetViewMode() == kViewFilterPreview) {
    filter->OnPreviewDraw();
  }
}

// Only the part of the image under the exposed area is drawn, from the picture's rows, in the
// screen's own pixels: at whole magnifications pixel for pixel (each image pixel an even
// square), at any other zoom smoothed, so that no row or column is doubled or dropped.
void CFovaraView::PaintImage(QPainter& painter, const QRect& exposed) {
  QRectF imageInView = geometry_.ToView(QRectF(QPointF(0, 0), QSizeF(geometry_.image)));
  QRectF visible = imageInView.intersected(QRectF(exposed));
  if (visible.isEmpty()) return;
  QPointF topLeft = geometry_.ToImage(visible.topLeft());
  QPointF bottomRight = geometry_.ToImage(visible.bottomRight());
  QRect source(QPoint(int(std::floor(topLeft.x())), int(std::floor(topLeft.y()))),
               QPoint(int(std::ceil(bottomRight.x())) - 1, int(std::ceil(bottomRight.y())) - 1));
  source = source.intersected(QRect(QPoint(0, 0), geometry_.image));
  if (source.isEmpty()) return;
  if (transparent_) PaintCheckerboard(painter, imageInView.intersected(QRectF(exposed)));
  painter.save();
  // Device pixels: the target's corner and size are whole device pixels where they can be.
  const double ratio = geometry_.ratio;
  painter.scale(1.0 / ratio, 1.0 / ratio);
  const double magnification = geometry_.Magnification();
  const QPointF origin = geometry_.Origin() * ratio;
  const QRectF target(origin + QPointF(source.topLeft()) * magnification, QSizeF(source.size()) * magnification);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, !geometry_.WholeMagnification());
  painter.drawImage(target, wrapped_, QRectF(source));
  painter.restore();
}

void CFovaraView::PaintCheckerboard(QPainter& painter, const QRectF& area) {
  static const QBrush checker = CheckerBrush();
  painter.save();
  painter.setBrushOrigin(geometry_.Origin());
  painter.fillRect(area, checker);
  painter.restore();
}

void CFovaraView::PaintOverlay(QPainter& painter) {
  QRectF target = geometry_.ToView(QRectF(overlayRect_.x, overlayRect_.y, overlayRect_.width, overlayRect_.height));
  painter.drawImage(target, overlayWrapped_);
  QRect frame = target.toAlignedRect().adjusted(-1, -1, 0, 0);
  painter.setPen(QPen(Qt::white, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(frame);
}

// --- Mouse and keys ---

CQelCommand* CFovaraView::CurrentCommand() const { return frame_.GetCommandManager().GetCurrentCommand(); }

uint32_t CFovaraView::CurrentCommandId() const {
  CQelCommand* command = CurrentCommand();
  return command ? command->GetID() : 0;
}

QPoint CFovaraView::ImagePixel(QPointF viewPoint) const {
  QPointF p = geometry_.ToImage(viewPoint);
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

void CFovaraView::StartPan(QPoint at) {
  panFrom_ = at;
  panScrollStart_ = ScrollPosition();
  viewport()->setCursor(Qt::ClosedHandCursor);
}

void CFovaraView::PanTo(QPoint at) {
  QPoint moved = at - *panFrom_;
  horizontalScrollBar()->setValue(panScrollStart_.x() - moved.x());
  verticalScrollBar()->setValue(panScrollStart_.y() - moved.y());
}

void CFovaraView::mousePressEvent(QMouseEvent* event) {
  setFocus();
  QPoint at = event->position().toPoint();
  if (event->button() == Qt::MiddleButton) {
    if (image_) StartPan(at);
    return;
  }
  if (event->button() == Qt::LeftButton && overlay_) {
    // The click that removes the preview does nothing else.
    ClearOverlay();
    swallowRelease_ = true;
    UpdateCursor(event->position());
    return;
  }
  if (!image_) return;
  const uint32_t id = CurrentCommandId();
  const bool left = event->button() == Qt::LeftButton;
  const bool right = event->button() == Qt::RightButton;
  if (right && IsDepthTool(CurrentCommand())) {
    // A right click ends a depth tool, as Escape does.
    frame_.EndTool();
    UpdateCursor(event->position());
    Q_EMIT CommandInput();
    return;
  }
  if ((id == kZoomToolId || id == kZoomOutToolId) && (left || right)) {
    bool in = (id == kZoomToolId) == left;
    ZoomAround(in ? ZoomLevels::NextIn(GetZoom()) : ZoomLevels::NextOut(GetZoom()), event->position());
  } else if (id == kMoveToolId && left) {
    StartPan(at);
  } else if (id == kAreaPreviewToolId && left) {
    dragFrom_ = at;
    rubberBand_->setGeometry(QRect(at, QSize()));
    rubberBand_->show();
  } else if (left) {
    if (CQelCommand* command = CurrentCommand()) {
      QPoint pixel = ImagePixel(event->position());
      command->OnLButtonDown(pixel.x(), pixel.y());
      Q_EMIT CommandInput();
    }
  }
}

void CFovaraView::mouseMoveEvent(QMouseEvent* event) {
  QPoint at = event->position().toPoint();
  if (panFrom_) {
    PanTo(at);
  } else if (dragFrom_) {
    rubberBand_->setGeometry(QRect(*dragFrom_, at).normalized());
  } else if (image_ && !overlay_) {
    if (CQelCommand* command = CurrentCommand()) {
      QPoint pixel = ImagePixel(event->position());
      command->OnMouseMove(pixel.x(), pixel.y());
    }
  }
  ReportPointer(event->position());
  if (!panFrom_) UpdateCursor(event->position());
}

void CFovaraView::mouseReleaseEvent(QMouseEvent* event) {
  if (swallowRelease_ && event->button() == Qt::LeftButton) {
    swallowRelease_ = false;
    return;
  }
  if (panFrom_ && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
    panFrom_.reset();
    UpdateCursor(event->position());
    return;
  }
  if (dragFrom_ && event->button() == Qt::LeftButton) FinishAreaDrag(event->position().toPoint());
}

// The dragged rectangle goes to the area preview in image pixels.
void CFovaraView::FinishAreaDrag(QPoint at) {
  QRect dragged = QRect(*dragFrom_, at).normalized();
  dragFrom_.reset();
  rubberBand_->hide();
  auto* preview = dynamic_cast<AreaPreviewCommand*>(CurrentCommand());
  if (!preview) return;
  QPoint a = ImagePixel(dragged.topLeft());
  QPoint b = ImagePixel(dragged.bottomRight());
  preview->PreviewRectangle({a.x(), a.y(), b.x() - a.x() + 1, b.y() - a.y() + 1});
  Q_EMIT CommandInput();
}

void CFovaraView::wheelEvent(QWheelEvent* event) {
  if (!image_) return;
  event->accept();
  wheelDelta_ += event->angleDelta().y();
  int notches = wheelDelta_ / kWheelNotch;
  if (notches == 0) return;
  wheelDelta_ -= notches * kWheelNotch;
  double zoom = GetZoom();
  for (int i = 0; i < std::abs(notches); ++i) zoom = notches > 0 ? ZoomLevels::NextIn(zoom) : ZoomLevels::NextOut(zoom);
  ZoomAround(zoom, event->position());
  ReportPointer(event->position());
}

void CFovaraView::keyPressEvent(QKeyEvent* event) {
  CQelCommand* command = CurrentCommand();
  if (command && command->OnKey(event->key())) {
    Q_EMIT CommandInput();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void CFovaraView::leaveEvent(QEvent* event) {
  pointer_.reset();
  Q_EMIT PointerMoved(0, 0, false);
  QAbstractScrollArea::leaveEvent(event);
}

void CFovaraView::ReportPointer(QPointF viewPoint) {
  pointer_ = viewPoint;
  QPoint pixel = ImagePixel(viewPoint);
  bool inside = image_ && QRect(QPoint(0, 0), geometry_.image).contains(pixel);
  Q_EMIT PointerMoved(pixel.x(), pixel.y(), inside);
}

// The current command chooses the cursor over the image; the overlay and an empty view
// keep the ordinary arrow.
void CFovaraView::UpdateCursor(QPointF viewPoint) {
  CQelCommand* command = CurrentCommand();
  if (!image_ || overlay_ || !command) {
    viewport()->setCursor(Qt::ArrowCursor);
    return;
  }
  QPoint pixel = ImagePixel(viewPoint);
  int cursorId = command->SetCursor(pixel.x(), pixel.y());
  viewport()->setCursor(CursorForCommand(command->GetID(), cursorId));
}
