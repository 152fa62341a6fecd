#include "db/Connection.h"

#include "app/ErrorReport.h"
#include "app/globals.h"
#include "db/SqliteFunctions.h"

#include <QAtomicInt>
#include <QDir>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

namespace {

QAtomicInt g_serial;

QString absoluteDataFile(const QString& file) {
  if (file.isEmpty() || file == QLatin1String(":memory:") || QDir::isAbsolutePath(file)) return file;
  return QDir(gAppPath.isEmpty() ? QDir::currentPath() : gAppPath).absoluteFilePath(file);
}

QString odbcString(const QMap<QString, QString>& kv, const QString& provider) {
  if (provider.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive)) {
    QStringList parts;
    for (auto it = kv.begin(); it != kv.end(); ++it) {
      if (it.key() != QLatin1String("provider")) parts << it.key() + QLatin1Char('=') + it.value();
    }
    return parts.join(QLatin1Char(';'));
  }
  // SQL Server through its ODBC driver.
  return QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};SERVER=%1;DATABASE=%2;UID=%3;PWD=%4;TrustServerCertificate=yes")
      .arg(kv.value(QStringLiteral("data source")), kv.value(QStringLiteral("initial catalog")),
           kv.value(QStringLiteral("user id")), kv.value(QStringLiteral("password")));
}

}  // namespace

QMap<QString, QString> ParseConnectionString(const QString& cnt) {
  QMap<QString, QString> kv;
  for (const QString& part : cnt.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const qsizetype eq = part.indexOf(QLatin1Char('='));
    if (eq <= 0) continue;
    kv.insert(part.left(eq).trimmed().toLower(), part.mid(eq + 1).trimmed());
  }
  return kv;
}

QString MaskPassword(const QString& cnt) {
  static const QRegularExpression re(QStringLiteral(R"(((?:^|;)\s*(?:password|pwd)\s*=)[^;]*)"),
                                     QRegularExpression::CaseInsensitiveOption);
  QString out = cnt;
  out.replace(re, QStringLiteral("\\1****"));
  return out;
}

Connection::Connection() : name_(QStringLiteral("tolva-%1").arg(g_serial.fetchAndAddRelaxed(1))) {}

Connection::~Connection() { close(); }

