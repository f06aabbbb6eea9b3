#pragma once
// Every text shown to the user, by number, in English and French. The numbers have names
// (strings/StringIds.h, generated from the English table). The tables are constant: the
// language is the caller's (each program chooses its own at start, and a user interface keeps
// the one it speaks).

#include <string>

#include <fmt/printf.h>

#include "strings/StringIds.h"

enum class Language { English, French };

// "-us" and "-fr" in any case, the last one winning; without either, the locale
// (LC_ALL, LC_MESSAGES, LANG) decides.
Language LanguageFromArguments(int argc, const char* const* argv);

// The text of an id in a language; the English text when the French table lacks it; an empty
// string for an unknown id.
std::string LoadString(Language language, int id);
bool HasString(int id, Language language);

// The text of an id with printf-style arguments (%s, %d, ...), as the tables write them.
template <typename... Args>
std::string FormatString(Language language, int id, const Args&... args) {
  return fmt::sprintf(LoadString(language, id), args...);
}

// A number with that many decimals as the language writes it: "2.50", "2,50".
std::string FormatDecimal(Language language, double value, int decimals);

// A reason given by the system or a reader, fit to follow a text of the language: as it is in
// English; in French the system's reasons that the table translates (a missing file, a refused
// permission, a full disk...), and nothing for any other English text.
std::string LocalReason(Language language, const std::string& reason);

// A table text followed by the reason a reader or writer gave (which names the file), so that
// the translated text comes first and the detail is kept.
inline std::string AppendReason(const std::string& text, const std::string& reason) {
  if (reason.empty()) return text;
  return text + " " + reason + (reason.back() == '.' ? "" : ".");
}
