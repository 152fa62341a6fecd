#pragma once
// The per-user settings store: application name = executable name, then section and key.
#include <QString>

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = QString());
// True when a value is stored for the key, an empty one included.
bool HasSetting(const QString& section, const QString& key);
void SaveSetting(const QString& section, const QString& key, const QString& value);