void Connection::open(const QString& cnt) {
  close();
  const auto kv = ParseConnectionString(cnt);
  const QString provider = kv.value(QStringLiteral("provider"));
  QString driver;
  if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) driver = QStringLiteral("QSQLITE");
  else if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0) driver = QStringLiteral("QPSQL");
  else if (provider.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive) ||
           provider.startsWith(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive)) driver = QStringLiteral("QODBC");
  else throw TolvaError(QStringLiteral("3706"), QStringLiteral("Provider cannot be found: ") + provider);
  // Without a file SQLite would work on a private temporary database and lose every row at
  // the end of the run.
  if (driver == QLatin1String("QSQLITE") && kv.value(QStringLiteral("data source")).isEmpty()) {
    throw TolvaError(QStringLiteral("3706"), QStringLiteral("No Data Source given for SQLite"));
  }

  QSqlDatabase db = QSqlDatabase::addDatabase(driver, name_);
  if (driver == QLatin1String("QSQLITE")) {
    db.setDatabaseName(absoluteDataFile(kv.value(QStringLiteral("data source"))));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
  } else if (driver == QLatin1String("QPSQL")) {
    db.setHostName(kv.value(QStringLiteral("host"), QStringLiteral("127.0.0.1")));
    db.setPort(kv.value(QStringLiteral("port"), QStringLiteral("5432")).toInt());
    db.setDatabaseName(kv.value(QStringLiteral("database")));
    db.setUserName(kv.value(QStringLiteral("user id")));
    db.setPassword(kv.value(QStringLiteral("password")));
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
  } else {
    db.setDatabaseName(odbcString(kv, provider));
  }
  db.setNumericalPrecisionPolicy(QSql::HighPrecision);
  if (!db.open()) {
    const QSqlError error = db.lastError();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
    raise(error, QString());
  }
  provider_ = provider;
  cnt_ = cnt;
  // A connection that fails its set-up (a file that is not a database, say) is closed again:
  // it must not look open to the statements that follow.
  try {
    if (driver == QLatin1String("QSQLITE")) {
      RegisterSqliteFunctions(db);
      execute(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    const QString searchPath = kv.value(QStringLiteral("search path"));
    if (driver == QLatin1String("QPSQL") && !searchPath.isEmpty()) {
      static const QRegularExpression ident(QStringLiteral("^[A-Za-z_][A-Za-z0-9_, ]*$"));
      if (!ident.match(searchPath).hasMatch()) {
        throw TolvaError(QStringLiteral("-1"), QStringLiteral("Invalid Search Path: ") + searchPath);
      }
      execute(QStringLiteral("SET search_path TO ") + searchPath);
    }
  } catch (...) {
    db = QSqlDatabase();
    close();
    throw;
  }
}

void Connection::close() {
  if (provider_.isEmpty() && !QSqlDatabase::contains(name_)) return;
  {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (db.isOpen()) {
      if (inTransaction_) db.rollback();
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(name_);
  provider_.clear();
  cnt_.clear();
  if (inTransaction_) ReleaseErrorBoxes();
  inTransaction_ = false;
}

bool Connection::isOpen() const {
  return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(name_, false); }

void Connection::requireOpen() const {
  if (!isOpen()) {
    throw TolvaError(QStringLiteral("3704"), QStringLiteral("Operation is not allowed when the object is closed."));
  }
}

void Connection::raise(const QSqlError& error, const QString& sql) const {
  QString number = error.nativeErrorCode();
  if (number.isEmpty()) number = QString::number(static_cast<int>(error.type()));
  QString text = error.text().trimmed();
  if (text.isEmpty()) text = QStringLiteral("Database error");
  if (!sql.isEmpty()) text += QStringLiteral(" [SQL: ") + sql + QLatin1Char(']');
  throw TolvaError(number, text);
}

QString Connection::adapt(const QString& sql) const {
  return provider_.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0 ? AdaptSqlForSqlite(sql) : sql;
}

int Connection::execute(const QString& sql) {
  requireOpen();
  QSqlQuery q(database());
  if (!q.exec(adapt(sql))) raise(q.lastError(), sql);
  return q.numRowsAffected();
}

QSqlQuery Connection::query(const QString& sql) {
  requireOpen();
  QSqlQuery q(database());
  q.setForwardOnly(true);
  if (!q.exec(adapt(sql))) raise(q.lastError(), sql);
  return q;
}

QVariant Connection::scalar(const QString& sql) {
  QSqlQuery q = query(sql);
  return q.next() ? q.value(0) : QVariant();
}

QString GeneratedKeyQuery(const QString& provider) {
  const QString p = provider.trimmed().toLower();
  if (p == QLatin1String("sqlite")) return QStringLiteral("SELECT last_insert_rowid()");
  // The generic ODBC provider is treated as PostgreSQL throughout.
  if (p == QLatin1String("postgresql") || p.startsWith(QLatin1String("msdasql"))) return QStringLiteral("SELECT lastval()");
  // SQL Server: SCOPE_IDENTITY() is NULL in a batch of its own; @@IDENTITY belongs to this
  // session, and the tables have no triggers that insert elsewhere.
  return QStringLiteral("SELECT @@IDENTITY AS 'NewRNo' ");
}

QVariant Connection::lastInsertId() { return scalar(GeneratedKeyQuery(provider_)); }

void Connection::beginTrans() {
  requireOpen();
  // Window events run while a card operation polls the reader, so a second operation can start
  // inside the first one's transaction; it must not share (or, on SQLite, break) that one.
  if (inTransaction_) {
    throw TolvaError(QStringLiteral("3000"), QStringLiteral("另一項作業進行中，請稍候再試"));
  }
  if (provider_.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
    // Take the write lock at once: two workstations that read first and write later would
    // otherwise deadlock on the upgrade instead of waiting for each other.
    execute(QStringLiteral("BEGIN IMMEDIATE"));
  } else if (!database().transaction()) {
    raise(database().lastError(), QStringLiteral("BEGIN"));
  }
  inTransaction_ = true;
  HoldErrorBoxes();
}

void Connection::commitTrans() {
  requireOpen();
  if (provider_.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) execute(QStringLiteral("COMMIT"));
  else if (!database().commit()) raise(database().lastError(), QStringLiteral("COMMIT"));
  inTransaction_ = false;
  ReleaseErrorBoxes();
}

void Connection::rollbackTrans() {
  requireOpen();
  // The error boxes kept during the transaction are shown once it is over, failed or not.
  struct Release {
    bool held;
    ~Release() { if (held) ReleaseErrorBoxes(); }
  } release{inTransaction_};
  inTransaction_ = false;
  if (provider_.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) execute(QStringLiteral("ROLLBACK"));
  else if (!database().rollback()) raise(database().lastError(), QStringLiteral("ROLLBACK"));
}

TransactionGuard::TransactionGuard(Connection& cnn) : cnn_(cnn) { cnn_.beginTrans(); }

TransactionGuard::~TransactionGuard() {
  if (!open_) return;
  try {
    cnn_.rollbackTrans();
  } catch (...) {
    LogError(QStringLiteral("TransactionGuard"));
  }
}

void TransactionGuard::commit() {
  cnn_.commitTrans();
  open_ = false;
}

void TransactionGuard::rollback() {
  open_ = false;
  cnn_.rollbackTrans();
}

Connection& gCnn() {
  // Never destroyed: the connection outlives every window and is closed by the program's end.
  static Connection* cnn = new Connection;
  return *cnn;
}
