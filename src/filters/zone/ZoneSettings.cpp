#include "filters/zone/ZoneSettings.h"

#include <cmath>
#include <utility>

#include <fmt/format.h>

#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"
#include "platform/image/DepthRange.h"

namespace {
constexpr uint32_t kZoneNearKey = FourCC("ZMIN");
constexpr uint32_t kZoneFarKey = FourCC("ZMAX");
constexpr float kMinimumRampLength = 0.0001f;

float Blend(float earlier, float later, double t) { return float((1.0 - t) * earlier + t * later); }

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
  const auto* zone = dynamic_cast<const ZoneSettings*>(&other);
  if (!zone) return;
  ForegroundPoint = zone->ForegroundPoint;
  BackgroundPoint = zone->BackgroundPoint;
  ZoneNear = zone->ZoneNear;
  ZoneFar = zone->ZoneFar;
}

void ZoneSettings::Interpolate(const CLayerBitmap*, const KeyframeSettings& earlier,
                               const KeyframeSettings& later, double t) {
  const auto* a = dynamic_cast<const ZoneSettings*>(&earlier);
  const auto* b = dynamic_cast<const ZoneSettings*>(&later);
  if (!a || !b) return;
  ForegroundPoint = Blend(a->ForegroundPoint, b->ForegroundPoint, t);
  BackgroundPoint = Blend(a->BackgroundPoint, b->BackgroundPoint, t);
  ZoneNear = Blend(a->ZoneNear, b->ZoneNear, t);
  ZoneFar = Blend(a->ZoneFar, b->ZoneFar, t);
}

void ZoneSettings::StoreRecord(CCustomData& record) const {
  record.SetFloat(kZoneNearKey, ZoneNear);
  record.SetFloat(kZoneFarKey, ZoneFar);
  record.SetFloat(foregroundKey_, ForegroundPoint);
  record.SetFloat(backgroundKey_, BackgroundPoint);
}

void ZoneSettings::LoadRecord(const CCustomData& record) {
  ZoneNear = record.GetFloat(kZoneNearKey, 0.0f);
  ZoneFar = record.GetFloat(kZoneFarKey, 1.0f);
  ForegroundPoint = record.GetFloat(foregroundKey_, 0.0f);
  BackgroundPoint = record.GetFloat(backgroundKey_, 1.0f);
}

std::string ZoneSettings::CheckValues() const {
  for (auto [key, depth] : {std::pair{kZoneNearKey, ZoneNear}, std::pair{kZoneFarKey, ZoneFar},
                            std::pair{foregroundKey_, ForegroundPoint}, std::pair{backgroundKey_, BackgroundPoint}}) {
    if (!std::isfinite(depth)) return fmt::format("{} must be a finite depth", FourCCToString(key));
  }
  if (ZoneNear > ZoneFar) return fmt::format("the zone is reversed: ZMIN {} lies behind ZMAX {}", ZoneNear, ZoneFar);
  return {};
}

float ZoneSettings::FrontLength() const { return RampLength(ZoneNear - ForegroundPoint); }
float ZoneSettings::BackLength() const { return RampLength(BackgroundPoint - ZoneFar); }
