#pragma once
// Settings records as text: JSON for show, KEY=VALUE for set.

#include <string>

#include <nlohmann/json.hpp>

#include "platform/framework/CustomData.h"

// {"KEY": value, ...} in the record's order. Colours ('COLR') are shown as "#RRGGBB".
nlohmann::ordered_json RecordToJson(const CCustomData& record);

// Sets KEY to the value written in text, converted to the type the record holds under that
// key. Returns an error message, or "" when done. Unknown keys are refused.
std::string SetRecordValue(CCustomData& record, const std::string& key, const std::string& text);

// Splits "KEY=VALUE"; false when there is no '='.
bool SplitAssignment(const std::string& assignment, std::string& key, std::string& value);

// One line of JSON. Names that are not UTF-8 (file names are bytes) are written with
// replacement characters instead of stopping the program.
template <typename Json>
std::string JsonText(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}
