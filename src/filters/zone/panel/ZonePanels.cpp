#include "filters/zone/panel/ZonePanels.h"

#include <algorithm>
#include <cmath>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/PanelWidgets.h"
#include "controls/FilterPanelRegistry.h"
#include "controls/ToolBitmapButton.h"
#include "filters/zone/ZoneDepthTools.h"
#include "filters/zone/ZoneFilters.h"
#include "platform/framework/UserInterface.h"
#include "project/ProjectData.h"
#include "strings/StringIds.h"
#include "project/ProgramDialogs.h"

namespace {

constexpr int kCheckWidth = 138;

const ZoneToolTexts kSaturationTools{kConstantColoredZoneItem, kSaturationZoneHelp, 106, kForegroundBlackWhitePointItem, kSaturationForegroundHelp, kBackgroundBlackWhitePointItem, kSaturationBackgroundHelp, 65};
const ZoneToolTexts kLuminanceTools{kConstantLightingZoneItem, kLuminanceZoneHelp, 99, kForegroundUnlightPointItem, kLuminanceForegroundHelp, kBackgroundUnlightPointItem, kLuminanceBackgroundHelp, 62};
const ZoneToolTexts kHueTools{kConstantHueZoneItem, kHueZoneHelp, 99, kForegroundTintedPointItem, kHueForegroundHelp, kBackgroundTintedPointItem, kHueBackgroundHelp, 62};

// Caption and help of the invert, foreground and background check boxes.
const ZoneCheckTexts kSaturationChecks{{{kInvertBlackWhiteZoneItem, kInvertSaturationZoneHelp}, {kSaturateColorForegroundItem, kCheckOptionMakeForeground}, {kSaturateColorBackgroundItem, kCheckOptionMakeBackground}}};
const ZoneCheckTexts kLuminanceChecks{{{kInvertLightingZoneItem, kInvertLightZoneHelp}, {kLightForegroundItem, kCheckOptionLightenForeground}, {kLightBackgroundItem, kCheckOptionLightenBackground}}};

}  // namespace

ZonePanel::ZonePanel(DepthFilterCommand& filter, const ZoneToolTexts& texts, QWidget* parent)
    : QWidget(parent), filter_(filter) {
  const QSize zoneSize(DialogUnitsX(this, texts.zoneWidth), DialogUnitsY(this, 14));
  // Both point buttons as tall as the longer caption needs.
  const int pointWidth = DialogUnitsX(this, texts.pointWidth);
  const QSize pointSize(pointWidth, std::max({DialogUnitsY(this, 21),
                                              TextButtonHeight(this, texts.foregroundCaption, pointWidth),
                                              TextButtonHeight(this, texts.backgroundCaption, pointWidth)}));
  zoneButton_ = MakeTextToolButton(this, texts.zoneCaption, texts.zoneHelp, zoneSize);
  foregroundButton_ = MakeTextToolButton(this, texts.foregroundCaption, texts.foregroundHelp, pointSize);
  backgroundButton_ = MakeTextToolButton(this, texts.backgroundCaption, texts.backgroundHelp, pointSize);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(DialogUnitsY(this, 3));
  layout->addWidget(zoneButton_, 0, Qt::AlignHCenter);
  auto* points = new QHBoxLayout;
  points->addStretch(1);
  points->addWidget(foregroundButton_);
  points->addSpacing(DialogUnitsX(this, 8));
  points->addWidget(backgroundButton_);
  points->addStretch(1);
  layout->addLayout(points);
  layout->addSpacing(DialogUnitsY(this, 6));

  connect(zoneButton_, &QAbstractButton::clicked, this,
          [this] { LaunchDepthTool(filter_, zoneButton_, kDepthIntervalToolId, 0); });
  connect(foregroundButton_, &QAbstractButton::clicked, this,
          [this] { LaunchDepthTool(filter_, foregroundButton_, kDepthPointToolId, kZoneForegroundPointMode); });
  connect(backgroundButton_, &QAbstractButton::clicked, this,
          [this] { LaunchDepthTool(filter_, backgroundButton_, kDepthPointToolId, kZoneBackgroundPointMode); });
}

void ZonePanel::AddWidget(QWidget* widget, Qt::Alignment alignment) {
  static_cast<QVBoxLayout*>(layout())->addWidget(widget, 0, alignment);
}

void ZonePanel::AddCheck(int captionId, int helpId, bool& option) {
  QCheckBox* box = MakeCheckBox(this, captionId, helpId, DialogUnitsX(this, kCheckWidth));
  AddWidget(box);
  checks_.push_back({box, &option});
  connect(box, &QCheckBox::clicked, this, [this] { SyncFromPanel(); });
}

