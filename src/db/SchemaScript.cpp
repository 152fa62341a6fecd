#include "db/SchemaScript.h"

#include "core/ErrorReport.h"
#include "db/Connection.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlRecord>

namespace {

// Length of a dollar-quote tag ("$$", "$body$") starting at `i`, or 0 when there is none.
qsizetype dollarTagLength(const QString& s, qsizetype i) {
  if (s[i] != QLatin1Char('$')) return 0;
  // A tag cannot follow an identifier character ($1 parameters, names with $).
  if (i > 0 && (s[i - 1].isLetterOrNumber() || s[i - 1] == QLatin1Char('_'))) return 0;
  qsizetype j = i + 1;
  while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('_'))) {
    if (j == i + 1 && s[j].isDigit()) return 0;
    ++j;
  }
  return (j < s.size() && s[j] == QLatin1Char('$')) ? j - i + 1 : 0;
}

// True when the statement holds more than blanks and comments.
bool hasCode(const QString& statement) {
  bool inLine = false, inBlock = false;
  for (qsizetype i = 0; i < statement.size(); ++i) {
    const QChar c = statement[i];
    const QChar n = i + 1 < statement.size() ? statement[i + 1] : QChar();
    if (inLine) { inLine = c != QLatin1Char('\n'); continue; }
    if (inBlock) {
      if (c == QLatin1Char('*') && n == QLatin1Char('/')) { inBlock = false; ++i; }
      continue;
    }
    if (c == QLatin1Char('-') && n == QLatin1Char('-')) { inLine = true; ++i; continue; }
    if (c == QLatin1Char('/') && n == QLatin1Char('*')) { inBlock = true; ++i; continue; }
    if (!c.isSpace()) return true;
  }
  return false;
}

}  // namespace

QStringList SplitSqlScript(const QString& script) {
  QStringList out;
  QString current;
  auto flush = [&] {
    if (hasCode(current)) out << current.trimmed();
    current.clear();
  };
  qsizetype i = 0;
  const qsizetype n = script.size();
  while (i < n) {
    const QChar c = script[i];
    const QChar next = i + 1 < n ? script[i + 1] : QChar();
    qsizetype end = i + 1;  // one past the token starting at i
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
      end = script.indexOf(QLatin1Char('\n'), i);
      end = end < 0 ? n : end;
    } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
      end = script.indexOf(QLatin1String("*/"), i + 2);
      end = end < 0 ? n : end + 2;
    } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      // A doubled quote inside the literal is part of it.
      end = i + 1;
      while (end < n) {
        if (script[end] == c) {
          if (end + 1 < n && script[end + 1] == c) { end += 2; continue; }
          ++end;
          break;
        }
        ++end;
      }
    } else if (const qsizetype tag = dollarTagLength(script, i); tag > 0) {
      const QString delimiter = script.mid(i, tag);
      const qsizetype close = script.indexOf(delimiter, i + tag);
      end = close < 0 ? n : close + tag;
    } else if (c == QLatin1Char(';')) {
      flush();
      i = end;
      continue;
    }
    current += script.mid(i, end - i);
    i = end;
  }
  flush();
  return out;
}

Fetched<QString> SchemaScriptText(const QString& name) {
  // The scripts are a resource of the core library, which is static: make sure its
  // initialiser is linked in.
  static const bool registered = [] {
    Q_INIT_RESOURCE(schema);
    return true;
  }();
  Q_UNUSED(registered);
  QFile f(QStringLiteral(":/schema/") + name);
  if (!f.open(QIODevice::ReadOnly)) return Failure{QStringLiteral("53"), QStringLiteral("Schema script not found: ") + name};
  return QString::fromUtf8(f.readAll());
}

Done RunSqlScript(Connection& cnn, const QString& script) {
  const QStringList statements = SplitSqlScript(script);
  TransactionGuard tx(cnn);
  if (!tx.begun()) return tx.begun();
  for (const QString& statement : statements) {
    if (const Fetched<int> done = cnn.execute(statement); !done) return done.failure;
  }
  return tx.commit();
}

Fetched<bool> HasTable(Connection& cnn, const QString& table) {
  const QString count = cnn.dialect().tableCountQuery();
  if (!count.isEmpty()) {
    const Fetched<QVariant> n = cnn.scalar(count, {table});
    if (!n) return n.failure;
    return n->toInt() > 0;
  }
  const QStringList tables = cnn.database().tables(QSql::Tables);
  for (const QString& t : tables) {
    if (t.section(QLatin1Char('.'), -1).compare(table, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

bool HasColumn(Connection& cnn, const QString& table, const QString& column) {
  // The drivers look the table up in their own letter case; the record compares names
  // ignoring case.
  const QSqlDatabase db = cnn.database();
  for (const QString& name : {table, table.toLower()}) {
    const QSqlRecord record = db.record(name);
    if (!record.isEmpty()) return record.contains(column);
  }
  return false;
}

Done CreateSchema(Connection& cnn) {
  const QString name = cnn.dialect().schemaScript();
  if (name.isEmpty()) return Failure{QStringLiteral("-1"), QStringLiteral("No built-in schema for ") + cnn.dialect().name()};
  const Fetched<QString> script = SchemaScriptText(name);
  if (!script) return script.failure;
  return RunSqlScript(cnn, *script);
}
