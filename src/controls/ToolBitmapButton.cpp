#include "controls/ToolBitmapButton.h"

#include <QPainter>
#include <algorithm>
#include <vector>

namespace {

std::function<uint32_t()> gCurrentCommand;
int gLastLaunchedMode = 0;
// Every button, so that a launch repaints the one that blinked before at once.
std::vector<ToolBitmapButton*> gButtons;

bool SameIcon(const QIcon& a, const QIcon& b) { return a.cacheKey() == b.cacheKey() || (a.isNull() && b.isNull()); }

}  // namespace

ToolBitmapButton::ToolBitmapButton(QWidget* parent) : QAbstractButton(parent) {
  setFixedSize(size_);
  blink_.setInterval(kBlinkMs);
  connect(&blink_, &QTimer::timeout, this, &ToolBitmapButton::BlinkTick);
  connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
  connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
  gButtons.push_back(this);
}

ToolBitmapButton::~ToolBitmapButton() { std::erase(gButtons, this); }

void ToolBitmapButton::SetCurrentCommandQuery(std::function<uint32_t()> query) { gCurrentCommand = std::move(query); }

int ToolBitmapButton::LastLaunchedMode() { return gLastLaunchedMode; }

void ToolBitmapButton::SetBitmaps(const QIcon& normal, const QIcon& highlighted, const QIcon& disabled, QSize size) {
  if (SameIcon(normal, normal_) && SameIcon(highlighted, highlighted_) && SameIcon(disabled, disabled_) &&
      size == size_) {
    return;
  }
  normal_ = normal;
  highlighted_ = highlighted;
  disabled_ = disabled;
  size_ = size;
  setFixedSize(size_);
  update();
}

void ToolBitmapButton::StartBlink(uint32_t toolId, int mode) {
  toolId_ = toolId;
  toolMode_ = mode;
  gLastLaunchedMode = mode;
  phase_ = 0;
  blink_.start();
  for (ToolBitmapButton* button : gButtons) button->update();
}

bool ToolBitmapButton::LaunchedCurrentMode() const {
  const uint32_t current = gCurrentCommand ? gCurrentCommand() : 0;
  return toolId_ != 0 && current == toolId_ && gLastLaunchedMode == toolMode_;
}

void ToolBitmapButton::BlinkTick() {
  phase_ ^= 1;
  if (!LaunchedCurrentMode()) StopBlink();
  update();
}

void ToolBitmapButton::StopBlink() {
  blink_.stop();
  toolId_ = 0;
  toolMode_ = 0;
  phase_ = 0;
}

void ToolBitmapButton::FollowCurrentCommand() {
  for (ToolBitmapButton* button : gButtons) {
    if (button->IsBlinking() && !button->LaunchedCurrentMode()) {
      button->StopBlink();
      button->update();
    }
  }
}

bool ToolBitmapButton::ShowsHighlight() const {
  if (highlighted_.isNull()) return false;
  // A button whose mode was replaced by another button's shows its normal look at once.
  const bool blinkOn = phase_ == 1 && blink_.isActive() && gLastLaunchedMode == toolMode_;
  return isDown() || blinkOn;
}

void ToolBitmapButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QIcon* picture = &normal_;
  if (ShowsHighlight()) {
    picture = &highlighted_;
  } else if (!isEnabled() && !disabled_.isNull()) {
    picture = &disabled_;
  }
  picture->paint(&p, rect(), Qt::AlignCenter, QIcon::Normal, QIcon::Off);
}