void ZonePanel::AddZoneOptionChecks(ZoneOptions& options, const ZoneCheckTexts& texts) {
  bool* flags[] = {&options.InvertZone, &options.RaiseForeground, &options.RaiseBackground};
  for (size_t i = 0; i < texts.size(); ++i) AddCheck(texts[i].first, texts[i].second, *flags[i]);
  static_cast<QVBoxLayout*>(layout())->addStretch(1);
}

void ZonePanel::SyncToPanel() {
  syncing_ = true;
  for (const OptionCheck& check : checks_) check.box->setChecked(*check.option);
  ShowExtra();
  syncing_ = false;
}

void ZonePanel::SyncFromPanel() {
  if (syncing_) return;
  for (const OptionCheck& check : checks_) *check.option = check.box->isChecked();
  TakeExtra();
  filter_.GetProject().History().NameNextChange(kSettingsChange);
  filter_.GetProject().NotifyChanged(kChangeSettings);
}

ZSaturationPanel::ZSaturationPanel(ZSaturationFilter& filter, QWidget* parent)
    : ZonePanel(filter, kSaturationTools, parent) {
  setObjectName(QStringLiteral("ZSaturationPanel"));
  AddZoneOptionChecks(filter.GetOptionsOf(), kSaturationChecks);
}

ZLuminancePanel::ZLuminancePanel(ZLuminanceFilter& filter, QWidget* parent)
    : ZonePanel(filter, kLuminanceTools, parent) {
  setObjectName(QStringLiteral("ZLuminancePanel"));
  AddZoneOptionChecks(filter.GetOptionsOf(), kLuminanceChecks);
}

ZHuePanel::ZHuePanel(ZHueFilter& filter, QWidget* parent) : ZonePanel(filter, kHueTools, parent) {
  setObjectName(QStringLiteral("ZHuePanel"));
  colourButton_ = MakeColourButton(this, kChooseHueItem, kChooseHueHelp);
  colourButton_->setFixedWidth(DialogUnitsX(this, 99));
  AddWidget(colourButton_, Qt::AlignHCenter);
  static_cast<QVBoxLayout*>(layout())->addSpacing(DialogUnitsY(this, 6));
  AddCheck(kInvertTintedZoneItem, kInvertHueZoneHelp, filter.GetOptionsOf().InvertZone);
  static_cast<QVBoxLayout*>(layout())->addStretch(1);
  connect(colourButton_, &QPushButton::clicked, this, [this] { ChooseColour(); });
}

void ZHuePanel::ShowExtra() {
  SetColourButtonColour(colourButton_, static_cast<ZHueSettings&>(filter_.GetCurrentSettings()).Colour);
}

void ZHuePanel::TakeExtra() {
  CRGBColor& colour = static_cast<ZHueSettings&>(filter_.GetCurrentSettings()).Colour;
  const CRGBColor chosen = ColourButtonColour(colourButton_);
  // The fourth byte travels with the colour: the button shows only the three others.
  colour = CRGBColor(chosen.Red(), chosen.Green(), chosen.Blue(), colour.Extra());
}

void ZHuePanel::ChooseColour() {
  std::optional<uint32_t> chosen = Dialogs(filter_.GetProject().UI()).ChooseColour(ColourButtonColour(colourButton_).ToValue() & 0xFFFFFF);
  if (!chosen) return;
  SetColourButtonColour(colourButton_, CRGBColor::FromValue(*chosen));
  SyncFromPanel();
}

namespace {

// The filter list's pictures: the farther, the greyer, the darker, the more the hue turns.
void Desaturate(QImage& layer, double t) {
  ForEachPixel(layer, [t](const QColor& c) {
    const int grey = qGray(c.rgb());
    return MixColours(c, QColor(grey, grey, grey), t);
  });
}

void Darken(QImage& layer, double t) {
  ForEachPixel(layer, [t](const QColor& c) { return MixColours(c, QColor(Qt::black), 0.85 * t); });
}

void ShiftHue(QImage& layer, double t) {
  ForEachPixel(layer, [t](const QColor& c) {
    float h, s, l, a;
    c.getHslF(&h, &s, &l, &a);
    if (h < 0) return c;
    return QColor::fromHslF(float(std::fmod(h + 0.45 * t, 1.0)), s, l, a);
  });
}

const FilterPanelRegistration kZSaturation({ZSaturationFilter::kDescription.id,
                                            MakePanel<ZSaturationPanel, ZSaturationFilter>, Desaturate});
const FilterPanelRegistration kZLuminance({ZLuminanceFilter::kDescription.id,
                                           MakePanel<ZLuminancePanel, ZLuminanceFilter>, Darken});
const FilterPanelRegistration kZHue({ZHueFilter::kDescription.id, MakePanel<ZHuePanel, ZHueFilter>, ShiftHue});

}  // namespace
