#include "app/ui/DepthModeDialog.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/ui/BitmapImage.h"
#include "controls/UiText.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"
#include "platform/image/Bitmap.h"
#include "strings/StringIds.h"

namespace {

const QSize kPreviewBox(180, 180);

// The slider position of a gamma. Rounded, not truncated: 0.29 is stored as 0.28999..., and
// truncation would move the slider down by one at every opening.
int SliderPosition(float gamma) { return std::clamp(int(std::lround(double(gamma) * 100.0)), 1, 100); }

}  // namespace

DepthModeDialog::DepthModeDialog(const depthBitmap& depth, QWidget* parent) : QDialog(parent), depth_(depth) {
  setObjectName(QStringLiteral("DepthModeDialog"));
  setWindowTitle(UiText(kChooseZBufferMode));

  CCustomData record;
  record.LoadFromPrefs(kPrefsApplication, kDepthModePrefsRecord);
  choice_.curve = record.GetUInt(kDepthModeCurveKey, 0) == 1 ? 1 : 0;
  choice_.gamma = record.GetFloat(kDepthModeGammaKey, 0.2f);

  preview_ = new QLabel(this);
  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setFixedSize(kPreviewBox);
  preview_->setFrameShape(QFrame::StyledPanel);
  preview_->setAlignment(Qt::AlignCenter);

  auto* explanation = new QLabel(UiText(kSelectConversionModeGives), this);
  explanation->setWordWrap(true);
  exponential_ = new QRadioButton(UiText(kExponential), this);
  exponential_->setObjectName(QStringLiteral("exponential"));
  linear_ = new QRadioButton(UiText(kLinear), this);
  linear_->setObjectName(QStringLiteral("linear"));
  auto* curves = new QButtonGroup(this);
  curves->addButton(exponential_, 0);
  curves->addButton(linear_, 1);
  (choice_.curve == 1 ? linear_ : exponential_)->setChecked(true);

  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QStringLiteral("gamma"));
  slider_->setRange(1, 100);
  slider_->setValue(SliderPosition(choice_.gamma));
  slider_->setEnabled(choice_.curve == 0);
  gammaText_ = new QLabel(this);
  gammaText_->setObjectName(QStringLiteral("gammaText"));
  gammaText_->setMinimumWidth(gammaText_->fontMetrics().horizontalAdvance(QStringLiteral("0.00")) + 4);
  ShowGamma();

  grey_ = new QPushButton(UiText(kGrayedZBufferModeItem), this);
  grey_->setObjectName(QStringLiteral("grey"));
  grey_->setDefault(true);
  colour_ = new QPushButton(UiText(kColoredZBufferModeItem), this);
  colour_->setObjectName(QStringLiteral("colour"));

  auto* curveRow = new QHBoxLayout;
  curveRow->addWidget(exponential_);
  curveRow->addWidget(slider_, 1);
  curveRow->addWidget(gammaText_);
  auto* settings = new QVBoxLayout;
  settings->addWidget(explanation);
  settings->addSpacing(8);
  settings->addLayout(curveRow);
  settings->addWidget(linear_);
  settings->addStretch(1);
  settings->addWidget(grey_);
  settings->addWidget(colour_);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(preview_, 0, Qt::AlignTop);
  layout->addSpacing(8);
  layout->addLayout(settings, 1);
  setMinimumWidth(560);

  connect(curves, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) SettingsChanged();
  });
  connect(slider_, &QSlider::valueChanged, this, &DepthModeDialog::SettingsChanged);
  connect(grey_, &QPushButton::clicked, this, [this] { Finish(1); });
  connect(colour_, &QPushButton::clicked, this, [this] { Finish(2); });
  // The preview is rebuilt on a clock, not on every slider step, so dragging stays smooth
  // on large frames.
  connect(&previewTimer_, &QTimer::timeout, this, &DepthModeDialog::RefreshPreview);
  previewTimer_.start(kPreviewMs);
  RefreshPreview();
}

DepthModeDialog::~DepthModeDialog() {
  CCustomData record;
  record.SetUInt(kDepthModeCurveKey, uint32_t(choice_.curve));
  record.SetFloat(kDepthModeGammaKey, choice_.gamma);
  record.SaveToPrefs(kPrefsApplication, kDepthModePrefsRecord);
}

void DepthModeDialog::SettingsChanged() {
  choice_.curve = linear_->isChecked() ? 1 : 0;
  // The linear curve has no gamma: the slider rests, and keeps its value for later.
  if (choice_.curve == 0) choice_.gamma = float(slider_->value()) * 0.01f;
  slider_->setEnabled(choice_.curve == 0);
  ShowGamma();
  previewDirty_ = true;
}

void DepthModeDialog::ShowGamma() {
  gammaText_->setText(QString::fromStdString(FormatDecimal(InterfaceLanguage(), choice_.gamma, 2)));
  gammaText_->setEnabled(choice_.curve == 0);
}

void DepthModeDialog::RefreshPreview() {
  if (!previewDirty_) return;
  const auto picture = depth_.GetDepthPicture(kGreyBitmap, choice_.curve, choice_.gamma);
  if (picture) preview_->setPixmap(FittedPixmap(ToQImage(*picture), kPreviewBox - QSize(4, 4), devicePixelRatioF()));
  previewDirty_ = false;
}

void DepthModeDialog::Finish(int choice) {
  choice_.choice = choice;
  accept();
}
