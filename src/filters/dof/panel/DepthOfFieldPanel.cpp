#include "filters/dof/panel/DepthOfFieldPanel.h"

#include <cmath>
#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
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
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/PredefinedDiaphs.h"
#include "project/ProjectData.h"
#include "strings/StringIds.h"

namespace {

// Dialog texts and the range message.

// Help strings of the controls.
// What Undo says it takes back.


const QColor kCentreLine(255, 0, 0);
const QColor kCentreEdge(128, 0, 0);

QImage DiaphImage(const g8Bitmap& picture) {
  QImage image(picture.GetWidth(), picture.GetHeight(), QImage::Format_Grayscale8);
  for (int y = 0; y < picture.GetHeight(); ++y) {
    std::copy_n(picture.GetLine(y), picture.GetWidth(), image.scanLine(y));
  }
  return image;
}

// Digits enough to set a depth by, for the depths of the image.
int DepthDecimals(double largest) {
  const double magnitude = std::fabs(largest);
  return magnitude < 10 ? 3 : (magnitude < 1000 ? 2 : 1);
}

NumberField* MakeDepthField(QWidget* parent, int helpId) {
  auto* field = new NumberField(0.0, 1.0, 3, parent);
  field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000.00")) + 10);
  SetControlHelp(field, helpId);
  return field;
}

// A caption and its number field, side by side.
void AddField(QHBoxLayout* row, QLabel* caption, NumberField* field) {
  caption->setWordWrap(false);
  caption->setBuddy(field);
  row->addWidget(caption);
  row->addWidget(field);
}

QLabel* Caption(int id, QWidget* parent, Qt::Alignment alignment = Qt::AlignLeft) {
  auto* label = new QLabel(UiText(id), parent);
  label->setAlignment(alignment | Qt::AlignVCenter);
  label->setWordWrap(true);
  return label;
}

}  // namespace

DepthOfFieldPanel::DepthOfFieldPanel(DepthOfFieldFilter& filter, QWidget* parent) : QWidget(parent), filter_(filter) {
  setObjectName(QStringLiteral("DepthOfFieldPanel"));
  BuildLayout();
  ConnectControls();
  ShowDiaph();
}

DepthOfFieldSettings& DepthOfFieldPanel::Settings() const {
  return static_cast<DepthOfFieldSettings&>(filter_.GetCurrentSettings());
}

