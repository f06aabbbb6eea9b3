#include "filters/dof/DepthOfFieldPanel.h"

#include <cmath>

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/PanelWidgets.h"
#include "app/ui/UiText.h"
#include "controls/CCustomScrollbar.h"
#include "controls/ToolBitmapButton.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "platform/framework/UserInterface.h"
#include "project/ProjectData.h"

namespace {

// Dialog texts and the range message.
constexpr int kDefineFieldText = 62000;
constexpr int kSetFocusText = 62001;
constexpr int kFrontAmountText = 62002;
constexpr int kBackAmountText = 62003;
constexpr int kDiaphText = 62004;
constexpr int kGraphText = 62005;
constexpr int kBrowseText = 62006;
constexpr int kAlphaText = 62007;
constexpr int kRangeMessage = 62008;

// Help strings of the controls.
constexpr int kBackPointHelp = 2058;
constexpr int kFrontPointHelp = 2061;
constexpr int kBackBarHelp = 2062;
constexpr int kFrontBarHelp = 2063;
constexpr int kGraphHelp = 2064;
constexpr int kBackEditHelp = 2066;
constexpr int kFrontEditHelp = 2067;
constexpr int kBrowseHelp = 2068;
constexpr int kFieldHelp = 2071;
constexpr int kDiaphHelp = 2081;
constexpr int kNextHelp = 2082;
constexpr int kPreviousHelp = 2083;
constexpr int kFocusHelp = 2120;

const QColor kCentreLine(255, 0, 0);
const QColor kCentreEdge(128, 0, 0);

QImage DiaphImage(const g8Bitmap& picture) {
  QImage image(picture.GetWidth(), picture.GetHeight(), QImage::Format_Grayscale8);
  for (int y = 0; y < picture.GetHeight(); ++y) {
    std::copy_n(picture.GetLine(y), picture.GetWidth(), image.scanLine(y));
  }
  return image;
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

  auto* tools = new QGridLayout;
  tools->addWidget(fieldButton_, 0, 0, Qt::AlignHCenter);
  tools->addWidget(focusButton_, 0, 1, Qt::AlignHCenter);
  tools->addWidget(Caption(kDefineFieldText, this, Qt::AlignHCenter), 1, 0);
  tools->addWidget(Caption(kSetFocusText, this, Qt::AlignHCenter), 1, 1);
  tools->setColumnStretch(0, 1);
  tools->setColumnStretch(1, 1);

  const QSize pointSize(DialogUnitsX(this, 15), DialogUnitsY(this, 13));
  auto amountRow = [this, pointSize](CCustomScrollbar*& bar, QLineEdit*& edit, ToolBitmapButton*& point, int barHelp,
                                     int editHelp, int pointHelp) {
    bar = MakeValueBar(this, kMinAmount, kMaxAmount, 15, barHelp);
    bar->SetTrackWidth(DialogUnitsX(this, 94) - 2 * 12);
    edit = new QLineEdit(this);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), edit));
    edit->setFixedWidth(DialogUnitsX(this, 20) + 8);
    edit->setAlignment(Qt::AlignRight);
    SetControlHelp(edit, editHelp);
    point = MakePictureButton(this, PanelPicture::BlurPoint, pointSize, pointHelp);
    auto* row = new QHBoxLayout;
    row->addWidget(bar);
    row->addWidget(edit);
    row->addWidget(point);
    row->addStretch(1);
    return row;
  };

  auto* diaphRow = new QHBoxLayout;
  diaphBox_ = MakePictureBox(this, QSize(DialogUnitsX(this, 30), DialogUnitsX(this, 30)), kDiaphHelp);
  const QSize stepSize(DialogUnitsX(this, 14), DialogUnitsY(this, 14));
  previousButton_ = MakePictureButton(this, PanelPicture::Previous, stepSize, kPreviousHelp);
  nextButton_ = MakePictureButton(this, PanelPicture::Next, stepSize, kNextHelp);
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

  alphaCheck_ = MakeCheckBox(this, kAlphaText, 0, DialogUnitsX(this, 140));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addLayout(tools);
  layout->addSpacing(DialogUnitsY(this, 8));
  layout->addWidget(Caption(kFrontAmountText, this));
  layout->addLayout(amountRow(frontBar_, frontEdit_, frontPointButton_, kFrontBarHelp, kFrontEditHelp, kFrontPointHelp));
  layout->addSpacing(DialogUnitsY(this, 6));
  layout->addWidget(Caption(kBackAmountText, this));
  layout->addLayout(amountRow(backBar_, backEdit_, backPointButton_, kBackBarHelp, kBackEditHelp, kBackPointHelp));
  layout->addSpacing(DialogUnitsY(this, 6));
  layout->addLayout(diaphCaptions);
  layout->addLayout(diaphRow);
  layout->addSpacing(DialogUnitsY(this, 4));
  layout->addWidget(alphaCheck_);
  layout->addStretch(1);
  frontBar_->setObjectName(QStringLiteral("frontBar"));
  backBar_->setObjectName(QStringLiteral("backBar"));
  frontEdit_->setObjectName(QStringLiteral("frontEdit"));
  backEdit_->setObjectName(QStringLiteral("backEdit"));
}

