#include "controls/UiText.h"

namespace {
// The desktop program's one language, set by its start-up.
Language& ProgramLanguage() {
  static Language language = Language::English;
  return language;
}
}  // namespace

void SetInterfaceLanguage(Language language) { ProgramLanguage() = language; }
Language InterfaceLanguage() { return ProgramLanguage(); }
