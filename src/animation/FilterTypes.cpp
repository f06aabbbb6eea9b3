#include "animation/FilterTypes.h"

#include <algorithm>
#include <stdexcept>

#include "platform/framework/FourCC.h"

namespace {

// Filled by static registrations before main: a function-local table is there whichever
// translation unit registers first.
std::vector<FilterTypes>& Table() {
  static std::vector<FilterTypes> table;
  return table;
}

}  // namespace

void RegisterFilterTypes(const FilterTypes& types) {
  for (const FilterTypes& known : Table()) {
    if (known.filterId == types.filterId || known.settingsTypeCode == types.settingsTypeCode) {
      throw std::logic_error("filter " + FourCCToString(types.filterId) + " (settings " +
                             FourCCToString(types.settingsTypeCode) + ") is registered already as filter " +
                             FourCCToString(known.filterId) + " (settings " + FourCCToString(known.settingsTypeCode) +
                             ")");
    }
  }
  Table().push_back(types);
}

const FilterTypes* FindFilterTypes(uint32_t filterId) {
  for (const FilterTypes& types : Table()) {
    if (types.filterId == filterId) return &types;
  }
  return nullptr;
}

std::unique_ptr<KeyframeSettings> CreateSettingsOfType(uint32_t typeCode) {
  for (const FilterTypes& types : Table()) {
    if (types.settingsTypeCode == typeCode) return types.makeSettings();
  }
  return nullptr;
}

std::vector<uint32_t> RegisteredSettingsTypes() {
  std::vector<uint32_t> codes;
  for (const FilterTypes& types : Table()) codes.push_back(types.settingsTypeCode);
  return codes;
}
