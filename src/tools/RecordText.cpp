#include "tools/RecordText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include <fmt/format.h>

#include "platform/framework/RecordKeys.h"

namespace {

std::string ColourText(uint64_t value) {
  return fmt::format("#{:02X}{:02X}{:02X}", value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// "#RRGGBB" as 0x00BBGGRR.
bool ParseColour(const std::string& text, uint64_t& value) {
  if (text.size() != 7 || text[0] != '#') return false;
  char* end = nullptr;
  unsigned long rgb = std::strtoul(text.c_str() + 1, &end, 16);
  if (*end != '\0') return false;
  value = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  return true;
}

bool ParseInteger(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 0);
  return errno == 0 && *end == '\0';
}

bool ParseReal(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool ParseBool(const std::string& text, long long& value) {
  if (text == "true" || text == "on" || text == "yes") return value = 1, true;
  if (text == "false" || text == "off" || text == "no") return value = 0, true;
  return ParseInteger(text, value);
}

}  // namespace

nlohmann::ordered_json RecordToJson(const CCustomData& record) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  for (const auto& entry : record.Entries()) {
    std::string key = FourCCToString(entry.key);
    if (entry.key == kColourKey && std::holds_alternative<uint64_t>(entry.value)) {
      out[key] = ColourText(std::get<uint64_t>(entry.value));
      continue;
    }
    std::visit([&](const auto& v) { out[key] = v; }, entry.value);
  }
  return out;
}

bool SplitAssignment(const std::string& assignment, std::string& key, std::string& value) {
  auto eq = assignment.find('=');
  if (eq == std::string::npos) return false;
  key = assignment.substr(0, eq);
  value = assignment.substr(eq + 1);
  return true;
}

std::string SetRecordValue(CCustomData& record, const std::string& keyText, const std::string& text) {
  auto key = FourCCFromString(keyText);
  const CCustomData::Entry* entry = nullptr;
  for (const auto& e : record.Entries()) {
    if (key && e.key == *key) entry = &e;
  }
  if (!entry) return fmt::format("unknown key '{}'", keyText);
  auto bad = [&] { return fmt::format("bad value '{}' for {}", text, keyText); };

  long long integer = 0;
  double real = 0;
  switch (CCustomData::Type(entry->value.index() + 1)) {
    case CCustomData::Type::Int:
      if (!ParseBool(text, integer) || integer < INT32_MIN || integer > INT32_MAX) return bad();
      record.SetInt(*key, int32_t(integer));
      break;
    case CCustomData::Type::UInt:
      if (!ParseInteger(text, integer) || integer < 0 || integer > UINT32_MAX) return bad();
      record.SetUInt(*key, uint32_t(integer));
      break;
    case CCustomData::Type::ULong: {
      uint64_t colour = 0;
      if (*key == kColourKey && ParseColour(text, colour)) {
        record.SetULong(*key, colour);
        break;
      }
      if (!ParseInteger(text, integer) || integer < 0) return bad();
      record.SetULong(*key, uint64_t(integer));
      break;
    }
    case CCustomData::Type::Float:
      if (!ParseReal(text, real)) return bad();
      record.SetFloat(*key, float(real));
      break;
    case CCustomData::Type::Double:
      if (!ParseReal(text, real)) return bad();
      record.SetDouble(*key, real);
      break;
    case CCustomData::Type::String: record.SetString(*key, text); break;
    case CCustomData::Type::StringArray: return fmt::format("{} cannot be set from the command line", keyText);
  }
  return {};
}