void DepthOfFieldPanel::BuildLayout() {
  const QSize toolSize(DialogUnitsX(this, 19), DialogUnitsY(this, 19));
  fieldButton_ = MakePictureButton(this, PanelPicture::Field, toolSize, kFieldHelp);
  focusButton_ = MakePictureButton(this, PanelPicture::Focus, toolSize, kFocusHelp);

  // The field limits and the focus as numbers, under the tools that pick them.
  nearField_ = MakeDepthField(this, kNearLimitHelp);
  farField_ = MakeDepthField(this, kFarLimitHelp);
  focusField_ = MakeDepthField(this, kFocusDepthHelp);
  auto* limits = new QHBoxLayout;
  limits->setSpacing(2);
  limits->addWidget(nearField_);
  limits->addWidget(new QLabel(QStringLiteral("\u2013"), this));
  limits->addWidget(farField_);

  auto* tools = new QGridLayout;
  tools->setVerticalSpacing(2);
  tools->addWidget(fieldButton_, 0, 0, Qt::AlignHCenter);
  tools->addWidget(focusButton_, 0, 1, Qt::AlignHCenter);
  tools->addWidget(Caption(kDefineFieldText, this, Qt::AlignHCenter), 1, 0);
  tools->addWidget(Caption(kSetFocusText, this, Qt::AlignHCenter), 1, 1);
  tools->addLayout(limits, 2, 0, Qt::AlignHCenter);
  tools->addWidget(focusField_, 2, 1, Qt::AlignHCenter);
  tools->setColumnStretch(0, 1);
  tools->setColumnStretch(1, 1);

  const QSize pointSize(DialogUnitsX(this, 15), DialogUnitsY(this, 13));
  // A caption with the depth where that blur is full, then the bar, the amount and the tool
  // that picks the depth.
  auto amountRows = [this, pointSize](int captionId, CCustomScrollbar*& bar, NumberField*& edit, NumberField*& depth,
                                      ToolBitmapButton*& point, int barHelp, int editHelp, int depthHelp,
                                      int pointHelp, QVBoxLayout* into) {
    depth = MakeDepthField(this, depthHelp);
    auto* caption = new QHBoxLayout;
    // On one line, so that both rows end alike with their depth.
    QLabel* title = Caption(captionId, this);
    title->setWordWrap(false);
    caption->addWidget(title);
    caption->addStretch(1);
    auto* at = new QLabel(UiText(kFullAtText), this);
    at->setBuddy(depth);
    caption->addWidget(at);
    caption->addWidget(depth);
    bar = MakeValueBar(this, DepthOfFieldSettings::kMinAmount, DepthOfFieldSettings::kMaxAmount, 15, barHelp);
    bar->SetTrackWidth(DialogUnitsX(this, 94) - 2 * 12);
    bar->SetStep(1);
    edit = new NumberField(DepthOfFieldSettings::kMinAmount, DepthOfFieldSettings::kMaxAmount, 0, this);
    edit->SetLive(true);
    edit->setFixedWidth(DialogUnitsX(this, 20) + 8);
    SetControlHelp(edit, editHelp);
    point = MakePictureButton(this, PanelPicture::BlurPoint, pointSize, pointHelp);
    auto* row = new QHBoxLayout;
    row->addWidget(bar);
    row->addWidget(edit);
    row->addWidget(point);
    row->addStretch(1);
    into->addLayout(caption);
    into->addLayout(row);
  };

  auto* diaphRow = new QHBoxLayout;
  diaphBox_ = MakePictureBox(this, QSize(DialogUnitsX(this, 30), DialogUnitsX(this, 30)), kDiaphHelp);
  const QSize stepSize(DialogUnitsX(this, 14), DialogUnitsY(this, 14));
  previousButton_ = MakePictureButton(this, PanelPicture::Previous, stepSize, kPreviousDiaphHelp);
  nextButton_ = MakePictureButton(this, PanelPicture::Next, stepSize, kNextDiaphHelp);
  auto* steps = new QVBoxLayout;
  steps->setSpacing(2);
  steps->addWidget(previousButton_);
  steps->addWidget(nextButton_);
  steps->addStretch(1);
  browseButton_ = new QPushButton(UiText(kBrowseText), this);
  SetControlHelp(browseButton_, kBrowseHelp);
  auto* browse = new QVBoxLayout;
  browse->addWidget(browseButton_);
  browse->addStretch(1);
  graphBox_ = MakePictureBox(this, QSize(DialogUnitsX(this, 40) + 20, DialogUnitsY(this, 30)), kGraphHelp);
  graphBox_->setObjectName(QStringLiteral("blurGraph"));
  diaphRow->addWidget(diaphBox_, 0, Qt::AlignTop);
  diaphRow->addLayout(steps);
  diaphRow->addLayout(browse);
  diaphRow->addStretch(1);
  diaphRow->addWidget(graphBox_, 0, Qt::AlignTop);

  auto* diaphCaptions = new QHBoxLayout;
  diaphCaptions->addWidget(Caption(kDiaphText, this));
  diaphCaptions->addStretch(1);
  diaphCaptions->addWidget(Caption(kGraphText, this, Qt::AlignRight));

  // The highlights: a threshold of display value and a gain, 0 for none.
  thresholdField_ = new NumberField(0.0, 1.0, 2, this);
  thresholdField_->SetStep(0.01);
  gainField_ = new NumberField(0.0, DepthOfFieldSettings::kMaxHighlightGain, 1, this);
  gainField_->SetStep(1.0);
  for (auto [field, helpId] : {std::pair{thresholdField_, int(kHighlightThresholdHelp)},
                               std::pair{gainField_, int(kHighlightGainHelp)}}) {
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000.0")) + 10);
    SetControlHelp(field, helpId);
  }
  // On one row, so that the panel keeps its height.
  auto* highlights = new QHBoxLayout;
  AddField(highlights, Caption(kHighlightThresholdText, this), thresholdField_);
  highlights->addStretch(1);
  AddField(highlights, Caption(kHighlightGainText, this), gainField_);

  alphaCheck_ = MakeCheckBox(this, kAlphaText, 0, DialogUnitsX(this, 140));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addLayout(tools);
  layout->addSpacing(DialogUnitsY(this, 2));
  amountRows(kFrontAmountText, frontBar_, frontEdit_, frontDepthField_, frontPointButton_, kFrontBarHelp,
             kFrontEditHelp, kFrontDepthHelp, kFrontPointHelp, layout);
  layout->addSpacing(DialogUnitsY(this, 2));
  amountRows(kBackAmountText, backBar_, backEdit_, backDepthField_, backPointButton_, kBackBarHelp, kBackEditHelp,
             kBackDepthHelp, kBackPointHelp, layout);
  layout->addSpacing(DialogUnitsY(this, 2));
  layout->addLayout(diaphCaptions);
  layout->addLayout(diaphRow);
  layout->addLayout(highlights);
  layout->addSpacing(DialogUnitsY(this, 2));
  layout->addWidget(alphaCheck_);
  layout->addStretch(1);
  frontBar_->setObjectName(QStringLiteral("frontBar"));
  backBar_->setObjectName(QStringLiteral("backBar"));
  frontEdit_->setObjectName(QStringLiteral("frontEdit"));
  backEdit_->setObjectName(QStringLiteral("backEdit"));
  nearField_->setObjectName(QStringLiteral("nearField"));
  farField_->setObjectName(QStringLiteral("farField"));
  focusField_->setObjectName(QStringLiteral("focusField"));
  frontDepthField_->setObjectName(QStringLiteral("frontDepthField"));
  backDepthField_->setObjectName(QStringLiteral("backDepthField"));
  thresholdField_->setObjectName(QStringLiteral("highlightThresholdField"));
  gainField_->setObjectName(QStringLiteral("highlightGainField"));
}

