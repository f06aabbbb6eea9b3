#include "platform/framework/Preferences.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace fs = std::filesystem;

namespace Preferences {

std::string ConfigFolder() {
  if (const char* own = std::getenv("FOVARA_CONFIG_HOME"); own && *own) return own;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return (fs::path(xdg) / "fovara").string();
  const char* home = std::getenv("HOME");
  return (fs::path(home && *home ? home : ".") / ".config" / "fovara").string();
}

std::string FilePath() { return (fs::path(ConfigFolder()) / "preferences.json").string(); }

nlohmann::json Load() {
  std::ifstream in(FilePath());
  if (!in) return nlohmann::json::object();
  auto doc = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
  if (doc.is_discarded() || !doc.is_object()) return nlohmann::json::object();
  return doc;
}

bool IsUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = uint8_t(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((uint8_t(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

bool Save(const nlohmann::json& document) {
  std::error_code ec;
  fs::create_directories(ConfigFolder(), ec);
  // Texts that are not UTF-8 are kept out by the writers; should one slip through, it is
  // written with replacement characters rather than lose the whole store.
  std::string text = document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  return WriteFileAtomically(FilePath(), std::vector<uint8_t>(text.begin(), text.end())).empty();
}

std::string GetValue(const std::string& section, const std::string& key, const std::string& def) {
  auto doc = Load();
  auto s = doc.find(section);
  if (s == doc.end() || !s->is_object()) return def;
  auto v = s->find(key);
  return (v != s->end() && v->is_string()) ? v->get<std::string>() : def;
}

bool SetValue(const std::string& section, const std::string& key, const std::string& value) {
  auto doc = Load();
  if (!doc[section].is_object()) doc[section] = nlohmann::json::object();
  doc[section][key] = value;
  return Save(doc);
}

std::vector<std::string> GetRecentFiles() {
  auto doc = Load();
  std::vector<std::string> out;
  auto r = doc.find("recent");
  if (r == doc.end() || !r->is_array()) return out;
  for (const auto& v : *r) {
    if (v.is_string()) out.push_back(v.get<std::string>());
  }
  return out;
}

bool AddRecentFile(const std::string& path) {
  // A name the store cannot hold as it is (not UTF-8) would come back as another name.
  if (!IsUtf8(path)) return false;
  auto list = GetRecentFiles();
  std::erase(list, path);
  list.insert(list.begin(), path);
  if (list.size() > 4) list.resize(4);
  auto doc = Load();
  doc["recent"] = list;
  return Save(doc);
}

}  // namespace Preferences

namespace {

constexpr const char* kTypeNames[] = {"int", "uint", "ulong", "float", "double", "string", "strings"};

std::string RecordName(uint32_t application, uint32_t section) {
  return FourCCToString(application) + "." + FourCCToString(section);
}

nlohmann::json EntryToJson(const CCustomData::Value& value) {
  nlohmann::json v;
  std::visit([&v](const auto& x) { v = x; }, value);
  return {{"type", kTypeNames[value.index()]}, {"value", v}};
}

// A JSON number as T, when T can hold it.
template <typename T>
std::optional<T> NumberAs(const nlohmann::json& v) {
  using Limits = std::numeric_limits<T>;
  if (v.is_number_unsigned()) {
    uint64_t n = v.get<uint64_t>();
    if constexpr (std::is_integral_v<T>) {
      if (n > uint64_t(Limits::max())) return std::nullopt;
    }
    return T(n);
  }
  if (v.is_number_integer()) {
    int64_t n = v.get<int64_t>();
    if constexpr (std::is_integral_v<T>) {
      if (n < 0 && !Limits::is_signed) return std::nullopt;
      if (Limits::is_signed && (n < int64_t(Limits::min()) || n > int64_t(Limits::max()))) return std::nullopt;
    }
    return T(n);
  }
  double x = v.get<double>();
  if constexpr (std::is_integral_v<T>) {
    if (!(x > double(Limits::min()) - 1.0 && x < double(Limits::max()) + 1.0)) return std::nullopt;
  } else {
    if (std::isfinite(x) && std::fabs(x) > double(Limits::max())) return std::nullopt;
  }
  return T(x);
}

// Puts one stored entry into the record; entries of an unknown shape are left out.
void JsonToEntry(CCustomData& record, uint32_t key, const nlohmann::json& e) {
  if (!e.is_object() || !e.contains("type") || !e.contains("value")) return;
  const auto& type = e["type"];
  const auto& v = e["value"];
  if (!type.is_string()) return;
  std::string t = type.get<std::string>();
  if (t == "string" && v.is_string()) record.SetString(key, v.get<std::string>());
  else if (t == "strings" && v.is_array()) {
    std::vector<std::string> list;
    for (const auto& s : v) {
      if (s.is_string()) list.push_back(s.get<std::string>());
    }
    record.SetStringArray(key, list);
  } else if (v.is_number()) {
    // A number out of its type's range is left out: the reader then gets its default.
    if (t == "int") {
      if (auto n = NumberAs<int32_t>(v)) record.SetInt(key, *n);
    } else if (t == "uint") {
      if (auto n = NumberAs<uint32_t>(v)) record.SetUInt(key, *n);
    } else if (t == "ulong") {
      if (auto n = NumberAs<uint64_t>(v)) record.SetULong(key, *n);
    } else if (t == "float") {
      if (auto n = NumberAs<float>(v)) record.SetFloat(key, *n);
    } else if (t == "double") {
      record.SetDouble(key, v.get<double>());
    }
  }
}

// Entries the store could not give back as they are: texts that are not UTF-8.
bool Storable(const CCustomData::Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return Preferences::IsUtf8(*text);
  if (const auto* list = std::get_if<std::vector<std::string>>(&value)) {
    return std::all_of(list->begin(), list->end(), [](const std::string& s) { return Preferences::IsUtf8(s); });
  }
  return true;
}

}  // namespace

void CCustomData::LoadFromPrefs(uint32_t application, uint32_t section) {
  Clear();
  auto doc = Preferences::Load();
  auto records = doc.find("records");
  if (records == doc.end() || !records->is_object()) return;
  auto rec = records->find(RecordName(application, section));
  if (rec == records->end() || !rec->is_object()) return;
  for (const auto& [name, entry] : rec->items()) {
    if (auto key = FourCCFromString(name)) JsonToEntry(*this, *key, entry);
  }
}

bool CCustomData::SaveToPrefs(uint32_t application, uint32_t section) const {
  nlohmann::json rec = nlohmann::json::object();
  for (const Entry& e : entries_) {
    if (Storable(e.value)) rec[FourCCToString(e.key)] = EntryToJson(e.value);
  }
  auto doc = Preferences::Load();
  if (!doc["records"].is_object()) doc["records"] = nlohmann::json::object();
  doc["records"][RecordName(application, section)] = rec;
  return Preferences::Save(doc);
}
