#include "db/Dialect.h"

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/SqliteFunctions.h"
#include "db/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>

namespace {

const QString kSqlite = QStringLiteral("SQLITE");
const QString kPostgres = QStringLiteral("PG_SQL");
const QString kAccess = QStringLiteral("ACCESS");

// A relative SQLite file lies in the application folder.
QString absoluteDataFile(const QString& file) {
  if (file == QLatin1String(":memory:") || QDir::isAbsolutePath(file)) return file;
  return QDir(TheSettings().appPath.isEmpty() ? QDir::currentPath() : TheSettings().appPath).absoluteFilePath(file);
}

QString braced(const QString& value) {
  return QLatin1Char('{') + QString(value).replace(QLatin1String("}"), QLatin1String("}}")) + QLatin1Char('}');
}

}  // namespace

QString OdbcConnectionString(const ConnectionString& cs) {
  const QString provider = cs.value(QStringLiteral("provider"));
  QStringList parts;
  if (provider.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive)) {
    for (const ConnectionString::Part& p : cs.parts()) {
      if (p.key.compare(QLatin1String("provider"), Qt::CaseInsensitive) == 0) continue;
      const bool driver = p.key.compare(QLatin1String("driver"), Qt::CaseInsensitive) == 0;
      parts << p.key + QLatin1Char('=') + (driver ? braced(p.value) : QuoteConnectionValue(p.value));
    }
    return parts.join(QLatin1Char(';'));
  }
  parts << QStringLiteral("DRIVER=") + braced(cs.value(QStringLiteral("driver"), QStringLiteral("ODBC Driver 18 for SQL Server")))
        << QStringLiteral("SERVER=") + QuoteConnectionValue(cs.value(QStringLiteral("data source")))
        << QStringLiteral("DATABASE=") + QuoteConnectionValue(cs.value(QStringLiteral("initial catalog")))
        << QStringLiteral("UID=") + QuoteConnectionValue(cs.value(QStringLiteral("user id")))
        << QStringLiteral("PWD=") + QuoteConnectionValue(cs.value(QStringLiteral("password")))
        << QStringLiteral("TrustServerCertificate=yes");
  return parts.join(QLatin1Char(';'));
}

QString ProviderKey(const QString& provider, const QString& connectionString) {
  if (connectionString.indexOf(QLatin1String("PostgreSQL"), 0, Qt::CaseInsensitive) > 0) return QStringLiteral("POSTGRE");
  return provider.left(7).toUpper();
}

Dialect::Dialect(QString name, QString nowFunc, QString dateQuote)
    : name_(std::move(name)), nowFunc_(std::move(nowFunc)), dateQuote_(std::move(dateQuote)) {}

Dialect::Dialect() : Dialect(QStringLiteral("SQL_DB"), QStringLiteral("getDate()"), QStringLiteral("'")) {}

Dialect Dialect::forKey(const QString& key) {
  if (key == QLatin1String("SQLOLED")) return {QStringLiteral("MS_SQL"), QStringLiteral("getDate()"), QStringLiteral("'")};
  if (key == QLatin1String("MSDAORA")) return {QStringLiteral("ORACLE"), QStringLiteral("SYSDATE"), QStringLiteral("TO_DATE")};
  // The generic ODBC provider is treated as PostgreSQL.
  if (key == QLatin1String("MSDASQL")) return {kPostgres, QStringLiteral("now()"), QStringLiteral("'")};
  if (key == QLatin1String("MICROSO")) return {kAccess, QStringLiteral("now()"), QStringLiteral("#")};
  if (key == QLatin1String("POSTGRE")) return {kPostgres, QStringLiteral("now()"), QStringLiteral("'")};
  // The embedded default; now() is registered on every SQLite connection.
  if (key == QLatin1String("SQLITE")) return {kSqlite, QStringLiteral("now()"), QStringLiteral("'")};
  return {};
}

