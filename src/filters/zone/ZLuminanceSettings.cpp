#include "filters/zone/ZLuminanceSettings.h"

std::unique_ptr<KeyframeSettings> ZLuminanceSettings::Clone() const {
  auto copy = std::make_unique<ZLuminanceSettings>();
  copy->CopyFrom(*this);
  return copy;
}
