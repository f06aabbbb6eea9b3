// The three zone filters in the filter registry.

#include "filters/FilterRegistry.h"
#include "filters/zone/ZoneFilters.h"

namespace {
const FilterRegistration kZHue({2, ZHueFilter::kDescription, ZHueSettings::kTypeCode, "zhue", MakeSettings<ZHueSettings>,
                                MakeCommand<ZHueFilter>});
const FilterRegistration kZLuminance({4, ZLuminanceFilter::kDescription, ZLuminanceSettings::kTypeCode, "zlum",
                                      MakeSettings<ZLuminanceSettings>, MakeCommand<ZLuminanceFilter>});
const FilterRegistration kZSaturation({5, ZSaturationFilter::kDescription, ZSaturationSettings::kTypeCode, "zsat",
                                       MakeSettings<ZSaturationSettings>, MakeCommand<ZSaturationFilter>});
}  // namespace
