#pragma once
// Settings of the Z Luminance filter: the zone depths, with the points under 'LMIN'/'LMAX'.

#include "filters/zone/ZoneSettings.h"
#include "platform/framework/FourCC.h"

class ZLuminanceSettings final : public ZoneSettings {
 public:
  static constexpr uint32_t kTypeCode = FourCC("ZLUM");

  ZLuminanceSettings() : ZoneSettings(kTypeCode, FourCC("LMIN"), FourCC("LMAX")) {}

  std::unique_ptr<KeyframeSettings> Clone() const override;
};
