#include "db/SqliteCopy.h"

#include "db/ConnectionString.h"
#include "db/Dialect.h"
#include "db/SchemaUpgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <sqlite3.h>

namespace {

Failure sqliteFailure(sqlite3* db, const QString& what) {
  return {QString::number(db ? sqlite3_errcode(db) : SQLITE_CANTOPEN),
          what + QStringLiteral(": ") + QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open")};
}

// One open SQLite file, closed when it goes.
class RawFile {
public:
  RawFile(const QString& path, int flags) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr) == SQLITE_OK) {
      sqlite3_busy_timeout(db_, 15000);
    } else {
      failure_ = sqliteFailure(db_, path);
    }
  }
  ~RawFile() { sqlite3_close(db_); }
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;

  sqlite3* handle() const { return db_; }
  const std::optional<Failure>& failed() const { return failure_; }

  Done exec(const char* sql) const {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return {};
    return sqliteFailure(db_, QString::fromUtf8(sql));
  }

  // The first column of each row of a query.
  Fetched<QStringList> column(const QString& sql) const {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) return sqliteFailure(db_, sql);
    QStringList values;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return sqliteFailure(db_, sql);
    return values;
  }

  Fetched<QList<TableRows>> counts() const {
    const Fetched<QStringList> tables =
        column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    if (!tables) return tables.failure;
    QList<TableRows> out;
    for (const QString& t : *tables) {
      const Fetched<QStringList> n = column(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(t));
      if (!n) return n.failure;
      out << TableRows{t, n->value(0).toLongLong()};
    }
    return out;
  }

private:
  sqlite3* db_ = nullptr;
  std::optional<Failure> failure_;
};

bool sameCounts(const QList<TableRows>& a, const QList<TableRows>& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (a[i].table != b[i].table || a[i].rows != b[i].rows) return false;
  }
  return true;
}

// Pages copied at a time between reports of progress.
constexpr int kPagesPerStep = 256;

// Every page of `in` written into `out`, in one write transaction on `out`: a failure leaves
// `out` as it was.
Done copyPages(const RawFile& in, const RawFile& out, const QString& target, const CopyProgress& progress) {
  sqlite3_backup* backup = sqlite3_backup_init(out.handle(), "main", in.handle(), "main");
  if (!backup) return sqliteFailure(out.handle(), target);
  int rc = SQLITE_OK;
  while ((rc = sqlite3_backup_step(backup, kPagesPerStep)) == SQLITE_OK) {
    const int total = sqlite3_backup_pagecount(backup);
    if (progress) progress(total - sqlite3_backup_remaining(backup), total);
  }
  if (progress && rc == SQLITE_DONE) progress(sqlite3_backup_pagecount(backup), sqlite3_backup_pagecount(backup));
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) return sqliteFailure(out.handle(), target);
  return {};
}

// The pages of `source`'s open read transaction, written into the new file `target`.
Done copyPagesToNewFile(const RawFile& source, const QString& target, const CopyProgress& progress) {
  const RawFile out(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  if (out.failed()) return *out.failed();
  if (const Done copied = copyPages(source, out, target, progress); !copied) return copied;
  // One file, with no journal beside it to lose when it is moved; the program switches it back
  // when it opens it.
  return out.exec("PRAGMA journal_mode=DELETE");
}

}  // namespace

Fetched<QList<TableRows>> CheckSqliteFile(const QString& file) {
  if (!QFileInfo::exists(file)) return Failure{QStringLiteral("53"), QStringLiteral("檔案不存在: ") + file};
  const RawFile db(file, SQLITE_OPEN_READONLY);
  if (db.failed()) return *db.failed();
  const Fetched<QStringList> check = db.column(QStringLiteral("PRAGMA integrity_check"));
  if (!check) return check.failure;
  if (check->value(0) != QLatin1String("ok")) {
    return Failure{QStringLiteral("11"), QStringLiteral("資料庫檔案損毀: ") + check->join(QStringLiteral("; "))};
  }
  const Fetched<QList<TableRows>> counts = db.counts();
  if (!counts) return counts;
  const bool hasCards = std::any_of(counts->begin(), counts->end(), [](const TableRows& t) { return t.table == QLatin1String("Tolva"); });
  if (!hasCards) return Failure{QStringLiteral("-1"), QStringLiteral("不是本系統的資料庫: ") + file};
  return counts;
}

Fetched<QList<TableRows>> CopySqliteFile(const QString& source, const QString& target, const CopyProgress& progress) {
  if (QFileInfo::exists(target)) return Failure{QStringLiteral("58"), QStringLiteral("備份檔已存在: ") + target};
  const QString part = target + QStringLiteral(".part");
  QFile::remove(part);
  Fetched<QList<TableRows>> counted = Failure{};
  {
    const RawFile in(source, SQLITE_OPEN_READONLY);
    if (in.failed()) return *in.failed();
    // One read transaction: the counts and the pages copied are the same moment of the file.
    if (const Done begun = in.exec("BEGIN"); !begun) return begun.failure();
    counted = in.counts();
    const Done copied = counted ? copyPagesToNewFile(in, part, progress) : Done(counted.failure);
    (void)in.exec("COMMIT");
    if (!copied) {
      QFile::remove(part);
      return copied.failure();
    }
  }
  const Fetched<QList<TableRows>> check = CheckSqliteFile(part);
  if (check && !sameCounts(*check, *counted)) {
    QFile::remove(part);
    return Failure{QStringLiteral("-1"), QStringLiteral("備份檔的筆數與資料庫不符")};
  }
  if (!check || !QFile::rename(part, target)) {
    QFile::remove(part);
    return check ? Failure{QStringLiteral("58"), QStringLiteral("無法寫入備份檔: ") + target} : check.failure;
  }
  return check;
}

Fetched<QList<TableRows>> RestoreSqliteFile(const QString& source, const QString& target, const QString& aside,
                                            const CopyProgress& progress) {
  const Fetched<QList<TableRows>> checked = CheckSqliteFile(source);
  if (!checked) return checked;
  const RawFile in(source, SQLITE_OPEN_READONLY);
  if (in.failed()) return *in.failed();
  const Fetched<QStringList> version = in.column(QStringLiteral("PRAGMA user_version"));
  if (!version) return version.failure;
  if (const int v = version->value(0).toInt(); v > kSchemaVersion) return Failure{QStringLiteral("-1"), NewerSchemaText(v)};
  const Fetched<QList<TableRows>> kept = CopySqliteFile(target, aside);
  if (!kept) return kept;
  const RawFile out(target, SQLITE_OPEN_READWRITE);
  if (out.failed()) return *out.failed();
  sqlite3_busy_timeout(out.handle(), 60000);
  if (const Done copied = copyPages(in, out, target, progress); !copied) return copied.failure();
  return checked;
}

QString SqliteFileOf(const QString& connectionString) {
  const ConnectionString cs(connectionString);
  const Fetched<Dialect> dialect = Dialect::forConnection(cs);
  return dialect ? dialect->embeddedFile(cs) : QString();
}
