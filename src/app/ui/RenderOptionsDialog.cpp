#include "app/ui/RenderOptionsDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/UiText.h"
#include "strings/StringIds.h"

namespace {

constexpr int kModeTextIds[] = {kRenderFirstFrameItem, kRenderLastFrameItem, kRenderCurrentFrameItem, kRenderAllFramesItem, kRenderRange};

QSpinBox* FrameEdit(int frameCount, int value, QWidget* parent, const char* name) {
  auto* edit = new QSpinBox(parent);
  edit->setObjectName(QString::fromLatin1(name));
  // A frame beyond the animation becomes its last frame.
  edit->setRange(0, std::max(frameCount - 1, 0));
  edit->setValue(value);
  edit->setMinimumWidth(90);
  return edit;
}

QLabel* BuddyLabel(int textId, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(UiText(textId), parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

RenderOptionsDialog::RenderOptionsDialog(int frameCount, QWidget* parent)
    : QDialog(parent), options_(frameCount) {
  setObjectName(QStringLiteral("RenderOptionsDialog"));
  setWindowTitle(UiText(kOptions));

  auto* group = new QButtonGroup(this);
  auto* layout = new QVBoxLayout(this);
  for (int mode = 0; mode < kRenderRangeModeCount; ++mode) {
    modes_[size_t(mode)] = new QRadioButton(UiText(kModeTextIds[mode]), this);
    modes_[size_t(mode)]->setObjectName(QStringLiteral("mode%1").arg(mode));
    group->addButton(modes_[size_t(mode)], mode);
    layout->addWidget(modes_[size_t(mode)]);
  }
  modes_[size_t(options_.GetMode())]->setChecked(true);

  first_ = FrameEdit(frameCount, options_.GetFirst(), this, "firstFrame");
  last_ = FrameEdit(frameCount, options_.GetLast(), this, "lastFrame");
  count_ = new QLineEdit(this);
  count_->setObjectName(QStringLiteral("framesNumber"));
  count_->setReadOnly(true);
  count_->setEnabled(false);
  count_->setMaximumWidth(90);

  auto* range = new QGridLayout;
  range->setContentsMargins(24, 0, 0, 0);
  range->addWidget(BuddyLabel(kFirstFrameItem, first_, this), 0, 0);
  range->addWidget(first_, 0, 1);
  range->addWidget(BuddyLabel(kLastFrameItem, last_, this), 1, 0);
  range->addWidget(last_, 1, 1);
  range->addWidget(BuddyLabel(kFramesNumber, count_, this), 2, 0);
  range->addWidget(count_, 2, 1);
  range->setColumnStretch(2, 1);
  layout->addLayout(range);

  // Escape and the window's close button cancel the render, as Cancel does.
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addSpacing(6);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(group, &QButtonGroup::idToggled, this, [this](int mode, bool checked) {
    if (!checked) return;
    options_.SetMode(RenderRangeMode(mode));
    ShowRange();
  });
  connect(first_, &QSpinBox::valueChanged, this, [this](int frame) {
    options_.SetFirst(frame);
    ShowRange();
  });
  connect(last_, &QSpinBox::valueChanged, this, [this](int frame) {
    options_.SetLast(frame);
    ShowRange();
  });
  ShowRange();
}

// The choice is remembered however the dialog is closed.
RenderOptionsDialog::~RenderOptionsDialog() { options_.Store(); }

RenderRangeChoice RenderOptionsDialog::GetChoice() const {
  RenderRangeChoice choice = options_.GetChoice();
  choice.cancelled = result() != QDialog::Accepted;
  return choice;
}

void RenderOptionsDialog::ShowRange() {
  const bool range = options_.RangeEnabled();
  first_->setEnabled(range);
  last_->setEnabled(range);
  count_->setText(QString::number(options_.GetFramesNumber()));
}
