#include "filters/zone/ZHueSettings.h"

#include "platform/framework/CustomData.h"

namespace {
constexpr uint32_t kColourKey = FourCC("COLR");
}

void ZHueSettings::Reset(const CLayerBitmap& currentImage) {
  ZoneSettings::Reset(currentImage);
  Colour = CRGBColor(255, 255, 0);
}

void ZHueSettings::CopyFrom(const KeyframeSettings& other) {
  ZoneSettings::CopyFrom(other);
  if (const auto* hue = dynamic_cast<const ZHueSettings*>(&other)) Colour = hue->Colour;
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
  if (a && b) Colour = BlendColours(a->Colour, b->Colour, t);
}

void ZHueSettings::StoreRecord(CCustomData& record) const {
  ZoneSettings::StoreRecord(record);
  record.SetULong(kColourKey, Colour.ToValue());
}

void ZHueSettings::LoadRecord(const CCustomData& record) {
  ZoneSettings::LoadRecord(record);
  Colour = CRGBColor::FromValue(uint32_t(record.GetULong(kColourKey, kDefaultColourValue)));
}