void DepthOfFieldPanel::ConnectControls() {
  connect(frontBar_, &CCustomScrollbar::ValueReleased, this, [this] { OnBarReleased(); });
  connect(backBar_, &CCustomScrollbar::ValueReleased, this, [this] { OnBarReleased(); });
  // The fields follow a bar while it is dragged; the settings take the value on release.
  connect(frontBar_, &CCustomScrollbar::ValueMoved, this, [this](CCustomScrollbar*, int v) { frontEdit_->SetValue(v); });
  connect(backBar_, &CCustomScrollbar::ValueMoved, this, [this](CCustomScrollbar*, int v) { backEdit_->SetValue(v); });
  connect(frontEdit_, &NumberField::ValueEdited, this, [this](double v) { OnAmountTyped(true, int(v)); });
  connect(backEdit_, &NumberField::ValueEdited, this, [this](double v) { OnAmountTyped(false, int(v)); });
  for (NumberField* field : {nearField_, farField_, focusField_, frontDepthField_, backDepthField_}) {
    connect(field, &NumberField::ValueEdited, this, [this, field](double depth) { OnDepthTyped(field, depth); });
  }
  for (NumberField* field : {thresholdField_, gainField_}) {
    connect(field, &NumberField::ValueEdited, this, [this, field](double value) { OnHighlightTyped(field, value); });
  }
  connect(alphaCheck_, &QCheckBox::clicked, this, [this](bool checked) {
    filter_.Options().ApplyOnAlpha = checked;
    filter_.GetProject().History().NameNextChange(kAlphaChange);
    filter_.GetProject().NotifyChanged(kChangeModifiedOnly);
  });
  connect(previousButton_, &QAbstractButton::clicked, this, [this] { StepDiaph(-1); });
  connect(nextButton_, &QAbstractButton::clicked, this, [this] { StepDiaph(+1); });
  connect(browseButton_, &QPushButton::clicked, this, [this] { LoadDiaph(0); });
  connect(fieldButton_, &QAbstractButton::clicked, this,
          [this] { LaunchDepthTool(filter_, fieldButton_, kDepthIntervalToolId, 0); });
  connect(focusButton_, &QAbstractButton::clicked, this, [this] {
    LaunchDepthTool(filter_, focusButton_, kDepthPointToolId, int(DepthOfFieldSettings::DepthPointMode::Focus));
  });
  connect(frontPointButton_, &QAbstractButton::clicked, this, [this] {
    LaunchDepthTool(filter_, frontPointButton_, kDepthPointToolId, int(DepthOfFieldSettings::DepthPointMode::FrontMax));
  });
  connect(backPointButton_, &QAbstractButton::clicked, this, [this] {
    LaunchDepthTool(filter_, backPointButton_, kDepthPointToolId, int(DepthOfFieldSettings::DepthPointMode::BackMax));
  });
}

