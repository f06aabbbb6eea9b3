#include "app/ui/ProgressDialog.h"

#include <QApplication>
#include <algorithm>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/UiText.h"
#include "strings/StringIds.h"

namespace {
// Events are handled at most this often while the render runs.
constexpr int kEventIntervalMs = 30;
}  // namespace

ProgressDialog::ProgressDialog(const QString& text, int total, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ProgressDialog"));
  setWindowTitle(UiText(kRendering));
  setWindowModality(Qt::ApplicationModal);

  text_ = new QLabel(text, this);
  text_->setObjectName(QStringLiteral("text"));
  text_->setTextFormat(Qt::PlainText);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, total);
  bar_->setValue(0);
  bar_->setMinimumWidth(340);
  cancel_ = new QPushButton(UiText(kCancel), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ProgressDialog::Open() {
  show();
  raise();
  QApplication::processEvents();
  sinceEvents_.start();
}

bool ProgressDialog::Step() {
  bar_->setValue(std::min(bar_->value() + 1, bar_->maximum()));
  if (!sinceEvents_.isValid() || sinceEvents_.elapsed() >= kEventIntervalMs) ProcessPendingEvents();
  return cancelled_;
}

int ProgressDialog::Position() const { return bar_->value(); }

int ProgressDialog::Percent() const { return bar_->maximum() > 0 ? bar_->value() * 100 / bar_->maximum() : 0; }

void ProgressDialog::reject() { cancelled_ = true; }

void ProgressDialog::ProcessPendingEvents() {
  QApplication::processEvents();
  sinceEvents_.restart();
}
