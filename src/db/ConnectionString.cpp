#include "db/ConnectionString.h"

namespace {

bool isPasswordKey(const QString& key) {
  return key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0 ||
         key.compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0;
}

}  // namespace

ConnectionString::ConnectionString(const QString& text) : text_(text) {
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    // One segment: key, "=", value, up to the next ";" outside braces.
    const qsizetype start = i;
    qsizetype eq = -1;
    while (i < n && text[i] != QLatin1Char(';') && eq < 0) {
      if (text[i] == QLatin1Char('=')) eq = i;
      ++i;
    }
    if (eq < 0) {  // no "=" before the ";": not a pair
      ++i;
      continue;
    }
    Part part;
    part.key = text.mid(start, eq - start).trimmed();
    qsizetype v = eq + 1;
    while (v < n && text[v].isSpace() && text[v] != QLatin1Char(';')) ++v;
    part.valueFrom = v;
    if (v < n && text[v] == QLatin1Char('{')) {
      qsizetype j = v + 1;
      bool closed = false;
      while (j < n) {
        if (text[j] == QLatin1Char('}')) {
          if (j + 1 < n && text[j + 1] == QLatin1Char('}')) {
            part.value += QLatin1Char('}');
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        part.value += text[j++];
      }
      if (!closed) {
        // An unclosed brace takes the rest, so that nothing of it can pass for another pair.
        part.valueTo = n;
        i = n;
      } else {
        part.valueTo = j;
        while (j < n && text[j] != QLatin1Char(';')) ++j;  // anything after the brace is dropped
        i = j + 1;
      }
    } else {
      qsizetype j = v;
      while (j < n && text[j] != QLatin1Char(';')) ++j;
      part.value = text.mid(v, j - v).trimmed();
      part.valueTo = j;
      i = j + 1;
    }
    if (!part.key.isEmpty()) parts_ << part;
  }
}

QString ConnectionString::value(const QString& key, const QString& fallback) const {
  for (auto it = parts_.crbegin(); it != parts_.crend(); ++it) {
    if (it->key.compare(key, Qt::CaseInsensitive) == 0) return it->value;
  }
  return fallback;
}

bool ConnectionString::contains(const QString& key) const {
  for (const Part& p : parts_) {
    if (p.key.compare(key, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

QString ConnectionString::masked() const {
  QString out = text_;
  // From the back, so that the earlier positions stay valid.
  for (auto it = parts_.crbegin(); it != parts_.crend(); ++it) {
    if (isPasswordKey(it->key)) out.replace(it->valueFrom, it->valueTo - it->valueFrom, QStringLiteral("****"));
  }
  return out;
}

QString ConnectionString::hidePassword(const QString& text) const {
  QString out = MaskPassword(text);
  for (const Part& p : parts_) {
    if (isPasswordKey(p.key) && p.value.size() >= 3) out.replace(p.value, QStringLiteral("****"));
  }
  return out;
}

QMap<QString, QString> ParseConnectionString(const QString& cnt) {
  QMap<QString, QString> kv;
  const ConnectionString cs(cnt);
  // Folded as the look-ups compare keys, so that the map and value() agree on every key.
  for (const ConnectionString::Part& p : cs.parts()) kv.insert(p.key.toCaseFolded(), p.value);
  return kv;
}

QString MaskPassword(const QString& cnt) { return ConnectionString(cnt).masked(); }

QString QuoteConnectionValue(const QString& value) {
  static const QString special = QStringLiteral("[]{}(),;?*=!@");
  bool quote = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
  for (const QChar c : value) quote = quote || special.contains(c);
  if (!quote) return value;
  return QLatin1Char('{') + QString(value).replace(QLatin1String("}"), QLatin1String("}}")) + QLatin1Char('}');
}
