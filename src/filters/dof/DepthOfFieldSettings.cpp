#include "filters/dof/DepthOfFieldSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "animation/SettingsFields.h"
#include "platform/framework/CustomData.h"
#include "platform/image/LayerBitmap.h"

namespace {

constexpr uint32_t kModeKey = FourCC("MODE");
constexpr uint32_t kFrontAmountKey = FourCC("NERB");
constexpr uint32_t kBackAmountKey = FourCC("FARB");
constexpr uint32_t kFieldNearKey = FourCC("DMIN");
constexpr uint32_t kFieldFarKey = FourCC("DMAX");
constexpr uint32_t kFrontMaxKey = FourCC("ZMIN");
constexpr uint32_t kBackMaxKey = FourCC("ZMAX");
constexpr uint32_t kFilmWidthKey = FourCC("FMWD");
constexpr uint32_t kFilmHeightKey = FourCC("FMHG");
constexpr uint32_t kPixelScaleKey = FourCC("PXSZ");
constexpr uint32_t kHighlightThresholdKey = FourCC("HLTH");
constexpr uint32_t kHighlightGainKey = FourCC("HLGN");

using S = DepthOfFieldSettings;

// The record's order. Depths and the pixel scale come from the image on Reset. Older records
// miss the film size; their reading defaults are the portrait pair, where Reset gives 36 x 24.
const SettingsFields<S>& Fields() {
  static const SettingsFields<S> fields = {
      {kModeKey, &S::Mode, 2, 2, FieldBlend::Earlier},
      {kFrontAmountKey, &S::FrontAmount, 15, 15, FieldBlend::Linear, S::kMinAmount, S::kMaxAmount},
      {kBackAmountKey, &S::BackAmount, 15, 15, FieldBlend::Linear, S::kMinAmount, S::kMaxAmount},
      {kFieldNearKey, &S::FieldNear, 0.0, {}},
      {kFieldFarKey, &S::FieldFar, 1.0, {}},
      {kFrontMaxKey, &S::FrontMaxDepth, 0.0, {}},
      {kBackMaxKey, &S::BackMaxDepth, 0.0, {}},
      {kFilmWidthKey, &S::FilmWidth, 24.0, 36.0, FieldBlend::Earlier},
      {kFilmHeightKey, &S::FilmHeight, 36.0, 24.0, FieldBlend::Earlier},
      {kPixelScaleKey, &S::PixelScale, 1.0, {}, FieldBlend::Earlier},
      {kHighlightThresholdKey, &S::HighlightThreshold, S::kDefaultHighlightThreshold, S::kDefaultHighlightThreshold,
       FieldBlend::Linear, 0.0, 1.0, true},
      {kHighlightGainKey, &S::HighlightGain, 0.0, 0.0, FieldBlend::Linear, 0.0, S::kMaxHighlightGain, true},
  };
  return fields;
}

}  // namespace

void DepthOfFieldSettings::Reset(const CLayerBitmap& currentImage) {
  KeyframeSettings::Reset(currentImage);
  const depthBitmap* depth = currentImage.GetLayer<depthBitmap>();
  const double m = depth ? depth->GetMinDepth() : 0.0;
  const double M = depth ? depth->GetMaxDepth() : 0.0;
  const int width = depth ? depth->GetWidth() : currentImage.GetWidth();

  ResetFields(Fields(), *this);
  FrontMaxDepth = m;
  BackMaxDepth = M;
  // The "ten times" placement only makes sense for a positive nearest depth: at 0 it would
  // put a field of no width at the camera.
  if (m > 0.0 && M >= 10.0 * m) {
    FieldNear = 2.0 * m;
    FieldFar = 3.0 * m;
  } else {
    FieldNear = m + double(0.3f) * (M - m);
    FieldFar = m + double(0.7f) * (M - m);
  }
  if (M < FieldFar) FieldFar = M;
  PixelScale = width / FilmWidth;
}

void DepthOfFieldSettings::CopyFrom(const KeyframeSettings& other) {
  const auto* o = dynamic_cast<const DepthOfFieldSettings*>(&other);
  if (o && o != this) CopyFields(Fields(), *this, *o);
}

std::unique_ptr<KeyframeSettings> DepthOfFieldSettings::Clone() const {
  auto copy = std::make_unique<DepthOfFieldSettings>();
  copy->CopyFrom(*this);
  return copy;
}

