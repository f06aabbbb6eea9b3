#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"

#include "filters/atmosphere/AtmosphereSliders.h"
#include "animation/SettingsFields.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"
#include "platform/image/DepthRange.h"

namespace {
constexpr uint32_t kStartDepthKey = FourCC("ZFOG");
constexpr uint32_t kDensityKey = FourCC("DENS");
constexpr uint32_t kNearIntensityKey = FourCC("NEAR");
constexpr uint32_t kFarIntensityKey = FourCC("FARI");
constexpr uint32_t kInForegroundKey = FourCC("FORE");
constexpr uint32_t kWhiteValue = 0xFFFFFF;

using S = AtmosphericPerspectiveSettings;

// The record's order. The start depth comes from the image on Reset; the density's range is
// that of the panel's bar.
const SettingsFields<S>& Fields() {
  static const SettingsFields<S> fields = {
      {kStartDepthKey, &S::StartDepth, 0.0, {}},
      {kDensityKey, &S::Density, 0.5, 0.5, FieldBlend::Linear, DensityFromSliderPosition(kLastDensityPosition),
       DensityFromSliderPosition(kFirstDensityPosition)},
      {kNearIntensityKey, &S::NearIntensity, 0.0, 0.0, FieldBlend::Linear, 0.0, 1.0},
      {kFarIntensityKey, &S::FarIntensity, 1.0, 1.0, FieldBlend::Linear, 0.0, 1.0},
      {kColourKey, &S::Colour, kWhiteValue, kWhiteValue},
  };
  return fields;
}
}  // namespace

void AtmosphericPerspectiveSettings::Reset(const CLayerBitmap& currentImage) {
  KeyframeSettings::Reset(currentImage);
  ResetFields(Fields(), *this);
  const DepthRange range = GetDepthRange(currentImage);
  StartDepth = range.min + 0.25f * (range.max - range.min);
}

void AtmosphericPerspectiveSettings::CopyFrom(const KeyframeSettings& other) {
  if (const auto* fog = dynamic_cast<const AtmosphericPerspectiveSettings*>(&other)) CopyFields(Fields(), *this, *fog);
}

std::unique_ptr<KeyframeSettings> AtmosphericPerspectiveSettings::Clone() const {
  auto copy = std::make_unique<AtmosphericPerspectiveSettings>();
  copy->CopyFrom(*this);
  return copy;
}

void AtmosphericPerspectiveSettings::Interpolate(const CLayerBitmap*, const KeyframeSettings& earlier,
                                                 const KeyframeSettings& later, double t) {
  const auto* a = dynamic_cast<const AtmosphericPerspectiveSettings*>(&earlier);
  const auto* b = dynamic_cast<const AtmosphericPerspectiveSettings*>(&later);
  if (a && b) BlendFields(Fields(), *this, *a, *b, t);
}

void AtmosphericPerspectiveSettings::StoreRecord(CCustomData& record) const { StoreFields(Fields(), *this, record); }

void AtmosphericPerspectiveSettings::LoadRecord(const CCustomData& record) { LoadFields(Fields(), *this, record); }

std::string AtmosphericPerspectiveSettings::CheckValues() const { return CheckFields(Fields(), *this); }

void AtmosphericPerspectiveOptions::StoreRecord(CCustomData& record) const {
  record.SetBool(kInForegroundKey, InForeground);
}

void AtmosphericPerspectiveOptions::LoadRecord(const CCustomData& record) {
  InForeground = record.GetBool(kInForegroundKey, 0) != 0;
}

void ApplyAtmospherePointPick(AtmosphericPerspectiveSettings& settings, double depth) {
  settings.StartDepth = float(depth);
}