void DepthOfFieldPanel::SyncToPanel() {
  syncing_ = true;
  const DepthOfFieldSettings& settings = Settings();
  frontBar_->SetRange(DepthOfFieldSettings::kMinAmount, DepthOfFieldSettings::kMaxAmount, settings.FrontAmount);
  backBar_->SetRange(DepthOfFieldSettings::kMinAmount, DepthOfFieldSettings::kMaxAmount, settings.BackAmount);
  frontEdit_->SetValue(settings.FrontAmount);
  backEdit_->SetValue(settings.BackAmount);
  ShowDepths();
  thresholdField_->SetValue(settings.HighlightThreshold);
  gainField_->SetValue(settings.HighlightGain);
  alphaCheck_->setChecked(filter_.Options().ApplyOnAlpha);
  ShowDiaph();
  syncing_ = false;
  RedrawGraph();
}

void DepthOfFieldPanel::ShowDepths() {
  const DepthRange& range = filter_.GetProject().GetCurrentDepthRange();
  const int decimals = DepthDecimals(range.background);
  const DepthOfFieldSettings& settings = Settings();
  const std::pair<NumberField*, double> shown[] = {{nearField_, settings.FieldNear},
                                                   {farField_, settings.FieldFar},
                                                   {focusField_, settings.FocusDepth()},
                                                   {frontDepthField_, settings.FrontMaxDepth},
                                                   {backDepthField_, settings.BackMaxDepth}};
  for (auto [field, depth] : shown) {
    field->SetDecimals(decimals);
    field->SetStep(std::pow(10.0, 1 - decimals));
    // Wide enough for what it shows, whatever the range (a setting may lie outside it).
    field->SetRange(std::min<double>(range.min, depth), std::max<double>(range.background, depth));
    field->SetValue(depth);
  }
}

void DepthOfFieldPanel::Refresh(int code) {
  RedrawGraph();
  if (code & kRefreshControls) SyncToPanel();
  if (code & kRefreshStore) {
    StoreEdit();
    SyncToPanel();
  }
}

void DepthOfFieldPanel::StoreEdit() { filter_.GetProject().NotifyChanged(kChangeSettings); }

void DepthOfFieldPanel::OnBarReleased() {
  DepthOfFieldSettings& settings = Settings();
  const int front = frontBar_->GetValue();
  const int back = backBar_->GetValue();
  if (front == settings.FrontAmount && back == settings.BackAmount) {
    // Dragged and brought back: the fields show the amounts again.
    frontEdit_->SetValue(front);
    backEdit_->SetValue(back);
    return;
  }
  filter_.GetProject().History().NameNextChange(front != settings.FrontAmount ? kFrontAmountChange : kBackAmountChange);
  settings.SetAmounts(front, back);
  Refresh(kRefreshStore);
}

void DepthOfFieldPanel::OnAmountTyped(bool front, int amount) {
  if (syncing_) return;
  DepthOfFieldSettings& settings = Settings();
  if ((front ? settings.FrontAmount : settings.BackAmount) == amount) return;
  settings.SetAmounts(front ? amount : settings.FrontAmount, front ? settings.BackAmount : amount);
  filter_.GetProject().History().NameNextChange(front ? kFrontAmountChange : kBackAmountChange);
  Refresh(kRefreshStore);
}

void DepthOfFieldPanel::OnDepthTyped(NumberField* field, double depth) {
  if (syncing_) return;
  DepthOfFieldSettings& settings = Settings();
  const DepthRange& range = filter_.GetProject().GetCurrentDepthRange();
  bool changed = true;
  if (field == nearField_ || field == farField_) changed = settings.SetFieldLimit(field == nearField_, depth, range);
  else if (field == focusField_) settings.ApplyFocusPoint(depth, range);
  else if (field == frontDepthField_) settings.ApplyFrontMaxPoint(depth, range);
  else settings.ApplyBackMaxPoint(depth, range);
  // A limit on the wrong side of the other is refused: the fields show the settings again.
  if (!changed) {
    ShowDepths();
    return;
  }
  const int name = field == nearField_ || field == farField_ ? kFieldChange
                   : field == focusField_                    ? kFocusChange
                   : field == frontDepthField_               ? kFrontDepthChange
                                                             : kBackDepthChange;
  filter_.GetProject().History().NameNextChange(name);
  Refresh(kRefreshStore);
}

void DepthOfFieldPanel::OnHighlightTyped(NumberField* field, double value) {
  if (syncing_) return;
  DepthOfFieldSettings& settings = Settings();
  double& setting = field == thresholdField_ ? settings.HighlightThreshold : settings.HighlightGain;
  if (setting == value) return;
  setting = value;
  filter_.GetProject().History().NameNextChange(field == thresholdField_ ? kHighlightThresholdChange : kHighlightGainChange);
  Refresh(kRefreshStore);
}

