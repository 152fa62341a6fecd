#include "db/SqliteFunctions.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace {

QString argText(sqlite3_value* v) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return text ? QString::fromUtf8(text) : QString();
}

void resultText(sqlite3_context* ctx, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  sqlite3_result_text(ctx, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

// Len(text): length in characters; NULL stays NULL.
void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, static_cast<int>(argText(argv[0]).size()));
}

// left(text, n): the first n characters.
void fnLeft(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  resultText(ctx, argText(argv[0]).left(std::max(0, sqlite3_value_int(argv[1]))));
}

// right(text, n): the last n characters.
void fnRight(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  resultText(ctx, argText(argv[0]).right(std::max(0, sqlite3_value_int(argv[1]))));
}

// now(): the current local time in the stored date form.
void fnNow(sqlite3_context* ctx, int, sqlite3_value**) {
  resultText(ctx, Now().toString(QString::fromLatin1(kSqliteDateFormat)));
}

}  // namespace

bool RegisterSqliteFunctions(QSqlDatabase& db) {
  const QVariant handle = db.driver()->handle();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return false;
  sqlite3* h = *static_cast<sqlite3* const*>(handle.constData());
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  sqlite3_create_function(h, "Len", 1, flags, nullptr, fnLen, nullptr, nullptr);
  sqlite3_create_function(h, "tolva_left", 2, flags, nullptr, fnLeft, nullptr, nullptr);
  sqlite3_create_function(h, "tolva_right", 2, flags, nullptr, fnRight, nullptr, nullptr);
  sqlite3_create_function(h, "now", 0, SQLITE_UTF8, nullptr, fnNow, nullptr, nullptr);
  return true;
}

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

struct Word {
  qsizetype start = -1;
  qsizetype size = 0;
};

// The word before the parenthesis at `paren`, blanks between allowed, when it is LEFT or RIGHT.
Word leftOrRightBefore(const QString& sql, qsizetype paren) {
  qsizetype end = paren;
  while (end > 0 && sql[end - 1].isSpace()) --end;
  qsizetype start = end;
  while (start > 0 && isWordChar(sql[start - 1])) --start;
  const QStringView word = QStringView(sql).sliced(start, end - start);
  const bool call = word.compare(u"left", Qt::CaseInsensitive) == 0 || word.compare(u"right", Qt::CaseInsensitive) == 0;
  return call ? Word{start, word.size()} : Word{};
}

}  // namespace

QString AdaptSqlForSqlite(const QString& sql) {
  // Every statement passes here: the text is copied only when a call is renamed.
  QString out;
  qsizetype copied = 0;
  bool inLiteral = false;
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (c == QLatin1Char('\'')) inLiteral = !inLiteral;
    if (inLiteral || c != QLatin1Char('(')) continue;
    const Word call = leftOrRightBefore(sql, i);
    if (call.start < 0) continue;
    out += QStringView(sql).sliced(copied, call.start - copied);
    out += QStringLiteral("tolva_") + QStringView(sql).sliced(call.start, call.size).toString().toLower() + QLatin1Char('(');
    copied = i + 1;
  }
  if (copied == 0) return sql;
  out += QStringView(sql).sliced(copied);
  return out;
}