void DepthOfFieldSettings::Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier,
                                       const KeyframeSettings& later, double t) {
  InterpolateInRange(currentImage, nullptr, earlier, later, t);
}

void DepthOfFieldSettings::InterpolateInRange(const CLayerBitmap* currentImage, const DepthRange* range,
                                              const KeyframeSettings& earlier, const KeyframeSettings& later,
                                              double t) {
  const auto* e = dynamic_cast<const DepthOfFieldSettings*>(&earlier);
  const auto* l = dynamic_cast<const DepthOfFieldSettings*>(&later);
  if (!e || !l) return;
  BlendFields(Fields(), *this, *e, *l, t);
  // The blended maximum-blur depths are kept within the image's range and around the field;
  // without a depth layer there is no range to keep them in.
  if (currentImage && currentImage->GetLayer<depthBitmap>()) {
    ClampLimits(FrontMaxDepth, BackMaxDepth, range ? *range : GetDepthRange(*currentImage));
  }
}

void DepthOfFieldSettings::StoreRecord(CCustomData& record) const { StoreFields(Fields(), *this, record); }

void DepthOfFieldSettings::LoadRecord(const CCustomData& record) { LoadFields(Fields(), *this, record); }

void DepthOfFieldSettings::StoreEveryField(CCustomData& record) const {
  StoreFields(Fields(), *this, record, StoredFields::All);
}

double DepthOfFieldSettings::HighlightFactor(double brightest) const {
  if (!HighlightsOn() || !(brightest > HighlightThreshold)) return 1.0;
  // A threshold of 1 lifts only values above white (float pictures), as from a threshold just below it.
  constexpr double kNarrowestRange = 1.0 / 255.0;
  return 1.0 + HighlightGain * (brightest - HighlightThreshold) / std::max(1.0 - HighlightThreshold, kNarrowestRange);
}

std::string DepthOfFieldSettings::CheckValues() const {
  std::string refusal = CheckFields(Fields(), *this);
  if (refusal.empty() && FieldNear > FieldFar) {
    refusal = fmt::format("the field is reversed: DMIN {} lies behind DMAX {}", FieldNear, FieldFar);
  }
  return refusal;
}

void DepthOfFieldSettings::GetFieldLimits(double& fieldNear, double& fieldFar) const {
  fieldNear = FieldNear;
  fieldFar = FieldFar;
}

void DepthOfFieldSettings::SetAmounts(int front, int back) {
  FrontAmount = front;
  BackAmount = back;
}

double DepthOfFieldSettings::MaxAmount() const { return double(FrontAmount > BackAmount ? FrontAmount : BackAmount); }

double DepthOfFieldSettings::EffectivePixelScale() const {
  return (PixelScale > 0.0 && std::isfinite(PixelScale)) ? PixelScale : 1.0;
}

double DepthOfFieldSettings::BlurAt(double z) const {
  const double N = FieldNear;
  const double F = FieldFar;
  const double P = EffectivePixelScale();
  if (N <= z && z <= F) return z == F ? -1.0 / P : 1.0 / P;
  double v;
  if (z < N && z <= F) {
    // In front: A (1/z - 1/N) / (1/Zf - 1/N), moved off the field limit when Zf sits on it.
    double Zf = FrontMaxDepth;
    if (N / Zf == 1.0) Zf = Zf - 0.05 * Zf;
    const double A = FrontAmount;
    v = (A / (1.0 - N / Zf) - A / (1.0 / N - 1.0 / Zf) / z) / P;
  } else {
    // Behind: the same law from the far limit, negative.
    double Zb = BackMaxDepth;
    if (F / Zb == 1.0) Zb = Zb * 0.05 + Zb;
    const double B = BackAmount;
    v = -(B / (1.0 - F / Zb) - B / (1.0 / F - 1.0 / Zb) / z) / P;
  }
  // A limit of 0 meeting a depth of 0 leaves the law undefined (0/0): no blur there.
  return std::isnan(v) ? 0.0 : v;
}

double DepthOfFieldSettings::BlurPixels(double depth, bool absolute) const {
  double v = BlurAt(depth);
  if (absolute) v = std::fabs(v);
  v = v * EffectivePixelScale();
  if (v > kMaxBlurPixels) return kMaxBlurPixels;
  if (v < -kMaxBlurPixels) return -kMaxBlurPixels;
  return v;
}