void DepthOfFieldPanel::ConnectControls() {
  connect(frontBar_, &CCustomScrollbar::ValueReleased, this, [this] { OnBarReleased(); });
  connect(backBar_, &CCustomScrollbar::ValueReleased, this, [this] { OnBarReleased(); });
  connect(frontEdit_, &QLineEdit::textEdited, this, [this] { OnAmountTyped(frontEdit_); });
  connect(backEdit_, &QLineEdit::textEdited, this, [this] { OnAmountTyped(backEdit_); });
  connect(frontEdit_, &QLineEdit::returnPressed, this, [this] { CheckAmountField(frontEdit_, true); });
  connect(backEdit_, &QLineEdit::returnPressed, this, [this] { CheckAmountField(backEdit_, true); });
  frontEdit_->installEventFilter(this);
  backEdit_->installEventFilter(this);
  connect(alphaCheck_, &QCheckBox::clicked, this, [this](bool checked) {
    filter_.Options().ApplyOnAlpha = checked;
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
  frontBar_->SetRange(kMinAmount, kMaxAmount, settings.FrontAmount);
  backBar_->SetRange(kMinAmount, kMaxAmount, settings.BackAmount);
  // A field being typed in keeps its text while it holds the same amount.
  auto show = [](QLineEdit* edit, int amount) {
    if (edit->text().toInt() != amount || edit->text().isEmpty()) edit->setText(QString::number(amount));
  };
  show(frontEdit_, settings.FrontAmount);
  show(backEdit_, settings.BackAmount);
  alphaCheck_->setChecked(filter_.Options().ApplyOnAlpha);
  ShowDiaph();
  syncing_ = false;
  RedrawGraph();
}

void DepthOfFieldPanel::Refresh(int code) {
  RedrawGraph();
  if (code & kRefreshShow) SyncToPanel();
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
  if (front == settings.FrontAmount && back == settings.BackAmount) return;
  settings.SetAmounts(front, back);
  Refresh(kRefreshStore);
}

void DepthOfFieldPanel::OnAmountTyped(QLineEdit* edit) {
  if (syncing_) return;
  bool number = false;
  const int amount = edit->text().toInt(&number);
  // Partial or out-of-range text waits for the user to finish; leaving the field checks it.
  if (!number || amount < kMinAmount || amount > kMaxAmount) return;
  DepthOfFieldSettings& settings = Settings();
  const bool front = edit == frontEdit_;
  if ((front ? settings.FrontAmount : settings.BackAmount) == amount) return;
  settings.SetAmounts(front ? amount : settings.FrontAmount, front ? settings.BackAmount : amount);
  Refresh(kRefreshStore);
}

bool DepthOfFieldPanel::CheckAmountField(QLineEdit* edit, bool tell) {
  bool number = false;
  const int amount = edit->text().toInt(&number);
  if (number && amount >= kMinAmount && amount <= kMaxAmount) return true;
  const DepthOfFieldSettings& settings = Settings();
  edit->setText(QString::number(edit == frontEdit_ ? settings.FrontAmount : settings.BackAmount));
  if (tell && !warning_) {
    // The message box takes the focus away from the field: one message per mistake.
    warning_ = true;
    UI().Warning({}, UiText(kRangeMessage).arg(kMinAmount).arg(kMaxAmount).toStdString());
    warning_ = false;
  }
  return false;
}

bool DepthOfFieldPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && (watched == frontEdit_ || watched == backEdit_)) {
    // The user is told when he leaves the field; a field that loses the focus because the
    // panel goes away or the window is left only shows the amount again.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const bool byUser = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                        reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    CheckAmountField(static_cast<QLineEdit*>(watched), byUser && isVisible());
  }
  return QWidget::eventFilter(watched, event);
}

void DepthOfFieldPanel::StepDiaph(int direction) {
  diaphCounter_ += direction;
  if (diaphCounter_ < 1) diaphCounter_ = kDiaphCount;
  if (diaphCounter_ > kDiaphCount) diaphCounter_ = 1;
  LoadDiaph(diaphCounter_);
}

void DepthOfFieldPanel::LoadDiaph(int number) {
  filter_.LoadDiaph({}, number);
  ShowDiaph();
  filter_.GetProject().NotifyChanged(kChangeModifiedOnly);
}

void DepthOfFieldPanel::ShowDiaph() {
  QImage picture = DiaphImage(filter_.GetDiaph().GetPicture());
  diaphBox_->setPixmap(QPixmap::fromImage(
      picture.scaled(diaphBox_->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void DepthOfFieldPanel::RedrawGraph() {
  const CLayerBitmap* image = filter_.GetProject().GetCurrentImage();
  const DepthRange range = image ? GetDepthRange(*image) : DepthRange{};
  graph_ = DrawBlurGraph(Settings(), range, graphBox_->contentsRect().size());
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
