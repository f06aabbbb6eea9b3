#pragma once
// Texts of the string table as Qt strings. An "&" in a table text marks the mnemonic, as in Qt.

#include <QString>

#include "platform/framework/StringTable.h"

inline QString UiText(int id) { return QString::fromStdString(LoadString(id)); }
