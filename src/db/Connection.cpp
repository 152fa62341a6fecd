#include "db/Connection.h"
#include "db/ConnectionSeam.h"

#include "core/ErrorReport.h"
#include "db/SessionProbe.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QSqlError>
#include <utility>

namespace {

QAtomicInt g_serial;
std::function<void(Connection&, const QString&)> g_statementHook;
Connection::StatementStats g_stats;

// Adds one statement's running time to the process's statistics.
struct StatementTimer {
  QElapsedTimer t;
  StatementTimer() { t.start(); }
  ~StatementTimer() {
    ++g_stats.statements;
    g_stats.nanoseconds += t.nsecsElapsed();
  }
};

}  // namespace

Connection::Connection() : name_(QStringLiteral("tolva-%1").arg(g_serial.fetchAndAddRelaxed(1))) {}

Connection::~Connection() { close(); }

void Connection::open(const QString& cnt, const NewFilePolicy& mayCreate) {
  close();
  const ConnectionString cs(cnt);
  try {
    open(cs, mayCreate);
  } catch (const TolvaError& e) {
    // A driver may repeat the password in its message.
    throw TolvaError(e.number(), cs.hidePassword(e.description()));
  }
}

void Connection::open(const ConnectionString& cs, const NewFilePolicy& mayCreate) {
  const Dialect dialect = Dialect::forConnection(cs);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driverName(), name_);
    try {
      dialect.configure(db, cs, mayCreate);
    } catch (...) {
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(name_);
      throw;
    }
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open()) {
      const QSqlError error = db.lastError();
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(name_);
      raise(error, QString());
    }
  }
  dialect_ = dialect;
  cnt_ = cs.text();
  // A connection that fails its set-up (a file that is not a database, say) is closed again:
  // it must not look open to the statements that follow.
  try {
    dialect_.prepareSession(*this, cs);
  } catch (...) {
    close();
    throw;
  }
}

void Connection::close() {
  // A session that failed to reopen is closed already, but its string is forgotten here too.
  lost_ = false;
  cnt_.clear();
  if (!QSqlDatabase::contains(name_)) return;
  {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (db.isOpen()) {
      if (inTransaction_) db.rollback();
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(name_);
  dialect_ = Dialect();
  if (inTransaction_) ReleaseErrorBoxes();
  inTransaction_ = false;
  exclusive_ = false;
}

void Connection::resumeSession() {
  // The set-up statements of the new session come through here too.
  if (inTransaction_ || cnt_.isEmpty() || reopening_) return;
  // The driver reports a session it knows to be gone as closed.
  if (!lost_ && isOpen() && !SessionLost(database())) return;
  const QString cnt = cnt_;
  reopening_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{reopening_};
  try {
    open(cnt);
  } catch (...) {
    // Still unreachable: this statement fails (its caller reports it), and the next one tries
    // again.
    cnt_ = cnt;
    lost_ = true;
    throw;
  }
  LogError(ErrorLabel(), QStringLiteral("-1"), QStringLiteral("資料庫連線中斷，已重新連線"));
}

void Connection::noteFailure(const QSqlDatabase& db) {
  if (!db.isOpen() || SessionLost(db)) lost_ = true;
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

Connection::StatementStats Connection::statementStats() { return g_stats; }

void SetStatementHookForTest(std::function<void(Connection&, const QString&)> hook) {
  g_statementHook = std::move(hook);
}

void Connection::runHook(const QString& sql) {
  if (!g_statementHook) return;
  // The hook may run statements of its own; they must not call it again.
  const auto hook = std::exchange(g_statementHook, nullptr);
  struct Restore {
    std::function<void(Connection&, const QString&)> h;
    ~Restore() {
      if (!g_statementHook) g_statementHook = std::move(h);
    }
  } restore{hook};
  hook(*this, sql);
}

void Connection::checkOwner() const {
  if (inTransaction_ && exclusive_ && !ownerActive_) {
    throw TolvaError(QStringLiteral("3000"), QStringLiteral("另一項作業進行中，請稍候再試"));
  }
}

QSqlQuery Connection::run(const QString& sql, const QVariantList& values) {
  resumeSession();
  requireOpen();
  checkOwner();
  runHook(sql);
  const StatementTimer timer;
  QSqlQuery q(database());
  q.setForwardOnly(true);
  const QString text = dialect_.adapt(sql);
  bool ok = false;
  if (values.isEmpty()) {
    ok = q.exec(text);
  } else if (q.prepare(text)) {
    for (const QVariant& v : values) q.addBindValue(v);
    ok = q.exec();
  }
  if (!ok) {
    noteFailure(database());
    raise(q.lastError(), sql);
  }
  return q;
}

int Connection::execute(const QString& sql) { return run(sql, {}).numRowsAffected(); }

int Connection::execute(const QString& sql, const QVariantList& values) { return run(sql, values).numRowsAffected(); }

QSqlQuery Connection::query(const QString& sql) { return run(sql, {}); }

QSqlQuery Connection::query(const QString& sql, const QVariantList& values) { return run(sql, values); }

QVariant Connection::scalar(const QString& sql) { return scalar(sql, {}); }

QVariant Connection::scalar(const QString& sql, const QVariantList& values) {
  QSqlQuery q = run(sql, values);
  return q.next() ? q.value(0) : QVariant();
}

QVariant Connection::lastInsertId() { return scalar(dialect_.generatedKeyQuery()); }

void Connection::beginTrans() {
  resumeSession();
  requireOpen();
  // Window events run while a card operation polls the reader, so a second operation can start
  // inside the first one's transaction; it must not share (or, on SQLite, break) that one.
  if (inTransaction_) {
    throw TolvaError(QStringLiteral("3000"), QStringLiteral("另一項作業進行中，請稍候再試"));
  }
  const QString begin = dialect_.beginStatement();
  if (!begin.isEmpty()) {
    execute(begin);
  } else {
    const StatementTimer timer;
    if (!database().transaction()) {
      noteFailure(database());
      raise(database().lastError(), QStringLiteral("BEGIN"));
    }
  }
  inTransaction_ = true;
  HoldErrorBoxes();
}

void Connection::endTransaction(bool commit) {
  const QString statement = commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK");
  if (!dialect_.beginStatement().isEmpty()) {
    execute(statement);
    return;
  }
  runHook(statement);
  const StatementTimer timer;
  QSqlDatabase db = database();
  if (!(commit ? db.commit() : db.rollback())) {
    noteFailure(db);
    raise(db.lastError(), statement);
  }
}

void Connection::commitTrans() {
  requireOpen();
  const OwnerScope owner(*this);
  endTransaction(true);
  inTransaction_ = false;
  exclusive_ = false;
  ReleaseErrorBoxes();
}

void Connection::rollbackTrans() {
  // A session lost meanwhile (the driver reports it closed) took its transaction with it.
  if (!cnt_.isEmpty() && !isOpen()) lost_ = true;
  if (!lost_) requireOpen();
  // The error boxes kept during the transaction are shown once it is over, failed or not.
  struct Release {
    bool held;
    ~Release() { if (held) ReleaseErrorBoxes(); }
  } release{inTransaction_};
  inTransaction_ = false;
  exclusive_ = false;
  // The next statement opens a new session.
  if (lost_) return;
  endTransaction(false);
}

TransactionGuard::TransactionGuard(Connection& cnn) : cnn_(cnn) { cnn_.beginTrans(); }

TransactionGuard::~TransactionGuard() {
  if (!open_) return;
  try {
    cnn_.rollbackTrans();
  } catch (...) {
    LogError(ErrorLabel());
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
