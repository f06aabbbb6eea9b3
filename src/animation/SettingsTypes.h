#pragma once
// The settings types the keyframe archive knows, by type code. Each filter registers its own
// type (through the filter registry), so the archive reads a keyframe without knowing filters.

#include <cstdint>
#include <memory>
#include <vector>

#include "animation/KeyframeSettings.h"

using SettingsMaker = std::unique_ptr<KeyframeSettings> (*)();

// Registers the maker of a type code; a second maker for the same code replaces the first.
void RegisterSettingsType(uint32_t typeCode, SettingsMaker make);
// A new, empty settings object of a type code; null for a code no filter uses.
std::unique_ptr<KeyframeSettings> CreateSettingsOfType(uint32_t typeCode);
// Every registered type code, in registration order.
std::vector<uint32_t> RegisteredSettingsTypes();
