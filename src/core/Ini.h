#pragma once
// INI files with private-profile semantics: sections and keys ignore case, a missing key
// reads as empty, values are cut at 127 characters, writing keeps every other line as it is.
#include <QString>

QString ReadIniValue(const QString& file, const QString& section, const QString& key);
bool WriteIniValue(const QString& file, const QString& section, const QString& key, const QString& value);
