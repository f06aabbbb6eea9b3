#include "platform/framework/Preferences.h"

#include <cstdlib>
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

bool Save(const nlohmann::json& document) {
  std::error_code ec;
  fs::create_directories(ConfigFolder(), ec);
  std::string text = document.dump(2);
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
    if (t == "int") record.SetInt(key, v.get<int32_t>());
    else if (t == "uint") record.SetUInt(key, v.get<uint32_t>());
    else if (t == "ulong") record.SetULong(key, v.get<uint64_t>());
    else if (t == "float") record.SetFloat(key, v.get<float>());
    else if (t == "double") record.SetDouble(key, v.get<double>());
  }
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
  for (const Entry& e : entries_) rec[FourCCToString(e.key)] = EntryToJson(e.value);
  auto doc = Preferences::Load();
  if (!doc["records"].is_object()) doc["records"] = nlohmann::json::object();
  doc["records"][RecordName(application, section)] = rec;
  return Preferences::Save(doc);
}
