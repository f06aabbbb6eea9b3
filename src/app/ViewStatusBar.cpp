#include "app/ViewStatusBar.h"

#include <cmath>

#include <QLabel>

#include "platform/framework/StringTable.h"
#include "platform/image/FloatLayers.h"
#include "project/ProjectData.h"
#include "controls/UiText.h"

namespace {

QLabel* Field(QStatusBar* bar, const QString& widest) {
  auto* label = new QLabel(bar);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) + 12);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  bar->addPermanentWidget(label);
  return label;
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

// Depths over many magnitudes: enough digits to set a field by.
std::string DepthValue(float depth) {
  return FormatDecimal(InterfaceLanguage(), depth, std::fabs(depth) >= 1000 ? 1 : (std::fabs(depth) >= 10 ? 3 : 4));
}

// Linear light from a dim 0.001 to lamps of several hundred.
std::string LightValue(float value) { return FormatDecimal(InterfaceLanguage(), value, std::fabs(value) >= 10 ? 1 : 3); }

// The image whose colour the view shows in this mode, if its colour is float.
const CLayerBitmap* ShownFloatImage(const ProjectData& project) {
  const uint32_t mode = project.View().GetViewMode();
  const CLayerBitmap* image = mode == kViewImage        ? project.GetCurrentImage()
                              : mode == kViewLastResult ? project.GetLastResult()
                                                        : nullptr;
  return image && HasFloatColour(*image) ? image : nullptr;
}

}  // namespace

ViewStatusBar::ViewStatusBar(QWidget* parent) : QStatusBar(parent) {
  position_ = Field(this, QStringLiteral("X 00000  Y 00000"));
  swatch_ = new QLabel(this);
  swatch_->setFixedSize(14, 14);
  addPermanentWidget(swatch_);
  colour_ = Field(this, QStringLiteral("R 000  G 000  B 000"));
  depth_ = Field(this, Text(LoadString(InterfaceLanguage(), kBackgroundDepthStatus)) + QStringLiteral("00"));
  zoom_ = Field(this, QStringLiteral("Zoom 3200 %"));
  exposure_ = Field(this, QStringLiteral("Exposure: +10.0 EV"));
  swatch_->hide();
}

void ViewStatusBar::ShowPointer(const ProjectData& project, int x, int y, bool inside) {
  const NTBitmap* shown = project.View().GetDisplayedImage();
  if (!inside || !shown || x >= shown->GetWidth() || y >= shown->GetHeight()) {
    position_->clear();
    colour_->clear();
    depth_->clear();
    swatch_->hide();
    return;
  }
  position_->setText(Text(FormatString(InterfaceLanguage(), kPositionStatus, x, y)));
  const uint8_t* p = shown->GetLine(y) + size_t(x) * 4;
  const CLayerBitmap* floatImage = ShownFloatImage(project);
  const rgbFloatBitmap* light = floatImage ? floatImage->GetLayer<rgbFloatBitmap>() : nullptr;
  if (light && x < light->GetWidth() && y < light->GetHeight()) {
    const float* v = light->GetLine(y) + size_t(x) * 3;
    colour_->setText(Text(FormatString(InterfaceLanguage(), kFloatColourStatus, LightValue(v[0]), LightValue(v[1]), LightValue(v[2]))));
  } else {
    colour_->setText(Text(FormatString(InterfaceLanguage(), kColourStatus, int(p[0]), int(p[1]), int(p[2]))));
  }
  swatch_->setStyleSheet(QStringLiteral("background:rgb(%1,%2,%3);border:1px solid #777;").arg(p[0]).arg(p[1]).arg(p[2]));
  swatch_->show();
  const CLayerBitmap* image = project.GetCurrentImage();
  const depthBitmap* depth = image ? image->GetLayer<depthBitmap>() : nullptr;
  if (depth && x < depth->GetWidth() && y < depth->GetHeight()) {
    // Background pixels carry the farthest depth since loading; they are still background.
    const float d = depth->GetPixelDepth(x, y);
    const bool background = IsBackgroundDepth(d) || project.IsBackgroundAt(x, y);
    depth_->setText(Text(background ? LoadString(InterfaceLanguage(), kBackgroundDepthStatus) : FormatString(InterfaceLanguage(), kDepthStatus, DepthValue(d))));
  } else {
    depth_->clear();
  }
}

void ViewStatusBar::ShowZoom(double zoom) {
  if (zoom <= 0) {
    zoom_->clear();
    return;
  }
  zoom_->setText(Text(FormatString(InterfaceLanguage(), kZoomStatus, int(std::lround(zoom * 100)))));
}

void ViewStatusBar::ShowExposure(const ProjectData& project) {
  if (!ShownFloatImage(project)) {
    exposure_->clear();
    return;
  }
  const float stops = project.View().GetDisplayExposure();
  const std::string value = (stops > 0 ? "+" : "") + FormatDecimal(InterfaceLanguage(), stops, 1);
  exposure_->setText(Text(FormatString(InterfaceLanguage(), kExposureStatus, value)));
}

void ViewStatusBar::ShowColourView(const QString& view, const QString& problem) {
  if (!problem.isEmpty()) exposure_->setToolTip(problem);
  else if (!view.isEmpty()) exposure_->setToolTip(Text(FormatString(InterfaceLanguage(), kColourViewStatus, view.toStdString())));
  else exposure_->setToolTip({});
}

QString ViewStatusBar::PositionText() const { return position_->text(); }
QString ViewStatusBar::ColourText() const { return colour_->text(); }
QString ViewStatusBar::DepthText() const { return depth_->text(); }
QString ViewStatusBar::ZoomText() const { return zoom_->text(); }
QString ViewStatusBar::ExposureText() const { return exposure_->text(); }
QString ViewStatusBar::ExposureNote() const { return exposure_->toolTip(); }
