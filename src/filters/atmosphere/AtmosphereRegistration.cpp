// The atmospheric perspective in the filter registry.

#include "filters/ColourFilterOperation.h"
#include "filters/FilterRegistry.h"
#include "filters/atmosphere/AtmosphericPerspectiveFilter.h"
#include "filters/atmosphere/AtmosphericPerspectivePixels.h"
#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"

namespace {
using Settings = AtmosphericPerspectiveSettings;
using Options = AtmosphericPerspectiveOptions;
const FilterRegistration kRegistration({3, AtmosphericPerspectiveFilter::kDescription, Settings::kTypeCode, "fog",
                                        MakeSettings<Settings>, MakeOptions<Options>,
                                        RenderColourFilterOf<Settings, Options>,
                                        MakeCommand<AtmosphericPerspectiveFilter>});
}  // namespace
