#pragma once
// The settings and options types of the filters, by filter id and by settings type code. Each
// filter registers its own (through the filter registry) before the program starts, and the
// table is only read afterwards; so the keyframe archive and the project file read a filter's
// keyframes and options without knowing the filters.

#include <cstdint>
#include <memory>
#include <vector>

#include "animation/FilterOptions.h"
#include "animation/KeyframeSettings.h"

using SettingsMaker = std::unique_ptr<KeyframeSettings> (*)();
using OptionsMaker = std::unique_ptr<FilterOptions> (*)();

struct FilterTypes {
  uint32_t filterId;          // the filter's command id, as the project file names it
  uint32_t settingsTypeCode;  // the record type of its keyframes
  SettingsMaker makeSettings;
  OptionsMaker makeOptions;
};

// Throws std::logic_error, naming both, when the filter id or the settings type code is
// registered already: two filters cannot share one.
void RegisterFilterTypes(const FilterTypes& types);
// Null for an id no filter has.
const FilterTypes* FindFilterTypes(uint32_t filterId);
// A new, empty settings object of a type code; null for a code no filter uses.
std::unique_ptr<KeyframeSettings> CreateSettingsOfType(uint32_t typeCode);
// Every registered type code, in registration order.
std::vector<uint32_t> RegisteredSettingsTypes();
