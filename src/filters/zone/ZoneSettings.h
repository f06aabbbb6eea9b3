#pragma once
// The four depths shared by the zone filters (Z Saturation, Z Luminance, Z Hue): a constant
// zone from ZoneNear to ZoneFar where pixels keep their colour, and the points in front of
// it and behind it where the effect is complete. Depths are in the unit of the depth layer.

#include <cstdint>

#include "animation/KeyframeSettings.h"
#include "animation/SettingsFields.h"

// The zone depths derived from an image's depth range (the rule of every zone filter's Reset).
struct ZoneDepths {
  float foregroundPoint = 0.0f;
  float backgroundPoint = 1.0f;
  float zoneNear = 0.0f;
  float zoneFar = 1.0f;
};
ZoneDepths ZoneDepthsForRange(float minDepth, float maxDepth);

class ZoneSettings : public KeyframeSettings {
 public:
  // Nothing keeps these ordered; the depth tools keep ForegroundPoint <= ZoneNear and
  // ZoneFar <= BackgroundPoint when they set them.
  float ForegroundPoint = 0.0f;
  float BackgroundPoint = 1.0f;
  float ZoneNear = 0.0f;
  float ZoneFar = 1.0f;

  void Reset(const CLayerBitmap& currentImage) override;
  void CopyFrom(const KeyframeSettings& other) override;
  void Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier,
                   const KeyframeSettings& later, double t) override;
  // 'ZMIN', 'ZMAX', then the two point keys of the concrete type.
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
  // The zone in order; every depth finite.
  std::string CheckValues() const override;

  // Lengths of the ramps in front of and behind the zone. A length of exactly 0 becomes
  // 0.0001 so that a point placed on the zone edge gives a step instead of a division by 0.
  float FrontLength() const;
  float BackLength() const;

 protected:
  // The points' record keys are the concrete filter's.
  ZoneSettings(uint32_t typeCode, uint32_t foregroundKey, uint32_t backgroundKey);

 private:
  SettingsFields<ZoneSettings> fields_;
};
