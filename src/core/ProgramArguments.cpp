#include "core/ProgramArguments.h"

QStringList ArgumentList(int argc, char* argv[]) {
  QStringList list;
  for (int i = 0; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
  return list;
}

int QtWindowOptionValues(const QString& arg) {
  static const QStringList withValue = {
      QStringLiteral("-platform"),     QStringLiteral("-platformpluginpath"), QStringLiteral("-platformtheme"),
      QStringLiteral("-plugin"),       QStringLiteral("-qwindowgeometry"),    QStringLiteral("-qwindowicon"),
      QStringLiteral("-qwindowtitle"), QStringLiteral("-style"),              QStringLiteral("-stylesheet"),
      QStringLiteral("-session"),      QStringLiteral("-display"),            QStringLiteral("-geometry")};
  static const QStringList flags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                    QStringLiteral("-nograb"), QStringLiteral("-dograb"), QStringLiteral("-sync")};
  if (withValue.contains(arg)) return 1;
  if (flags.contains(arg)) return 0;
  return -1;
}
