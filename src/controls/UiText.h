#pragma once
// Texts of the string table in the desktop program's language, as Qt and as standard strings.
// The language is the program's own, chosen once at start (SetInterfaceLanguage) by the
// application; an "&" in a table text marks the mnemonic, as in Qt.

#include <string>

#include <QString>

#include "platform/framework/StringTable.h"

void SetInterfaceLanguage(Language language);
Language InterfaceLanguage();

inline std::string UiString(int id) { return LoadString(InterfaceLanguage(), id); }
inline QString UiText(int id) { return QString::fromStdString(UiString(id)); }
template <typename... Args>
std::string UiFormat(int id, const Args&... args) {
  return FormatString(InterfaceLanguage(), id, args...);
}
