#include "filters/atmosphere/panel/AtmosphericPerspectivePanel.h"

#include <cmath>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/PanelWidgets.h"
#include "controls/UiText.h"
#include "controls/CCustomScrollbar.h"
#include "controls/FilterPanelRegistry.h"
#include "controls/NumberField.h"
#include "controls/ToolBitmapButton.h"
#include "filters/atmosphere/AtmosphereSliders.h"
#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"
#include "platform/framework/UserInterface.h"
#include "project/ProjectData.h"
#include "strings/StringIds.h"
#include "project/ProgramDialogs.h"

namespace {



constexpr int kStartDepthMode = 1;
constexpr int kBarMaximum = 100;
constexpr int kWidth = 138;

}  // namespace

AtmosphericPerspectivePanel::AtmosphericPerspectivePanel(AtmosphericPerspectiveFilter& filter, QWidget* parent)
    : QWidget(parent), filter_(filter) {
  setObjectName(QStringLiteral("AtmosphericPerspectivePanel"));
  const int width = DialogUnitsX(this, kWidth);
  depthButton_ = MakeTextToolButton(this, kDepthCaption, kDepthHelp, QSize(width, DialogUnitsY(this, 14)));
  colourButton_ = MakeColourButton(this, kColourCaption, kColourHelp);
  colourButton_->setFixedWidth(width);
  rampBox_ = MakePictureBox(this, QSize(width, DialogUnitsY(this, 29)), 0);
  rampBox_->setObjectName(QStringLiteral("ramp"));
  // Each bar with its position as a number beside it: typed there, or following the bar.
  auto bar = [this, width](int minimum, int helpId, NumberField*& field) {
    field = new NumberField(minimum, kBarMaximum, 0, this);
    field->SetLive(true);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 10);
    SetControlHelp(field, helpId);
    CCustomScrollbar* made = MakeValueBar(this, minimum, kBarMaximum, minimum, helpId);
    made->SetTrackWidth(width - 2 * 12 - field->width() - 6);
    connect(made, &CCustomScrollbar::ValueReleased, this, [this] { SyncFromPanel(); });
    connect(made, &CCustomScrollbar::ValueMoved, field, [field](CCustomScrollbar*, int v) { field->SetValue(v); });
    connect(field, &NumberField::ValueEdited, this, [this, made](double v) {
      made->SetRange(made->GetMinimum(), made->GetMaximum(), int(v));
      SyncFromPanel();
    });
    return made;
  };
  nearBar_ = bar(0, kNearHelp, nearField_);
  farBar_ = bar(0, kFarHelp, farField_);
  densityBar_ = bar(1, kDensityHelp, densityField_);
  foregroundCheck_ = MakeCheckBox(this, kForegroundCaption, kForegroundHelp, width);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(DialogUnitsY(this, 3));
  layout->addWidget(depthButton_, 0, Qt::AlignHCenter);
  layout->addWidget(colourButton_, 0, Qt::AlignHCenter);
  layout->addSpacing(DialogUnitsY(this, 6));
  layout->addWidget(rampBox_, 0, Qt::AlignHCenter);
  layout->addSpacing(DialogUnitsY(this, 2));
  for (auto [caption, slider] : {std::pair{kNearCaption, nearBar_}, std::pair{kFarCaption, farBar_},
                                 std::pair{kDensityCaption, densityBar_}}) {
    layout->addWidget(new QLabel(UiText(caption), this));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(slider);
    row->addWidget(FieldOf(slider));
    row->addStretch(1);
    layout->addLayout(row);
  }
  layout->addSpacing(DialogUnitsY(this, 4));
  layout->addWidget(foregroundCheck_);
  layout->addStretch(1);

  connect(foregroundCheck_, &QCheckBox::clicked, this, [this] { SyncFromPanel(); });
  connect(colourButton_, &QPushButton::clicked, this, [this] { ChooseColour(); });
  connect(depthButton_, &QAbstractButton::clicked, this,
          [this] { LaunchDepthTool(filter_, depthButton_, kDepthPointToolId, kStartDepthMode); });
}

AtmosphericPerspectiveSettings& AtmosphericPerspectivePanel::Settings() const {
  return static_cast<AtmosphericPerspectiveSettings&>(filter_.GetCurrentSettings());
}

