#include "controls/CCustomScrollbar.h"

#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kArrowWidth = 18;
constexpr int kBarHeight = 18;

void DrawArrow(QPainter& p, const QRect& box, bool pointsRight, bool pressed, const QPalette& palette) {
  p.setPen(palette.color(QPalette::Mid));
  p.setBrush(pressed ? palette.color(QPalette::Dark) : palette.color(QPalette::Button));
  p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
  const QPointF c = QRectF(box).center();
  const qreal half = box.height() * 0.22;
  const qreal dir = pointsRight ? 1 : -1;
  QPainterPath triangle;
  triangle.moveTo(c.x() + dir * half, c.y());
  triangle.lineTo(c.x() - dir * half * 0.8, c.y() - half);
  triangle.lineTo(c.x() - dir * half * 0.8, c.y() + half);
  triangle.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(pressed ? palette.color(QPalette::BrightText) : palette.color(QPalette::ButtonText));
  p.drawPath(triangle);
}

}  // namespace

CCustomScrollbar::CCustomScrollbar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CCustomScrollbar"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFixedSize(sizeHint());
  repeat_.setInterval(kRepeatMs);
  connect(&repeat_, &QTimer::timeout, this, &CCustomScrollbar::RepeatTick);
}

int CCustomScrollbar::ArrowWidth() const { return kArrowWidth; }
int CCustomScrollbar::TrackWidth() const { return trackWidth_; }

void CCustomScrollbar::SetTrackWidth(int width) {
  trackWidth_ = std::max(width, 8);
  setFixedSize(sizeHint());
  LayOut();
  update();
}
int CCustomScrollbar::BarWidth() const { return 2 * ArrowWidth() + TrackWidth(); }

QSize CCustomScrollbar::sizeHint() const { return {BarWidth(), kBarHeight}; }

QRect CCustomScrollbar::LeftArrowRect() const { return {0, 0, ArrowWidth(), kBarHeight}; }
QRect CCustomScrollbar::TrackRect() const { return {ArrowWidth(), 0, TrackWidth(), kBarHeight}; }
QRect CCustomScrollbar::RightArrowRect() const { return {ArrowWidth() + TrackWidth(), 0, ArrowWidth(), kBarHeight}; }

void CCustomScrollbar::SetParentWidth(int width) {
  parentWidth_ = width;
  LayOut();
}

void CCustomScrollbar::LayOut() {
  QWidget* parent = parentWidget();
  // A bar placed by a layout stays where the layout puts it.
  if (!parent || (parent->layout() && parent->layout()->indexOf(this) >= 0)) return;
  const int width = parentWidth_ > 0 ? parentWidth_ : parent->contentsRect().width();
  move((width - BarWidth()) / 2, y());
}

void CCustomScrollbar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  update();
}

void CCustomScrollbar::SetRange(int minimum, int maximum, int value) {
  if (minimum == minimum_ && maximum == maximum_ && value == GetValue()) return;
  minimum_ = std::min(minimum, maximum);
  maximum_ = std::max(minimum, maximum);
  value_ = std::clamp(float(value), float(minimum_), float(maximum_));
  update();
}

void CCustomScrollbar::SetValue(float value) {
  const float clamped = std::clamp(value, float(minimum_), float(maximum_));
  if (clamped == value_) return;
  const int before = GetValue();
  value_ = clamped;
  update();
  if (state_ != kIdle && GetValue() != before) Q_EMIT ValueMoved(this, GetValue());
}

int CCustomScrollbar::GetStep() const {
  if (step_ > 0) return step_;
  return std::max(1, int(std::lround((maximum_ - minimum_) * 0.1)));
}

// Whole steps from the value shown, so that up then down comes back to where it was.
void CCustomScrollbar::Step(int direction) { SetValue(float(GetValue() + direction * GetStep())); }

void CCustomScrollbar::SetValueFromTrack(int x) {
  const float t = std::clamp(float(x - ArrowWidth()) / float(TrackWidth()), 0.0f, 1.0f);
  SetValue(float(minimum_) + t * float(maximum_ - minimum_));
}

void CCustomScrollbar::Press(int x) {
  pressed_ = true;
  if (x < ArrowWidth() || x >= ArrowWidth() + TrackWidth()) {
    state_ = x < ArrowWidth() ? kRepeatDown : kRepeatUp;
    Step(state_ == kRepeatUp ? 1 : -1);
    repeat_.start();
  } else {
    state_ = kDragging;
    SetValueFromTrack(x);
  }
  update();
}

void CCustomScrollbar::RepeatTick() {
  if (state_ == kRepeatUp) {
    Step(1);
  } else if (state_ == kRepeatDown) {
    Step(-1);
  } else {
    repeat_.stop();
    update();
  }
}

void CCustomScrollbar::EndPress() {
  repeat_.stop();
  state_ = kIdle;
  pressed_ = false;
  update();
  Q_EMIT ValueReleased(this, GetValue());
}

void CCustomScrollbar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  Press(event->position().toPoint().x());
}

void CCustomScrollbar::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CCustomScrollbar::mouseMoveEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (state_ == kDragging) SetValueFromTrack(x);
  const bool overTrack = x > ArrowWidth() && x < ArrowWidth() + TrackWidth();
  setCursor(overTrack || state_ == kDragging ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void CCustomScrollbar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  if (state_ == kDragging) SetValueFromTrack(event->position().toPoint().x());
  EndPress();
}

void CCustomScrollbar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  p.fillRect(rect(), pal.color(QPalette::Window));

  DrawArrow(p, LeftArrowRect(), false, state_ == kRepeatDown, pal);
  DrawArrow(p, RightArrowRect(), true, state_ == kRepeatUp, pal);

  const QRect track = TrackRect().adjusted(1, 2, -1, -2);
  const float span = float(maximum_ - minimum_);
  const int filled = span > 0 ? int((value_ - float(minimum_)) / span * float(track.width())) : 0;
  p.setPen(Qt::NoPen);
  p.setBrush(pal.color(QPalette::Base));
  p.drawRect(track);
  p.setBrush(isEnabled() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid));
  p.drawRect(QRect(track.left(), track.top(), filled, track.height()));
  p.setPen(pal.color(QPalette::Mid));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(track).adjusted(0.5, 0.5, -0.5, -0.5));
}
