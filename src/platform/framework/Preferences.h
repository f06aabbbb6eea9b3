#pragma once
// The per-user preferences store: one JSON file in $FOVARA_CONFIG_HOME, else
// $XDG_CONFIG_HOME/fovara, else ~/.config/fovara. A missing or corrupt file reads as empty.

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace Preferences {

std::string ConfigFolder();
std::string FilePath();

nlohmann::json Load();
// Whether a text is valid UTF-8, as the store's JSON needs.
bool IsUtf8(const std::string& text);
// Writes beside and renames; false when the file could not be written.
bool Save(const nlohmann::json& document);

// Plain values under a section ("settings"/"dir").
std::string GetValue(const std::string& section, const std::string& key, const std::string& def);
bool SetValue(const std::string& section, const std::string& key, const std::string& value);

// The recent project list, newest first, at most four names.
std::vector<std::string> GetRecentFiles();
// A name that is not UTF-8 is not added (false).
bool AddRecentFile(const std::string& path);

}  // namespace Preferences
