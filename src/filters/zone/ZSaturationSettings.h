#pragma once
// Settings of the Z Saturation filter: the zone depths, with the points under 'SMIN'/'SMAX'.

#include "filters/zone/ZoneSettings.h"
#include "platform/framework/FourCC.h"

class ZSaturationSettings final : public ZoneSettings {
 public:
  static constexpr uint32_t kTypeCode = FourCC("ZSAT");

  ZSaturationSettings() : ZoneSettings(kTypeCode, FourCC("SMIN"), FourCC("SMAX")) {}

  std::unique_ptr<KeyframeSettings> Clone() const override;
};