Fetched<Dialect> Dialect::forConnection(const ConnectionString& cs) {
  const QString provider = cs.value(QStringLiteral("provider"));
  Dialect d;
  if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
    d = forKey(QStringLiteral("SQLITE"));
    d.engine_ = Engine::SQLite;
  } else if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0) {
    d = forKey(QStringLiteral("POSTGRE"));
    d.engine_ = Engine::PostgreSQL;
  } else if (provider.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive) ||
             provider.startsWith(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive)) {
    d = forKey(ProviderKey(provider, cs.text()));
    d.engine_ = Engine::Odbc;
  } else {
    return Failure{QStringLiteral("3706"), QStringLiteral("Provider cannot be found: ") + provider};
  }
  d.readOnly_ = cs.value(QStringLiteral("mode")).compare(QLatin1String("Read"), Qt::CaseInsensitive) == 0;
  return d;
}

QString SqlDateLiteral(const QDateTime& t, const QString& dateQuote) {
  const QString text = t.toString(QString::fromLatin1(kSqliteDateFormat));
  if (dateQuote == QLatin1String("TO_DATE")) {
    return QStringLiteral("TO_DATE('") + text + QStringLiteral("','YYYY/MM/DD HH24:MI:SS')");
  }
  return dateQuote + text + dateQuote;
}

QVariant Dialect::dateValue(const QDateTime& t) const {
  // The text form every dialect reads as a date; SQLite keeps exactly this text.
  return t.toString(QString::fromLatin1(kSqliteDateFormat));
}

QVariant Dialect::dayValue(const QDate& day) const {
  if (!day.isValid()) return dateValue(QDateTime());
  // Written out: a QDateTime looks up the time zone, a system call per value.
  return QString::asprintf("%04d/%02d/%02d 00:00:00", day.year(), day.month(), day.day());
}

QString Dialect::dateRange(const QString& column, const QDate& first, const QDate& last) const {
  return column + QStringLiteral(" >= ") + dateLiteral(QDateTime(first, QTime(0, 0))) + QStringLiteral(" AND ") + column +
         QStringLiteral(" < ") + dateLiteral(QDateTime(last.addDays(1), QTime(0, 0)));
}

QString Dialect::generatedKeyQuery() const {
  if (name_ == kSqlite) return QStringLiteral("SELECT last_insert_rowid()");
  if (name_ == kPostgres) return QStringLiteral("SELECT lastval()");
  // SQL Server and Access: SCOPE_IDENTITY() is NULL in a batch of its own; @@IDENTITY belongs
  // to this session, and the tables have no triggers that insert elsewhere.
  return QStringLiteral("SELECT @@IDENTITY AS 'NewRNo' ");
}

Numbering Dialect::numbering() const {
  if (name_ == kPostgres) return Numbering::Function;
  if (name_ == kSqlite || name_ == kAccess) return Numbering::InProgram;
  return Numbering::Procedure;
}

QString Dialect::numberingQuery() const {
  switch (numbering()) {
    case Numbering::Function:
      // Typed, so that the server picks the function without guessing the bound values' types.
      return QStringLiteral("Select * From getnonext( CAST(? AS VARCHAR), CAST(? AS VARCHAR) )");
    case Numbering::Procedure:
      return QStringLiteral("SET NOCOUNT ON; DECLARE @pNoNext BIGINT, @pNoStr VARCHAR(20); EXEC getNoNext ?, ?, "
                            "@pNoNext OUTPUT, @pNoStr OUTPUT; SELECT @pNoNext AS pNoNext, @pNoStr AS pNoStr");
    case Numbering::InProgram:
      break;
  }
  return {};
}

QString Dialect::schemaScript() const {
  if (name_ == kSqlite) return QStringLiteral("sqlite.sql");
  if (name_ == kPostgres) return QStringLiteral("postgresql.sql");
  return {};
}

bool Dialect::createsSchemaItself() const { return engine_ == Engine::SQLite; }

bool Dialect::keepsPreparedReads() const { return engine_ == Engine::SQLite; }

QString Dialect::tableCountQuery() const {
  if (name_ == kSqlite) return QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(?)");
  // Resolved through the search path, as the program's statements are.
  if (name_ == kPostgres) return QStringLiteral("SELECT COUNT(*) FROM (SELECT to_regclass(?::text) AS t) x WHERE t IS NOT NULL");
  return {};
}

QString Dialect::schemaVersionTable() const { return engine_ == Engine::SQLite ? QString() : QStringLiteral("SchemaVersion"); }

