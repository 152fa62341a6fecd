#include "core/UserSettings.h"

#include "core/Settings.h"

#include <QSettings>

namespace {
QSettings store() {
  const QString app = TheSettings().appName.isEmpty() ? QStringLiteral("tolva") : TheSettings().appName;
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, app, app);
}
}  // namespace

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue) {
  return store().value(section + QLatin1Char('/') + key, defaultValue).toString();
}

bool HasSetting(const QString& section, const QString& key) { return store().contains(section + QLatin1Char('/') + key); }

void SaveSetting(const QString& section, const QString& key, const QString& value) {
  QSettings s = store();
  s.setValue(section + QLatin1Char('/') + key, value);
  s.sync();
}
