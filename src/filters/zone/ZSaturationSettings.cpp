#include "filters/zone/ZSaturationSettings.h"

std::unique_ptr<KeyframeSettings> ZSaturationSettings::Clone() const {
  auto copy = std::make_unique<ZSaturationSettings>();
  copy->CopyFrom(*this);
  return copy;
}
