#include "BulkLoad.h"

#include "db/Connection.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <cstdio>

namespace {

Failure failure(const QString& what) { return Failure{QStringLiteral("0"), what}; }

// "yyyy/MM/dd hh:mm:ss" (SQLite's stored form) or "yyyy-MM-dd hh:mm:ss" (PostgreSQL's input).
int writeWhen(char* out, const Cell& c, char sep) {
  return std::snprintf(out, 24, "%04d%c%02d%c%02d %02d:%02d:%02d", c.day.year(), sep, c.day.month(), sep, c.day.day(),
                       c.seconds / 3600, c.seconds / 60 % 60, c.seconds % 60);
}

// `type`: the handle's type name, which one Qt build spells "PGconn*" and another "pg_conn*".
template <typename Handle>
Handle* driverHandle(Connection& cnn, const char* type, const char* alias = "") {
  const QVariant h = cnn.database().driver()->handle();
  if (!h.isValid() || (qstrcmp(h.typeName(), type) != 0 && qstrcmp(h.typeName(), alias) != 0)) return nullptr;
  return *static_cast<Handle* const*>(h.constData());
}

class SqliteLoad final : public TableLoad {
public:
  SqliteLoad(sqlite3* db, int width) : db_(db), width_(width) {}
  ~SqliteLoad() override { sqlite3_finalize(stmt_); }
  Done prepare(const QString& sql) {
    if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &stmt_, nullptr) != SQLITE_OK) return error();
    return {};
  }
  Done add(const Cell* cells) override {
    char when[32];
    for (int i = 0; i < width_; ++i) {
      const Cell& c = cells[i];
      switch (c.kind) {
        case Cell::Kind::Null: sqlite3_bind_null(stmt_, i + 1); break;
        case Cell::Kind::Number: sqlite3_bind_int64(stmt_, i + 1, c.number); break;
        case Cell::Kind::Text: sqlite3_bind_text(stmt_, i + 1, c.text.data(), int(c.text.size()), SQLITE_STATIC); break;
        case Cell::Kind::When: sqlite3_bind_text(stmt_, i + 1, when, writeWhen(when, c, '/'), SQLITE_TRANSIENT); break;
      }
    }
    const int rc = sqlite3_step(stmt_);
    sqlite3_reset(stmt_);
    if (rc != SQLITE_DONE) return error();
    return {};
  }
  Done finish() override { return {}; }

private:
  Done error() const { return failure(QString::fromUtf8(sqlite3_errmsg(db_))); }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  int width_;
};

class CopyLoad final : public TableLoad {
public:
  CopyLoad(PGconn* pg, int width) : pg_(pg), width_(width) { buffer_.reserve(kChunk + 4096); }
  Done begin(const QString& sql) {
    PGresult* r = PQexec(pg_, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COPY_IN;
    PQclear(r);
    if (!ok) return error();
    return {};
  }
  Done add(const Cell* cells) override {
    char when[32];
    for (int i = 0; i < width_; ++i) {
      if (i) buffer_ += '\t';
      const Cell& c = cells[i];
      switch (c.kind) {
        case Cell::Kind::Null: buffer_ += "\\N"; break;
        case Cell::Kind::Number: buffer_ += QByteArray::number(c.number); break;
        case Cell::Kind::Text: appendEscaped(c.text); break;
        case Cell::Kind::When: buffer_.append(when, writeWhen(when, c, '-')); break;
      }
    }
    buffer_ += '\n';
    return buffer_.size() >= kChunk ? send() : Done{};
  }
  Done finish() override {
    if (const Done sent = send(); !sent) return sent;
    if (PQputCopyEnd(pg_, nullptr) != 1) return error();
    bool ok = true;
    while (PGresult* r = PQgetResult(pg_)) {
      ok = ok && PQresultStatus(r) == PGRES_COMMAND_OK;
      PQclear(r);
    }
    if (!ok) return error();
    return {};
  }

private:
  static constexpr qsizetype kChunk = 1 << 20;
  void appendEscaped(std::string_view t) {
    for (const char ch : t) {
      if (ch == '\\' || ch == '\t' || ch == '\n' || ch == '\r') buffer_ += '\\';
      buffer_ += ch == '\t' ? 't' : ch == '\n' ? 'n' : ch == '\r' ? 'r' : ch;
    }
  }
  Done send() {
    if (buffer_.isEmpty()) return {};
    if (PQputCopyData(pg_, buffer_.constData(), int(buffer_.size())) != 1) return error();
    buffer_.clear();
    return {};
  }
  Done error() const { return failure(QString::fromUtf8(PQerrorMessage(pg_))); }
  PGconn* pg_;
  int width_;
  QByteArray buffer_;
};

bool isPostgres(const Connection& cnn) { return cnn.dialect().name() == QLatin1String("PG_SQL"); }

}  // namespace

Fetched<std::unique_ptr<TableLoad>> StartLoad(Connection& cnn, const QString& table, const QStringList& columns) {
  const QString list = columns.join(QStringLiteral(", "));
  if (isPostgres(cnn)) {
    PGconn* pg = driverHandle<PGconn>(cnn, "PGconn*", "pg_conn*");
    if (!pg) return failure(QStringLiteral("no PostgreSQL connection"));
    auto load = std::make_unique<CopyLoad>(pg, int(columns.size()));
    if (const Done begun = load->begin(QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, list)); !begun) return begun.failure();
    return std::unique_ptr<TableLoad>(std::move(load));
  }
  sqlite3* db = driverHandle<sqlite3>(cnn, "sqlite3*");
  if (!db) return failure(QStringLiteral("neither an SQLite nor a PostgreSQL connection"));
  auto load = std::make_unique<SqliteLoad>(db, int(columns.size()));
  const QString marks = QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "));
  if (const Done made = load->prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, list, marks)); !made)
    return made.failure();
  return std::unique_ptr<TableLoad>(std::move(load));
}

Fetched<QStringList> DropIndexes(Connection& cnn, const QStringList& tables, const QStringList& kept) {
  // Unique indexes stay: they back keys the load must still keep.
  const QString sql = isPostgres(cnn)
                          ? QStringLiteral("SELECT indexname, indexdef FROM pg_indexes WHERE schemaname = current_schema() "
                                           "AND lower(tablename) = lower(?) AND indexdef NOT LIKE 'CREATE UNIQUE%'")
                          : QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? "
                                           "AND sql IS NOT NULL AND sql NOT LIKE 'CREATE UNIQUE%'");
  QStringList names, remake;
  for (const QString& table : tables) {
    const Done read = ForEachRow(cnn, sql, {table}, [&](const QSqlQuery& q) {
      if (kept.contains(q.value(0).toString(), Qt::CaseInsensitive)) return;
      names << q.value(0).toString();
      remake << q.value(1).toString();
    });
    if (!read) return read.failure();
  }
  for (const QString& name : names) {
    if (const Fetched<int> gone = cnn.execute(QStringLiteral("DROP INDEX ") + name); !gone) return gone.failure;
  }
  return remake;
}

Done RunAll(Connection& cnn, const QStringList& statements) {
  for (const QString& s : statements) {
    if (const Fetched<int> done = cnn.execute(s); !done) return done.failure;
  }
  return {};
}
