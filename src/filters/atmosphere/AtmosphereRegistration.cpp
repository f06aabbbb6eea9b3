// The atmospheric perspective in the filter registry.

#include "filters/FilterRegistry.h"
#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"
#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"

namespace {
const FilterRegistration kRegistration({3, AtmosphericPerspectiveFilter::kDescription,
                                        AtmosphericPerspectiveSettings::kTypeCode, "fog",
                                        MakeSettings<AtmosphericPerspectiveSettings>,
                                        MakeCommand<AtmosphericPerspectiveFilter>});
}  // namespace