double DepthOfFieldSettings::DepthForBlur(double b) const {
  const double N = FieldNear;
  const double F = FieldFar;
  const double P = EffectivePixelScale();
  if (std::fabs(b) <= 1.0 / P) return (N + F) * 0.5;
  if (b >= 0.0) {
    double Zf = FrontMaxDepth;
    if (N / Zf == 1.0) Zf = Zf - 0.05 * Zf;
    const double A = FrontAmount;
    return (A / (1.0 / N - 1.0 / Zf)) / (A / (1.0 - N / Zf) - b * P);
  }
  double Zb = BackMaxDepth;
  if (F / Zb == 1.0) Zb = Zb * 0.05 + Zb;
  const double B = BackAmount;
  return (B / (1.0 / F - 1.0 / Zb)) / (B / (1.0 - F / Zb) + b * P);
}

void DepthOfFieldSettings::ClampLimits(double zf, double zb, const DepthRange& range) {
  const double m = range.min;
  const double g = range.background;
  if (FieldNear < m) FieldNear = m;
  const double frontBound = FieldNear - FieldNear * 0.01;
  FrontMaxDepth = zf <= frontBound ? zf : frontBound;
  if (FrontMaxDepth < m) FrontMaxDepth = m;
  if (FieldFar > g) FieldFar = g;
  const double backBound = FieldFar * 0.01 + FieldFar;
  BackMaxDepth = zb >= backBound ? zb : backBound;
  if (BackMaxDepth > g) BackMaxDepth = g;
}

std::optional<double> DepthOfFieldSettings::ReferenceDepthFor(DepthPointMode mode) const {
  switch (mode) {
    case DepthPointMode::FrontMax: return FieldNear;
    case DepthPointMode::BackMax: return FieldFar;
    case DepthPointMode::Focus: break;
  }
  return std::nullopt;
}

void DepthOfFieldSettings::ApplyFieldInterval(double fieldNear, double fieldFar, const DepthRange& range) {
  FieldNear = fieldNear;
  FieldFar = fieldFar;
  FrontMaxDepth = range.min;
  BackMaxDepth = range.background;
}

void DepthOfFieldSettings::ApplyFocusPoint(double p, const DepthRange& range) {
  const double m = range.min;
  const double g = range.background;
  const double half = (FieldFar - FieldNear) * 0.5;
  const double frontGap = FieldNear - FrontMaxDepth;
  const double backGap = BackMaxDepth - FieldFar;
  FieldNear = p - half;
  if (FieldNear < m) FieldNear = m;
  FieldFar = half + p;
  if (FieldFar > g) FieldFar = g;
  // Maximum-blur depths left at the ends of the range stay there; the others follow the field.
  if (FrontMaxDepth != m) ClampLimits(FieldNear - frontGap, BackMaxDepth, range);
  if (BackMaxDepth != g) ClampLimits(FrontMaxDepth, backGap + FieldFar, range);
}

void DepthOfFieldSettings::ApplyBackMaxPoint(double p, const DepthRange& range) { ClampLimits(FrontMaxDepth, p, range); }

void DepthOfFieldSettings::ApplyFrontMaxPoint(double p, const DepthRange& range) { ClampLimits(p, BackMaxDepth, range); }

bool DepthOfFieldSettings::ApplyDepthPoint(int mode, double depth, const DepthRange& range) {
  switch (DepthPointMode(mode)) {
    case DepthPointMode::Focus: ApplyFocusPoint(depth, range); return true;
    case DepthPointMode::BackMax: ApplyBackMaxPoint(depth, range); return true;
    case DepthPointMode::FrontMax: ApplyFrontMaxPoint(depth, range); return true;
  }
  return false;
}

bool DepthOfFieldSettings::SetFieldLimit(bool nearLimit, double depth, const DepthRange& range) {
  const double d = std::clamp(depth, double(range.min), double(range.background));
  if (nearLimit ? d >= FieldFar : d <= FieldNear) return false;
  (nearLimit ? FieldNear : FieldFar) = d;
  ClampLimits(FrontMaxDepth, BackMaxDepth, range);
  return true;
}
