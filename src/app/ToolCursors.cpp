#include "app/ToolCursors.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>

#include "platform/framework/NavigationCommands.h"
#include "tools/DepthTools.h"

namespace {

constexpr int kSize = 32;

// Draws on a transparent square with a white halo under black strokes, legible on any image.
template <typename Draw>
QCursor MakeCursor(int hotX, int hotY, Draw draw) {
  qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(int(kSize * ratio), int(kSize * ratio));
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  for (auto [colour, width] : {std::pair{QColor(Qt::white), 3.5}, std::pair{QColor(Qt::black), 1.5}}) {
    QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    draw(painter);
  }
  painter.end();
  return QCursor(pixmap, hotX, hotY);
}

QCursor Magnifier(bool in) {
  return MakeCursor(12, 12, [in](QPainter& p) {
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.drawLine(QPointF(18, 18), QPointF(27, 27));
    p.drawLine(QPointF(8, 12), QPointF(16, 12));
    if (in) p.drawLine(QPointF(12, 8), QPointF(12, 16));
  });
}

QCursor Crosshair(const QString& mark) {
  return MakeCursor(15, 15, [mark](QPainter& p) {
    p.drawLine(QPointF(15, 3), QPointF(15, 11));
    p.drawLine(QPointF(15, 19), QPointF(15, 27));
    p.drawLine(QPointF(3, 15), QPointF(11, 15));
    p.drawLine(QPointF(19, 15), QPointF(27, 15));
    if (!mark.isEmpty()) {
      QFont font = p.font();
      font.setPixelSize(11);
      font.setBold(true);
      QPainterPath path;
      path.addText(QPointF(20, 11), font, mark);
      p.drawPath(path);
    }
  });
}

QCursor MakeCursorFor(uint32_t commandId, int cursorId) {
  switch (commandId) {
    case kZoomToolId: return Magnifier(true);
    case kZoomOutToolId: return Magnifier(false);
    case kMoveToolId: return Qt::OpenHandCursor;
    default: break;
  }
  switch (cursorId) {
    case kCursorAreaPreview: return Qt::CrossCursor;
    case kCursorValidPick: return Crosshair({});
    case kCursorNoPick: return Qt::ForbiddenCursor;
    case kCursorIntervalFirst: return Crosshair(QStringLiteral("1"));
    case kCursorIntervalSecond: return Crosshair(QStringLiteral("2"));
    default: return Qt::ArrowCursor;
  }
}

}  // namespace

QCursor CursorForCommand(uint32_t commandId, int cursorId) {
  // The view asks on every mouse move: each cursor is drawn once.
  static QHash<quint64, QCursor> cache;
  quint64 key = (quint64(commandId) << 32) | quint32(cursorId);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.insert(key, MakeCursorFor(commandId, cursorId));
  return *it;
}
