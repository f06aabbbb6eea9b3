#include "animation/SettingsTypes.h"

#include <algorithm>
#include <utility>

namespace {

struct SettingsType {
  uint32_t typeCode;
  SettingsMaker make;
};

// Filled by static registrations before main: a function-local table is there whichever
// translation unit registers first.
std::vector<SettingsType>& Types() {
  static std::vector<SettingsType> types;
  return types;
}

}  // namespace

void RegisterSettingsType(uint32_t typeCode, SettingsMaker make) {
  auto& types = Types();
  auto known = std::find_if(types.begin(), types.end(), [typeCode](const SettingsType& t) { return t.typeCode == typeCode; });
  if (known != types.end()) {
    known->make = make;
    return;
  }
  types.push_back({typeCode, make});
}

std::unique_ptr<KeyframeSettings> CreateSettingsOfType(uint32_t typeCode) {
  for (const SettingsType& type : Types()) {
    if (type.typeCode == typeCode) return type.make();
  }
  return nullptr;
}

std::vector<uint32_t> RegisteredSettingsTypes() {
  std::vector<uint32_t> codes;
  for (const SettingsType& type : Types()) codes.push_back(type.typeCode);
  return codes;
}