QString Dialect::schemaVersionQuery() const {
  return engine_ == Engine::SQLite ? QStringLiteral("PRAGMA user_version") : QStringLiteral("SELECT MAX(Version) FROM SchemaVersion");
}

QStringList Dialect::schemaVersionStatements(int version) const {
  if (engine_ == Engine::SQLite) return {QStringLiteral("PRAGMA user_version = %1").arg(version)};
  const QString create = name_ == kPostgres
                             ? QStringLiteral("CREATE TABLE IF NOT EXISTS SchemaVersion (Version INTEGER NOT NULL)")
                             : QStringLiteral("IF OBJECT_ID('SchemaVersion') IS NULL CREATE TABLE SchemaVersion (Version INTEGER NOT NULL)");
  return {create, QStringLiteral("DELETE FROM SchemaVersion"),
          QStringLiteral("INSERT INTO SchemaVersion (Version) VALUES (%1)").arg(version)};
}

QString Dialect::embeddedFile(const ConnectionString& cs) const {
  if (engine_ != Engine::SQLite) return {};
  const QString file = cs.value(QStringLiteral("data source"));
  return file.isEmpty() ? QString() : absoluteDataFile(file);
}

QString Dialect::restartRowNumbers(const QString& table) const {
  if (name_ != kPostgres) return {};
  return QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'rno'), COALESCE(MAX(RNo), 0) + 1, false) FROM %2")
      .arg(table.toLower(), table);
}

QString Dialect::copyDatabaseStatement() const { return engine_ == Engine::SQLite ? QStringLiteral("VACUUM INTO ?") : QString(); }

QString Dialect::schemaUpgradeLock() const {
  // SQLite's BEGIN IMMEDIATE holds the write lock already.
  if (engine_ == Engine::SQLite) return {};
  if (name_ == kPostgres) return QStringLiteral("LOCK TABLE Tolva IN SHARE ROW EXCLUSIVE MODE");
  return QStringLiteral("SELECT COUNT(*) FROM Tolva WITH (TABLOCKX, HOLDLOCK)");
}

QString Dialect::createIndexIfMissing(const QString& name, const QString& table, const QString& columns) const {
  if (engine_ == Engine::SQLite || name_ == kPostgres) {
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)").arg(name, table, columns);
  }
  return QStringLiteral("IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = '%1') CREATE INDEX %1 ON %2 (%3)")
      .arg(name, table, columns);
}

QString Dialect::dropIndexIfExists(const QString& name, const QString& table) const {
  if (engine_ == Engine::SQLite || name_ == kPostgres) return QStringLiteral("DROP INDEX IF EXISTS %1").arg(name);
  return QStringLiteral("IF EXISTS (SELECT 1 FROM sys.indexes WHERE name = '%1') DROP INDEX %1 ON %2").arg(name, table);
}

QString Dialect::firstRows(const QString& select, int n) const {
  if (name_ == kSqlite || name_ == kPostgres) return select + QStringLiteral(" LIMIT %1").arg(n);
  if (name_ == QLatin1String("ORACLE")) return select + QStringLiteral(" FETCH FIRST %1 ROWS ONLY").arg(n);
  static const QRegularExpression head(QStringLiteral(R"(^\s*select\b)"), QRegularExpression::CaseInsensitiveOption);
  const auto m = head.match(select);
  if (!m.hasMatch()) return select;
  return QString(select).insert(m.capturedEnd(), QStringLiteral(" TOP %1").arg(n));
}

QString Dialect::adapt(const QString& sql) const { return name_ == kSqlite ? AdaptSqlForSqlite(sql) : sql; }

QString Dialect::beginStatement() const {
  // SQLite takes the write lock at once: two processes that read first and write later would
  // otherwise deadlock on the upgrade instead of waiting for each other.
  return engine_ == Engine::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QString();
}

QString Dialect::driverName() const {
  switch (engine_) {
    case Engine::SQLite: return QStringLiteral("QSQLITE");
    case Engine::PostgreSQL: return QStringLiteral("QPSQL");
    case Engine::Odbc: return QStringLiteral("QODBC");
    case Engine::None: break;
  }
  return {};
}

