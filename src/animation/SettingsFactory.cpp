// The settings types the keyframe archive knows, by type code.

#include "animation/KeyframeTrack.h"
#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/zone/ZHueSettings.h"
#include "filters/zone/ZLuminanceSettings.h"
#include "filters/zone/ZSaturationSettings.h"

std::unique_ptr<KeyframeSettings> CreateSettingsOfType(uint32_t typeCode) {
  switch (typeCode) {
    case DepthOfFieldSettings::kTypeCode: return std::make_unique<DepthOfFieldSettings>();
    case ZSaturationSettings::kTypeCode: return std::make_unique<ZSaturationSettings>();
    case ZLuminanceSettings::kTypeCode: return std::make_unique<ZLuminanceSettings>();
    case ZHueSettings::kTypeCode: return std::make_unique<ZHueSettings>();
    case AtmosphericPerspectiveSettings::kTypeCode: return std::make_unique<AtmosphericPerspectiveSettings>();
    default: return nullptr;
  }
}
