#include "app/SplashPicture.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

#include "FovaraVersion.h"
#include "app/Icons.h"
#include "platform/framework/StringTable.h"
#include "controls/UiText.h"

QPixmap MakeSplashPicture() {
  const QSize size(460, 220);
  qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient background(0, 0, 0, size.height());
  background.setColorAt(0, QColor(0x2a, 0x34, 0x44));
  background.setColorAt(1, QColor(0x15, 0x1a, 0x22));
  painter.fillRect(QRect(QPoint(0, 0), size), background);
  ProgramIcon().paint(&painter, QRect(28, 50, 112, 112));

  painter.setPen(Qt::white);
  QFont title = painter.font();
  title.setPixelSize(40);
  title.setBold(true);
  painter.setFont(title);
  painter.drawText(QRect(160, 48, 280, 50), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(LoadString(InterfaceLanguage(), kProgramName)));
  QFont body = painter.font();
  body.setPixelSize(15);
  body.setBold(false);
  painter.setFont(body);
  painter.setPen(QColor(0xd6, 0xdd, 0xe8));
  painter.drawText(QRect(160, 100, 280, 50), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromStdString(LoadString(InterfaceLanguage(), kDepthDrivenPostProcessing)));
  painter.setPen(QColor(0x9d, 0xb0, 0xc8));
  painter.drawText(QRect(160, 160, 280, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(FormatString(InterfaceLanguage(), kVersionText, kFovaraVersion)));
  return pixmap;
}