void DepthOfFieldPanel::StepDiaph(int direction) {
  diaphCounter_ += direction;
  if (diaphCounter_ < 1) diaphCounter_ = kPredefinedDiaphCount;
  if (diaphCounter_ > kPredefinedDiaphCount) diaphCounter_ = 1;
  LoadDiaph(diaphCounter_);
}

void DepthOfFieldPanel::LoadDiaph(int number) {
  // A file that cannot be used leaves the diaph as it was; the user was told why.
  if (!filter_.LoadDiaph(number)) return;
  ShowDiaph();
  filter_.GetProject().History().NameNextChange(kDiaphChange);
  filter_.GetProject().NotifyChanged(kChangeModifiedOnly);
}

void DepthOfFieldPanel::ShowDiaph() {
  const qreal ratio = diaphBox_->devicePixelRatioF();
  QImage picture = DiaphImage(filter_.GetDiaph().GetPicture())
                       .scaled((QSizeF(diaphBox_->contentsRect().size()) * ratio).toSize(), Qt::KeepAspectRatio,
                               Qt::SmoothTransformation);
  picture.setDevicePixelRatio(ratio);
  diaphBox_->setPixmap(QPixmap::fromImage(picture));
}

// Drawn in the screen's own pixels, so that the graph stays sharp at any scale factor.
void DepthOfFieldPanel::RedrawGraph() {
  const DepthRange& range = filter_.GetProject().GetCurrentDepthRange();
  const qreal ratio = graphBox_->devicePixelRatioF();
  graph_ = DrawBlurGraph(Settings(), range, (QSizeF(graphBox_->contentsRect().size()) * ratio).toSize());
  graph_.setDevicePixelRatio(ratio);
  graphBox_->setPixmap(QPixmap::fromImage(graph_));
}

QImage DepthOfFieldPanel::DrawBlurGraph(const DepthOfFieldSettings& settings, const DepthRange& range, QSize size) {
  const int w = size.width();
  const int h = size.height();
  QImage graph(size, QImage::Format_RGB32);
  graph.fill(Qt::black);
  const int half = w / 2;
  if (half < 1 || h < 1) return graph;
  double scale = 1.0;
  if (settings.MaxAmount() > h) scale = h / settings.MaxAmount();
  double fieldNear = 0.0, fieldFar = 0.0;
  settings.GetFieldLimits(fieldNear, fieldFar);
  const double nearest = range.min;
  const double background = range.background;
  auto height = [&](double depth) { return h - int(int(settings.BlurPixels(depth, true)) * scale); };

  QPainter p(&graph);
  p.setPen(Qt::white);
  p.setBrush(Qt::white);

  QPolygon front;
  const double stepFront = std::abs(fieldNear - nearest) / half;
  double z = fieldNear;
  for (int i = 0; i < half; ++i) {
    front << QPoint(i == half - 1 ? 0 : half - i, height(z));
    z -= stepFront;
    if (z < nearest) z = nearest;
  }
  front << QPoint(0, h) << QPoint(half, h);
  p.drawPolygon(front);

  QPolygon back;
  const double stepBack = fieldFar * 5.0 >= background ? std::abs(background - fieldFar) / half : fieldFar * 4.0 / half;
  z = fieldFar;
  for (int i = 0; i < half; ++i) {
    back << QPoint(i == half - 1 ? w : i + half, height(z));
    z += stepBack;
    if (z > background) z = background;
  }
  back << QPoint(w, h) << QPoint(half, h);
  p.drawPolygon(back);

  p.setPen(QPen(kCentreLine, 0));
  p.drawLine(half, 0, half, h);
  p.setPen(QPen(kCentreEdge, 0));
  p.drawLine(half - 1, 0, half - 1, h);
  p.drawLine(half + 1, 0, half + 1, h);
  return graph;
}

namespace {

// The filter list's picture: the farther, the more blurred.
void Blur(QImage& layer, double t) {
  const double shrink = 1.0 + 7.0 * t;
  if (shrink < 1.5) return;
  const QSize small(std::max(1, int(layer.width() / shrink)), std::max(1, int(layer.height() / shrink)));
  layer = layer.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .scaled(layer.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Its point tool sets the focus, or where a blur is full.
constexpr PickHints kPickHints{kSetsFocus, kSetsFullBackBlur, kSetsFullFrontBlur};

const FilterPanelRegistration kRegistration({DepthOfFieldFilter::kDescription.id,
                                             MakePanel<DepthOfFieldPanel, DepthOfFieldFilter>, Blur, kPickHints});

}  // namespace
