#include "filters/FilterRegistry.h"

#include <algorithm>

#include "animation/SettingsTypes.h"

namespace {

// Filled by static registrations before main: a function-local table is there whichever
// translation unit registers first.
std::vector<FilterEntry>& Entries() {
  static std::vector<FilterEntry> entries;
  return entries;
}

}  // namespace

void RegisterFilter(const FilterEntry& entry) {
  auto& entries = Entries();
  auto after = std::upper_bound(entries.begin(), entries.end(), entry.listPosition,
                                [](int position, const FilterEntry& e) { return position < e.listPosition; });
  entries.insert(after, entry);
  RegisterSettingsType(entry.settingsTypeCode, entry.createSettings);
}

const std::vector<FilterEntry>& RegisteredFilters() { return Entries(); }

const FilterEntry* FindFilter(uint32_t commandId) {
  for (const FilterEntry& entry : Entries()) {
    if (entry.description.id == commandId) return &entry;
  }
  return nullptr;
}

const FilterEntry* FindFilterByCliName(const std::string& name) {
  for (const FilterEntry& entry : Entries()) {
    if (name == entry.cliName) return &entry;
  }
  return nullptr;
}

std::string FilterCliNames(const std::string& separator) {
  std::string names;
  for (const FilterEntry& entry : Entries()) {
    if (!names.empty()) names += separator;
    names += entry.cliName;
  }
  return names;
}
