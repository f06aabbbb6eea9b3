#include "app/ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace {
std::unique_ptr<QTranslator> gQtTranslator;
}  // namespace

bool InstallQtTranslations(bool french) {
  if (gQtTranslator) {
    QCoreApplication::removeTranslator(gQtTranslator.get());
    gQtTranslator.reset();
  }
  if (!french) return true;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  QCoreApplication::installTranslator(translator.get());
  gQtTranslator = std::move(translator);
  return true;
}
