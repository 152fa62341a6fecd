#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator* LoadQtTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  // "qt_zh_TW" gathers the catalogues of Qt's modules (qtbase holds the dialogs).
  if (!translator->load(QStringLiteral("qt_zh_TW"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}
