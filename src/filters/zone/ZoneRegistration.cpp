// The three zone filters in the filter registry.

#include "filters/ColourFilterOperation.h"
#include "filters/FilterRegistry.h"
#include "filters/zone/ZoneFilters.h"

namespace {

// The entry of a zone filter of one command, settings and options type.
template <typename Command, typename Settings, typename Options>
FilterEntry ZoneEntry(int listPosition, const char* cliName) {
  return {listPosition,           Command::kDescription,
          Settings::kTypeCode,    cliName,
          MakeSettings<Settings>, MakeOptions<Options>,
          RenderColourFilterOf<Settings, Options>, MakeCommand<Command>};
}

const FilterRegistration kZHue(ZoneEntry<ZHueFilter, ZHueSettings, ZHueOptions>(2, "zhue"));
const FilterRegistration kZLuminance(ZoneEntry<ZLuminanceFilter, ZLuminanceSettings, ZoneOptions>(4, "zlum"));
const FilterRegistration kZSaturation(ZoneEntry<ZSaturationFilter, ZSaturationSettings, ZoneOptions>(5, "zsat"));

}  // namespace
