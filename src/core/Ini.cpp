#include "core/Ini.h"

#include "core/CodePage.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

namespace {

constexpr int kMaxValue = 127;

struct IniText {
  QStringList lines;
  bool utf8 = true;  // the encoding the file was read in, kept when it is written back
};

// A file that is valid UTF-8 is read as such; anything else is taken to be in the code page.
IniText readIni(const QString& file) {
  IniText ini;
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return ini;
  const QByteArray bytes = f.readAll();
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (utf8.hasError()) {
    ini.utf8 = false;
    text = CodePage::fromAnsi(bytes);
  }
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  ini.lines = text.split(QLatin1Char('\n'));
  if (!ini.lines.isEmpty() && ini.lines.last().isEmpty()) ini.lines.removeLast();
  return ini;
}

bool isSection(const QString& line, QString* name) {
  const QString t = line.trimmed();
  if (!t.startsWith(QLatin1Char('[')) || !t.contains(QLatin1Char(']'))) return false;
  if (name) *name = t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
  return true;
}

// The key of a "key=value" line, empty for comments and other lines.
QString keyOf(const QString& line) {
  const QString t = line.trimmed();
  if (t.startsWith(QLatin1Char(';')) || !t.contains(QLatin1Char('='))) return {};
  return t.left(t.indexOf(QLatin1Char('='))).trimmed();
}

QString valueOf(const QString& line) {
  QString v = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
  if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                        (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\''))))) {
    v = v.mid(1, v.size() - 2);
  }
  return v;
}

// Index range [first, end) of the lines inside a section; first = -1 when it is missing.
std::pair<int, int> sectionRange(const QStringList& lines, const QString& section) {
  int first = -1;
  for (int i = 0; i < lines.size(); ++i) {
    QString name;
    if (!isSection(lines[i], &name)) continue;
    if (first >= 0) return {first, i};
    if (name.compare(section, Qt::CaseInsensitive) == 0) first = i + 1;
  }
  return {first, static_cast<int>(lines.size())};
}

}  // namespace

QString ReadIniValue(const QString& file, const QString& section, const QString& key) {
  const IniText ini = readIni(file);
  const auto [first, end] = sectionRange(ini.lines, section);
  if (first < 0) return {};
  for (int i = first; i < end; ++i) {
    if (keyOf(ini.lines[i]).compare(key, Qt::CaseInsensitive) == 0 && !key.isEmpty()) {
      return valueOf(ini.lines[i]).left(kMaxValue);
    }
  }
  return {};
}

bool WriteIniValue(const QString& file, const QString& section, const QString& key, const QString& value) {
  IniText ini = readIni(file);
  QStringList& lines = ini.lines;
  const QString entry = key + QLatin1Char('=') + value;
  auto [first, end] = sectionRange(lines, section);
  if (first < 0) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QString());
    lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    lines.append(entry);
  } else {
    int found = -1;
    for (int i = first; i < end && found < 0; ++i) {
      if (keyOf(lines[i]).compare(key, Qt::CaseInsensitive) == 0) found = i;
    }
    if (found >= 0) {
      lines[found] = entry;
    } else {
      // New keys go after the section's last entry, before any blank lines that close it.
      int at = end;
      while (at > first && lines[at - 1].trimmed().isEmpty()) --at;
      lines.insert(at, entry);
    }
  }
  const QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(ini.utf8 ? text.toUtf8() : CodePage::toAnsi(text));
  return out.commit();
}