Done Dialect::configure(QSqlDatabase& db, const ConnectionString& cs, const NewFilePolicy& mayCreate) const {
  switch (engine_) {
    case Engine::SQLite: {
      // Without a file SQLite would work on a private temporary database and lose every row
      // at the end of the run.
      const QString file = cs.value(QStringLiteral("data source"));
      if (file.isEmpty()) return Failure{QStringLiteral("3706"), QStringLiteral("No Data Source given for SQLite")};
      const QString path = absoluteDataFile(file);
      // A mistyped or moved file would otherwise start an empty database whose numbering
      // begins again at 000001.
      if (path != QLatin1String(":memory:") && !QFileInfo::exists(path) &&
          (readOnly_ || !mayCreate || !mayCreate(path))) {
        return Failure{QStringLiteral("3705"), QStringLiteral("Database file not found: ") + path};
      }
      db.setDatabaseName(path);
      db.setConnectOptions(readOnly_ ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000;QSQLITE_OPEN_READONLY")
                                     : QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
      break;
    }
    case Engine::PostgreSQL:
      db.setHostName(cs.value(QStringLiteral("host"), QStringLiteral("127.0.0.1")));
      db.setPort(cs.value(QStringLiteral("port"), QStringLiteral("5432")).toInt());
      db.setDatabaseName(cs.value(QStringLiteral("database")));
      db.setUserName(cs.value(QStringLiteral("user id")));
      db.setPassword(cs.value(QStringLiteral("password")));
      // Backslashes are ordinary characters from the session's start: the driver decides at
      // open how it escapes bound texts, and must see the setting the session will keep.
      db.setConnectOptions(QStringLiteral("connect_timeout=10;options='-c standard_conforming_strings=on'"));
      break;
    case Engine::Odbc:
      db.setDatabaseName(OdbcConnectionString(cs));
      break;
    case Engine::None:
      return Failure{QStringLiteral("3706"), QStringLiteral("Provider cannot be found")};
  }
  return {};
}

Done Dialect::prepareSession(Connection& cnn, const ConnectionString& cs) const {
  if (engine_ == Engine::SQLite) {
    QSqlDatabase db = cnn.database();
    if (!RegisterSqliteFunctions(db)) return Failure{QStringLiteral("-1"), QStringLiteral("No SQLite handle")};
    // A chain's journal is gigabytes: with the 2 MB default every statement reads the upper
    // pages of its indexes from the file again. 64 MB keeps them, and is released on close.
    if (const auto cache = cnn.execute(QStringLiteral("PRAGMA cache_size = -65536")); !cache) return cache.failure;
    // Several processes of one workstation share the file; a read-only connection (the
    // message database) leaves its journal as it is.
    if (!readOnly_) {
      if (const auto wal = cnn.execute(QStringLiteral("PRAGMA journal_mode=WAL")); !wal) return wal.failure;
    }
  }
  if (name_ == kPostgres) {
    // Quoting doubles apostrophes and nothing else: that is only safe while backslashes are
    // ordinary characters, whatever the server's or the role's default says (an ODBC session
    // is switched here; a native one was opened with the setting).
    if (const auto set = cnn.execute(QStringLiteral("SET standard_conforming_strings = on")); !set) return set.failure;
    const auto setting = cnn.scalar(QStringLiteral("SHOW standard_conforming_strings"));
    if (!setting) return setting.failure;
    if (setting->toString() != QLatin1String("on")) {
      return Failure{QStringLiteral("-1"), QStringLiteral("standard_conforming_strings stays ") + setting->toString()};
    }
  }
  const QString searchPath = cs.value(QStringLiteral("search path"));
  if (engine_ == Engine::PostgreSQL && !searchPath.isEmpty()) {
    static const QRegularExpression ident(QStringLiteral("^[A-Za-z_][A-Za-z0-9_, ]*$"));
    if (!ident.match(searchPath).hasMatch()) {
      return Failure{QStringLiteral("-1"), QStringLiteral("Invalid Search Path: ") + searchPath};
    }
    return Done::of(cnn.execute(QStringLiteral("SET search_path TO ") + searchPath));
  }
  return {};
}
