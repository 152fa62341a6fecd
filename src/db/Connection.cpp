#include "db/Connection.h"
#include "db/ConnectionSeam.h"

#include "core/ErrorReport.h"
#include "db/SessionProbe.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QSqlError>
#include <optional>
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

Done Connection::open(const QString& cnt, const NewFilePolicy& mayCreate) {
  close();
  const ConnectionString cs(cnt);
  Done opened = open(cs, mayCreate);
  // A driver may repeat the password in its message.
  if (!opened) opened.failed->description = cs.hidePassword(opened.failure().description);
  return opened;
}

Done Connection::open(const ConnectionString& cs, const NewFilePolicy& mayCreate) {
  const Fetched<Dialect> dialect = Dialect::forConnection(cs);
  if (!dialect) return dialect.failure;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect->driverName(), name_);
    const auto drop = [&] {
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(name_);
    };
    if (const Done configured = dialect->configure(db, cs, mayCreate); !configured) {
      drop();
      return configured;
    }
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open()) {
      const QSqlError error = db.lastError();
      drop();
      return failureOf(error, QString());
    }
  }
  dialect_ = *dialect;
  cnt_ = cs.text();
  // A connection that fails its set-up (a file that is not a database, say) is closed again:
  // it must not look open to the statements that follow.
  const Done prepared = dialect_.prepareSession(*this, cs);
  if (!prepared) close();
  return prepared;
}

