#pragma once
// Qt's own texts (standard buttons, file dialogs, colour chooser) in the interface language.

// Installs Qt's translation for French, or removes it for English. Call once a
// QApplication exists and again when the language changes. False when French was asked
// and Qt's translation files are not installed (Qt then speaks English).
bool InstallQtTranslations(bool french);
