// The depth of field in the filter registry.

#include "filters/FilterRegistry.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/DepthOfFieldOperation.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldSettings.h"

namespace {
const FilterRegistration kRegistration({1, DepthOfFieldFilter::kDescription, DepthOfFieldSettings::kTypeCode, "dof",
                                        MakeSettings<DepthOfFieldSettings>, MakeOptions<DepthOfFieldOptions>,
                                        RenderDepthOfField, MakeCommand<DepthOfFieldFilter>});
}  // namespace