void AtmosphericPerspectivePanel::SyncToPanel() {
  const AtmosphericPerspectiveSettings& settings = Settings();
  SetColourButtonColour(colourButton_, settings.Colour);
  foregroundCheck_->setChecked(filter_.Options().InForeground);
  densityBar_->SetRange(1, kBarMaximum, SliderPositionFromDensity(settings.Density));
  nearBar_->SetRange(0, kBarMaximum, SliderPositionFromIntensity(settings.NearIntensity));
  farBar_->SetRange(0, kBarMaximum, SliderPositionFromIntensity(settings.FarIntensity));
  for (CCustomScrollbar* bar : {densityBar_, nearBar_, farBar_}) FieldOf(bar)->SetValue(bar->GetValue());
  RedrawRamp();
}

NumberField* AtmosphericPerspectivePanel::FieldOf(const CCustomScrollbar* bar) const {
  return bar == nearBar_ ? nearField_ : (bar == farBar_ ? farField_ : densityField_);
}

void AtmosphericPerspectivePanel::SyncFromPanel() {
  AtmosphericPerspectiveSettings& settings = Settings();
  const CRGBColor shown = ColourButtonColour(colourButton_);
  settings.Colour = CRGBColor(shown.Red(), shown.Green(), shown.Blue(), settings.Colour.Extra());
  // A bar left where the settings already are keeps their exact value.
  if (densityBar_->GetValue() != SliderPositionFromDensity(settings.Density)) {
    settings.Density = DensityFromSliderPosition(densityBar_->GetValue());
  }
  if (nearBar_->GetValue() != SliderPositionFromIntensity(settings.NearIntensity)) {
    settings.NearIntensity = IntensityFromSliderPosition(nearBar_->GetValue());
  }
  if (farBar_->GetValue() != SliderPositionFromIntensity(settings.FarIntensity)) {
    settings.FarIntensity = IntensityFromSliderPosition(farBar_->GetValue());
  }
  filter_.Options().InForeground = foregroundCheck_->isChecked();
  filter_.GetProject().History().NameNextChange(kSettingsChange);
  filter_.GetProject().NotifyChanged(kChangeSettings);
  for (CCustomScrollbar* bar : {densityBar_, nearBar_, farBar_}) FieldOf(bar)->SetValue(bar->GetValue());
  RedrawRamp();
}

void AtmosphericPerspectivePanel::ChooseColour() {
  std::optional<uint32_t> chosen = Dialogs(filter_.GetProject().UI()).ChooseColour(ColourButtonColour(colourButton_).ToValue() & 0xFFFFFF);
  if (!chosen) return;
  SetColourButtonColour(colourButton_, CRGBColor::FromValue(*chosen));
  SyncFromPanel();
}

void AtmosphericPerspectivePanel::RedrawRamp() {
  // In the screen's own pixels: sharp at any scale factor.
  const qreal ratio = rampBox_->devicePixelRatioF();
  ramp_ = DrawRamp(Settings(), (QSizeF(rampBox_->contentsRect().size()) * ratio).toSize());
  ramp_.setDevicePixelRatio(ratio);
  rampBox_->setPixmap(QPixmap::fromImage(ramp_));
}

QImage AtmosphericPerspectivePanel::DrawRamp(const AtmosphericPerspectiveSettings& settings, QSize size) {
  const int w = size.width();
  const int h = size.height();
  QImage ramp(size, QImage::Format_RGB32);
  ramp.fill(Qt::black);
  if (w < 1 || h < 1) return ramp;
  QPainter p(&ramp);
  const double range = double(settings.FarIntensity) - settings.NearIntensity;
  const double red = settings.Colour.Red(), green = settings.Colour.Green(), blue = settings.Colour.Blue();
  for (int x = 0; x < w; ++x) {
    const double v = std::pow(double(x) / w, double(settings.Density)) * range + settings.NearIntensity;
    p.setPen(QColor(std::clamp(int(red * v), 0, 255), std::clamp(int(green * v), 0, 255),
                    std::clamp(int(blue * v), 0, 255)));
    p.drawLine(x, h, x, 0);
    p.setPen(QColor(std::clamp(int(170 + red * v / 3), 0, 255), std::clamp(int(green * v), 0, 255),
                    std::clamp(int(blue * v), 0, 255)));
    p.drawLine(x, h, x, int(h - h * v));
  }
  return ramp;
}

namespace {

// The filter list's picture: the farther, the hazier.
void AddHaze(QImage& layer, double t) {
  const QColor haze(214, 222, 232);
  ForEachPixel(layer, [t, &haze](const QColor& c) { return MixColours(c, haze, 0.9 * t); });
}

const FilterPanelRegistration kRegistration({AtmosphericPerspectiveFilter::kDescription.id,
                                             MakePanel<AtmosphericPerspectivePanel, AtmosphericPerspectiveFilter>,
                                             AddHaze});

}  // namespace
