#include "app/ui/InfoBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

InfoBox::InfoBox(const QString& text, QWidget* owner)
    : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), owner_(owner) {
  setObjectName(QStringLiteral("InfoBox"));
  setFrameShape(QFrame::Box);
  setLineWidth(1);
  setAutoFillBackground(true);
  text_ = new QLabel(text, this);
  text_->setTextFormat(Qt::PlainText);
  text_->setAlignment(Qt::AlignCenter);
  text_->setWordWrap(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 16, 24, 16);
  layout->addWidget(text_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void InfoBox::Open() {
  adjustSize();
  const QRect area = owner_ ? QRect(owner_->mapToGlobal(QPoint(0, 0)), owner_->size())
                            : (screen() ? screen()->availableGeometry() : QRect(0, 0, 800, 600));
  move(area.center() - rect().center());
  show();
  raise();
  repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void InfoBox::Wait(double seconds) {
  QEventLoop loop;
  QTimer::singleShot(int(seconds * 1000.0), &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

QString InfoBox::Text() const { return text_->text(); }
