#include "filters/zone/ZoneSettings.h"

#include <fmt/format.h>

#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"
#include "platform/image/DepthRange.h"

namespace {
constexpr uint32_t kZoneNearKey = FourCC("ZMIN");
constexpr uint32_t kZoneFarKey = FourCC("ZMAX");
constexpr float kMinimumRampLength = 0.0001f;


float RampLength(float length) { return length == 0.0f ? kMinimumRampLength : length; }
}  // namespace

ZoneDepths ZoneDepthsForRange(float minDepth, float maxDepth) {
  const float m = minDepth;
  float r = maxDepth - m;
  // A scene far deeper than its nearest object would put the whole zone in the distance;
  // keep the default zone close to the nearest objects.
  if (4.0f * m < r) r = 4.0f * m;
  ZoneDepths depths;
  depths.foregroundPoint = m + 0.1f * r;
  depths.backgroundPoint = 0.9f * maxDepth;
  depths.zoneNear = m + 0.25f * r;
  depths.zoneFar = m + 0.75f * r;
  if (depths.zoneFar >= depths.backgroundPoint) depths.backgroundPoint = m + 0.9f * r;
  return depths;
}

ZoneSettings::ZoneSettings(uint32_t typeCode, uint32_t foregroundKey, uint32_t backgroundKey)
    : KeyframeSettings(typeCode),
      // The record's order; every depth comes from the image on Reset.
      fields_{{kZoneNearKey, &ZoneSettings::ZoneNear, 0.0, {}},
              {kZoneFarKey, &ZoneSettings::ZoneFar, 1.0, {}},
              {foregroundKey, &ZoneSettings::ForegroundPoint, 0.0, {}},
              {backgroundKey, &ZoneSettings::BackgroundPoint, 1.0, {}}} {}

void ZoneSettings::Reset(const CLayerBitmap& currentImage) {
  KeyframeSettings::Reset(currentImage);
  const DepthRange range = GetDepthRange(currentImage);
  const ZoneDepths depths = ZoneDepthsForRange(range.min, range.max);
  ForegroundPoint = depths.foregroundPoint;
  BackgroundPoint = depths.backgroundPoint;
  ZoneNear = depths.zoneNear;
  ZoneFar = depths.zoneFar;
}

void ZoneSettings::CopyFrom(const KeyframeSettings& other) {
  if (const auto* zone = dynamic_cast<const ZoneSettings*>(&other)) CopyFields(fields_, *this, *zone);
}

void ZoneSettings::Interpolate(const CLayerBitmap*, const KeyframeSettings& earlier,
                               const KeyframeSettings& later, double t) {
  const auto* a = dynamic_cast<const ZoneSettings*>(&earlier);
  const auto* b = dynamic_cast<const ZoneSettings*>(&later);
  if (a && b) BlendFields(fields_, *this, *a, *b, t);
}

void ZoneSettings::StoreRecord(CCustomData& record) const { StoreFields(fields_, *this, record); }

void ZoneSettings::LoadRecord(const CCustomData& record) { LoadFields(fields_, *this, record); }

std::string ZoneSettings::CheckValues() const {
  std::string refusal = CheckFields(fields_, *this);
  if (refusal.empty() && ZoneNear > ZoneFar) {
    refusal = fmt::format("the zone is reversed: ZMIN {} lies behind ZMAX {}", ZoneNear, ZoneFar);
  }
  return refusal;
}

float ZoneSettings::FrontLength() const { return RampLength(ZoneNear - ForegroundPoint); }
float ZoneSettings::BackLength() const { return RampLength(BackgroundPoint - ZoneFar); }
