#include "filters/zone/ZHueSettings.h"

#include "animation/SettingsFields.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"

namespace {

// The colour follows the zone's fields in the record.
const SettingsFields<ZHueSettings>& OwnFields() {
  static const SettingsFields<ZHueSettings> fields = {
      {kColourKey, &ZHueSettings::Colour, ZHueSettings::kDefaultColourValue, ZHueSettings::kDefaultColourValue},
  };
  return fields;
}

}  // namespace

void ZHueSettings::Reset(const CLayerBitmap& currentImage) {
  ZoneSettings::Reset(currentImage);
  ResetFields(OwnFields(), *this);
}

void ZHueSettings::CopyFrom(const KeyframeSettings& other) {
  ZoneSettings::CopyFrom(other);
  if (const auto* hue = dynamic_cast<const ZHueSettings*>(&other)) CopyFields(OwnFields(), *this, *hue);
}

std::unique_ptr<KeyframeSettings> ZHueSettings::Clone() const {
  auto copy = std::make_unique<ZHueSettings>();
  copy->CopyFrom(*this);
  return copy;
}

void ZHueSettings::Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier,
                               const KeyframeSettings& later, double t) {
  ZoneSettings::Interpolate(currentImage, earlier, later, t);
  const auto* a = dynamic_cast<const ZHueSettings*>(&earlier);
  const auto* b = dynamic_cast<const ZHueSettings*>(&later);
  if (a && b) BlendFields(OwnFields(), *this, *a, *b, t);
}

void ZHueSettings::StoreRecord(CCustomData& record) const {
  ZoneSettings::StoreRecord(record);
  StoreFields(OwnFields(), *this, record);
}

void ZHueSettings::LoadRecord(const CCustomData& record) {
  ZoneSettings::LoadRecord(record);
  LoadFields(OwnFields(), *this, record);
}
