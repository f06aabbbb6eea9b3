#include "app/CustomVReBar.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QEvent>
#include <QVBoxLayout>

CCustomVReBar::CCustomVReBar(QWidget* parent) : QDockWidget(parent) {
  setObjectName(QStringLiteral("leftPane"));
  setFeatures(QDockWidget::NoDockWidgetFeatures);
  setAllowedAreas(Qt::LeftDockWidgetArea);
  setTitleBarWidget(new QWidget(this));  // each bar has its own title

  scroller_ = new QScrollArea(this);
  scroller_->setWidgetResizable(true);
  scroller_->setFrameShape(QFrame::NoFrame);
  scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  content_ = new QWidget(scroller_);
  column_ = new QVBoxLayout(content_);
  column_->setContentsMargins(4, 4, 4, 4);
  column_->setSpacing(6);
  column_->addStretch(1);
  scroller_->setWidget(content_);
  setWidget(scroller_);
  scroller_->verticalScrollBar()->installEventFilter(this);
  hide();
}

void CCustomVReBar::FitWidth() {
  int width = content_->minimumSizeHint().width();
  QScrollBar* bar = scroller_->verticalScrollBar();
  if (bar->isVisible()) width += bar->sizeHint().width();
  scroller_->setMinimumWidth(width);
}

bool CCustomVReBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scroller_->verticalScrollBar() && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    FitWidth();
  }
  return QDockWidget::eventFilter(watched, event);
}

void CCustomVReBar::AddNewBar(QWidget* panel, const std::string& title) {
  // Above the bottom bar, else above the stretch that keeps the bars at the top.
  AddFrame(panel, title, bottomFrame_ ? column_->indexOf(bottomFrame_) : column_->count() - 1);
}

void CCustomVReBar::AddBottomBar(QWidget* panel, const std::string& title) {
  bottomFrame_ = AddFrame(panel, title, column_->count() - 1);
  // The bottom bar takes the height the others leave.
  column_->setStretchFactor(bottomFrame_, 1);
  column_->setStretch(column_->count() - 1, 0);
}

QWidget* CCustomVReBar::AddFrame(QWidget* panel, const std::string& title, int position) {
  auto* frame = new QWidget;
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* caption = new QLabel(QString::fromStdString(title), frame);
  QFont bold = caption->font();
  bold.setBold(true);
  caption->setFont(bold);
  caption->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(caption);
  layout->addWidget(panel);
  column_->insertWidget(position, frame);
  bars_.push_back({panel, frame});
  show();
  FitWidth();
  return frame;
}

bool CCustomVReBar::RemoveBar(QWidget* panel) {
  for (auto it = bars_.begin(); it != bars_.end(); ++it) {
    if (it->panel != panel) continue;
    panel->setParent(nullptr);
    if (it->frame == bottomFrame_) {
      bottomFrame_ = nullptr;
      column_->setStretch(column_->count() - 1, 1);
    }
    delete it->frame;
    bars_.erase(it);
    if (bars_.empty()) hide();
    FitWidth();
    return true;
  }
  return false;
}