void Connection::close() {
  // A session that failed to reopen is closed already, but its string is forgotten here too.
  lost_ = false;
  cnt_.clear();
  if (!QSqlDatabase::contains(name_)) return;
  kept_.clear();  // a statement must not outlive its session
  ++sessions_;
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

Done Connection::resumeSession() {
  // The set-up statements of the new session come through here too.
  if (inTransaction_ || cnt_.isEmpty() || reopening_) return {};
  // The driver reports a session it knows to be gone as closed.
  if (!lost_ && isOpen() && !SessionLost(database())) return {};
  const QString cnt = cnt_;
  reopening_ = true;
  const Done reopened = open(cnt);
  reopening_ = false;
  if (!reopened) {
    // Still unreachable: this statement fails (its caller reports it), and the next one tries
    // again.
    cnt_ = cnt;
    lost_ = true;
    return reopened;
  }
  LogError(ErrorLabel(), QStringLiteral("-1"), QStringLiteral("資料庫連線中斷，已重新連線"));
  return {};
}

void Connection::noteFailure(const QSqlDatabase& db) {
  if (!db.isOpen() || SessionLost(db)) lost_ = true;
}

bool Connection::isOpen() const {
  return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(name_, false); }

Done Connection::requireOpen() const {
  if (isOpen()) return {};
  return Failure{QStringLiteral("3704"), QStringLiteral("Operation is not allowed when the object is closed.")};
}

Failure Connection::failureOf(const QSqlError& error, const QString& sql) {
  QString number = error.nativeErrorCode();
  if (number.isEmpty()) number = QString::number(static_cast<int>(error.type()));
  QString text = error.text().trimmed();
  if (text.isEmpty()) text = QStringLiteral("Database error");
  if (!sql.isEmpty()) text += QStringLiteral(" [SQL: ") + sql + QLatin1Char(']');
  return {number, text};
}

Connection::StatementStats Connection::statementStats() { return g_stats; }

void SetStatementHookForTest(std::function<void(Connection&, const QString&)> hook) {
  g_statementHook = std::move(hook);
}

Done Connection::runHook(const QString& sql) {
  if (!g_statementHook) return {};
  // The hook may run statements of its own; they must not call it again.
  const auto hook = std::exchange(g_statementHook, nullptr);
  struct Restore {
    std::function<void(Connection&, const QString&)> h;
    ~Restore() {
      if (!g_statementHook) g_statementHook = std::move(h);
    }
  } restore{hook};
  // A test's hook fails the statement by throwing.
  try {
    hook(*this, sql);
  } catch (const TolvaError& e) {
    return Failure{e.number(), e.description()};
  }
  return {};
}

Done Connection::checkOwner() const {
  if (inTransaction_ && exclusive_ && !ownerActive_) return busy();
  return {};
}

Failure Connection::busy() { return {QStringLiteral("3000"), QStringLiteral("另一項作業進行中，請稍候再試")}; }

Done Connection::readyFor(const QString& sql) {
  if (Done resumed = resumeSession(); !resumed) return resumed;
  return turnFor(sql);
}

Done Connection::turnFor(const QString& sql) {
  if (Done open = requireOpen(); !open) return open;
  if (Done turn = checkOwner(); !turn) return turn;
  return runHook(sql);
}

Fetched<QSqlQuery> Connection::run(const QString& sql, const QVariantList& values) {
  if (const Done ready = readyFor(sql); !ready) return ready.failure();
  const StatementTimer timer;
  QSqlQuery q(database());
  q.setForwardOnly(true);
  const QString text = dialect_.adapt(sql);
  bool ok = false;
  if (values.isEmpty()) {
    ok = q.exec(text);
  } else if (q.prepare(text)) {
    ok = execWith(q, values);
  }
  if (!ok) return failed(q, sql);
  return q;
}

Fetched<int> Connection::execute(const QString& sql, const QVariantList& values) {
  const Fetched<QSqlQuery> q = run(sql, values);
  if (!q) return q.failure;
  return q->numRowsAffected();
}

Fetched<int> Connection::executeRuns(const QString& sql, const QVariantList& values, int runs) {
  if (runs <= 0) return 0;
  const qsizetype perRun = values.size() / runs;
  if (perRun * runs != values.size()) {
    return Failure{QStringLiteral("-1"), QStringLiteral("Values do not divide into %1 runs [SQL: %2]").arg(runs).arg(sql)};
  }
  int changed = 0;
  std::optional<QSqlQuery> q;
  for (int r = 0; r < runs; ++r) {
    // Only the first run may open a lost session again: the later ones run on the session
    // their statement was prepared on, or fail.
    if (const Done ready = r == 0 ? readyFor(sql) : turnFor(sql); !ready) return ready.failure();
    const StatementTimer timer;
    if (!q) {
      q.emplace(database());
      q->setForwardOnly(true);
      if (!q->prepare(dialect_.adapt(sql))) return failed(*q, sql);
    }
    for (qsizetype i = 0; i < perRun; ++i) q->bindValue(int(i), values[r * perRun + i]);
    if (!q->exec()) return failed(*q, sql);
    changed += q->numRowsAffected();
  }
  return changed;
}

Fetched<QSqlQuery> Connection::query(const QString& sql, const QVariantList& values) { return run(sql, values); }

Fetched<QVariant> Connection::scalar(const QString& sql, const QVariantList& values) {
  Fetched<QSqlQuery> q = run(sql, values);
  if (!q) return q.failure;
  return q->next() ? q->value(0) : QVariant();
}

Fetched<QVariant> Connection::lastInsertId() { return scalar(dialect_.generatedKeyQuery()); }

Done Connection::beginTrans() {
  // Window events run while a card operation polls the reader, so a second operation can start
  // inside the first one's transaction; it must not share (or, on SQLite, break) that one.
  if (inTransaction_) return busy();
  if (Done resumed = resumeSession(); !resumed) return resumed;
  if (Done open = requireOpen(); !open) return open;
  const QString begin = dialect_.beginStatement();
  if (!begin.isEmpty()) {
    if (const Fetched<int> begun = execute(begin); !begun) return begun.failure;
  } else {
    const StatementTimer timer;
    if (!database().transaction()) {
      noteFailure(database());
      return failureOf(database().lastError(), QStringLiteral("BEGIN"));
    }
  }
  inTransaction_ = true;
  HoldErrorBoxes();
  return {};
}

Done Connection::endTransaction(bool commit) {
  const QString statement = commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK");
  if (!dialect_.beginStatement().isEmpty()) return Done::of(execute(statement));
  if (const Done hooked = runHook(statement); !hooked) return hooked;
  const StatementTimer timer;
  QSqlDatabase db = database();
  if (!(commit ? db.commit() : db.rollback())) {
    noteFailure(db);
    return failureOf(db.lastError(), statement);
  }
  return {};
}

Done Connection::commitTrans() {
  if (const Done open = requireOpen(); !open) return open;
  const OwnerScope owner(*this);
  const Done committed = endTransaction(true);
  // A failed COMMIT leaves the transaction open: its owner rolls it back.
  if (!committed) return committed;
  inTransaction_ = false;
  exclusive_ = false;
  ReleaseErrorBoxes();
  return {};
}

Done Connection::rollbackTrans() {
  // A session lost meanwhile (the driver reports it closed) took its transaction with it.
  if (!cnt_.isEmpty() && !isOpen()) lost_ = true;
  if (!lost_) {
    if (const Done open = requireOpen(); !open) return open;
  }
  // The error boxes kept during the transaction are shown once it is over, failed or not.
  struct Release {
    bool held;
    ~Release() { if (held) ReleaseErrorBoxes(); }
  } release{inTransaction_};
  inTransaction_ = false;
  exclusive_ = false;
  // The next statement opens a new session.
  if (lost_) return {};
  const OwnerScope owner(*this);
  return endTransaction(false);
}

TransactionGuard::TransactionGuard(Connection& cnn) : cnn_(cnn), begun_(cnn.beginTrans()), open_(bool(begun_)) {}

TransactionGuard::~TransactionGuard() {
  if (!open_) return;
  if (const Done rolledBack = cnn_.rollbackTrans(); !rolledBack) LogError(ErrorLabel(), rolledBack.failure());
}

Done TransactionGuard::commit() {
  const Done committed = cnn_.commitTrans();
  // A failed commit is rolled back when the guard goes.
  if (committed) open_ = false;
  return committed;
}

Done TransactionGuard::rollback() {
  open_ = false;
  return cnn_.rollbackTrans();
}

Done Connection::forEachRow(const QString& sql, const QVariantList& values,
                            const std::function<void(const QSqlQuery&)>& row) {
  // A "*" names whatever columns the table has when the statement runs, and the driver keeps the
  // row's width from when it was prepared: such a read is prepared anew each time.
  const bool reuse = dialect_.keepsPreparedReads() && !sql.contains(QLatin1Char('*'));
  Fetched<QSqlQuery> q = reuse ? runKept(sql, values) : run(sql, values);
  if (!q) return q.failure;
  const int session = sessions_;
  while (q->next()) row(*q);
  // Not when the session it was prepared on closed while its rows were handed on.
  if (reuse && session == sessions_) keep(sql, std::move(*q));
  return {};
}

Fetched<QSqlQuery> Connection::runKept(const QString& sql, const QVariantList& values) {
  // Taken after the session is ready: opening a lost one again drops what was kept.
  if (const Done ready = readyFor(sql); !ready) return ready.failure();
  const StatementTimer timer;
  const auto kept = kept_.find(sql);
  const bool fresh = kept == kept_.end();
  QSqlQuery q = fresh ? QSqlQuery(database()) : std::move(*kept);
  if (!fresh) {
    kept_.erase(kept);
  } else {
    q.setForwardOnly(true);
    if (!q.prepare(dialect_.adapt(sql))) return failed(q, sql);
  }
  if (!execWith(q, values)) return failed(q, sql);
  return q;
}

bool Connection::execWith(QSqlQuery& q, const QVariantList& values) {
  for (qsizetype i = 0; i < values.size(); ++i) q.bindValue(int(i), values[i]);
  return q.exec();
}

Failure Connection::failed(const QSqlQuery& q, const QString& sql) {
  noteFailure(database());
  return failureOf(q.lastError(), sql);
}

void Connection::keep(const QString& sql, QSqlQuery q) {
  // Reset, so that the kept statement holds no snapshot of the database open.
  q.finish();
  // Few texts are read again and again; a program that reads many others starts afresh.
  if (kept_.size() >= 32) kept_.clear();
  kept_.emplace(sql, std::move(q));
}

Done ForEachRow(Connection& cnn, const QString& sql, const QVariantList& values,
                const std::function<void(const QSqlQuery&)>& row) {
  return cnn.forEachRow(sql, values, row);
}

Connection& gCnn() {
  // Never destroyed: the connection outlives every window and is closed by the program's end.
  static Connection* cnn = new Connection;
  return *cnn;
}
