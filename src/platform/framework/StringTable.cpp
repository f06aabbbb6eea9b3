#include "platform/framework/StringTable.h"

#include <cstdlib>
#include <fmt/format.h>
#include <map>
#include <string_view>

#include <strings.h>

namespace {

const std::map<int, const char*>& EnglishTable() {
  static const std::map<int, const char*> table = {
#include "strings/en.inc"
  };
  return table;
}

const std::map<int, const char*>& FrenchTable() {
  static const std::map<int, const char*> table = {
#include "strings/fr.inc"
  };
  return table;
}

bool LocaleIsFrench() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return std::string_view(v).starts_with("fr");
  }
  return false;
}

}  // namespace

Language LanguageFromArguments(int argc, const char* const* argv) {
  Language language = LocaleIsFrench() ? Language::French : Language::English;
  for (int i = 1; i < argc; ++i) {
    if (strcasecmp(argv[i], "-us") == 0) language = Language::English;
    if (strcasecmp(argv[i], "-fr") == 0) language = Language::French;
  }
  return language;
}

bool HasString(int id, Language language) {
  const auto& table = language == Language::French ? FrenchTable() : EnglishTable();
  return table.count(id) != 0;
}

std::string LoadString(Language language, int id) {
  if (language == Language::French) {
    if (auto it = FrenchTable().find(id); it != FrenchTable().end()) return it->second;
  }
  auto it = EnglishTable().find(id);
  return it == EnglishTable().end() ? std::string() : std::string(it->second);
}

namespace {

// The system's reasons (as the C library words them) and the table texts that translate them.
struct SystemReason {
  const char* english;
  int textId;
};
constexpr SystemReason kSystemReasons[] = {
    {"No such file or directory", kNoSuchFileDirectory}, {"Permission denied", kPermissionDenied},   {"Read-only file system", kReadOnlyFileSystem},
    {"No space left on device", kNoSpaceLeftDevice},   {"Is a directory", kDirectory},      {"Not a directory", kNotDirectory},
    {"Disk quota exceeded", kDiskQuotaExceeded},       {"File name too long", kFileNameTooLong},  {"Operation not permitted", kOperationNotPermitted},
};

}  // namespace

std::string LocalReason(Language language, const std::string& reason) {
  if (language == Language::English) return reason;
  for (const SystemReason& known : kSystemReasons) {
    if (reason.find(known.english) != std::string::npos) return LoadString(language, known.textId);
  }
  return {};
}

std::string FormatDecimal(Language language, double value, int decimals) {
  std::string text = fmt::format("{:.{}f}", value, decimals < 0 ? 0 : decimals);
  if (language == Language::French) {
    for (char& c : text) {
      if (c == '.') c = ',';
    }
  }
  return text;
}
