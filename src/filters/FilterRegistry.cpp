#include "filters/FilterRegistry.h"

#include <algorithm>
#include <stdexcept>

#include "animation/FilterTypes.h"

namespace {

// Filled by static registrations before main: a function-local table is there whichever
// translation unit registers first.
std::vector<FilterEntry>& Entries() {
  static std::vector<FilterEntry> entries;
  return entries;
}

// What an entry shares with a known one; "" when nothing.
std::string Clash(const FilterEntry& known, const FilterEntry& entry) {
  if (known.description.id == entry.description.id) return "command id";
  if (known.listPosition == entry.listPosition) return "list position";
  if (std::string(known.cliName) == entry.cliName) return "command-line name";
  return {};
}

}  // namespace

void RegisterFilter(const FilterEntry& entry) {
  auto& entries = Entries();
  for (const FilterEntry& known : entries) {
    const std::string clash = Clash(known, entry);
    if (!clash.empty()) {
      throw std::logic_error("filter " + std::string(entry.cliName) + " has the " + clash + " of filter " +
                             known.cliName);
    }
  }
  RegisterFilterTypes({entry.description.id, entry.settingsTypeCode, entry.createSettings, entry.createOptions});
  auto after = std::upper_bound(entries.begin(), entries.end(), entry.listPosition,
                                [](int position, const FilterEntry& e) { return position < e.listPosition; });
  entries.insert(after, entry);
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
