// Issuing a run of cards with the simulated reader, which answers at once: the database work of
// each card (its statements and the time spent running them) and the whole time per card.
//
//   bench_issue sqlite | postgres
#include "BenchSupport.h"

#include "core/Settings.h"
#include "device/SimulatorFiles.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "windows/issue/IssueWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMap>
#include <cstdio>

namespace {

constexpr int kCards = 200;

SimReader Reader() { return SimReader(SimReader::folderFor(TheSettings().appPath + QStringLiteral("/CardSim"), TheSettings().readerPort)); }

// One issuing run of `n` cards; false when any card was refused.
bool IssueRun(int n) {
  IssueWindow w;
  w.txtCardType()->setText(QStringLiteral("V"));
  w.txtCardCnt()->setText(QString::number(n));
  w.txtStoreID()->setText(QStringLiteral("001"));
  w.txtBalAmt()->setText(QStringLiteral("100"));
  const int before = Scalar(gCnn(), QStringLiteral("SELECT COUNT(*) FROM Tolva")).toInt();
  w.issueCards();
  return Scalar(gCnn(), QStringLiteral("SELECT COUNT(*) FROM Tolva")).toInt() == before + n;
}

// Time per kind of statement (its first word), from the statistics between one statement and
// the next.
class StatementKinds {
public:
  void install() {
    SetStatementHookForTest([this](Connection&, const QString& sql) { next(sql); });
  }
  void finish() {
    next(QString());
    SetStatementHookForTest(nullptr);
  }
  void print(int cards) const {
    for (auto it = ns_.cbegin(); it != ns_.cend(); ++it) {
      std::printf("    %-8s %.2f ms per card\n", qPrintable(it.key()), it.value() / 1e6 / cards);
    }
  }

private:
  void next(const QString& sql) {
    const qint64 now = Connection::statementStats().nanoseconds;
    if (!last_.isEmpty()) ns_[last_] += now - since_;
    last_ = sql.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toUpper();
    since_ = now;
  }
  QString last_;
  qint64 since_ = 0;
  QMap<QString, qint64> ns_;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sqlite");
  BenchDatabase db(target);
  if (!db.open()) return 2;
  Statement(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', 'main', 1)"));
  EditSettings().readerPort = QStringLiteral("COM1");
  EditSettings().batchKey = QStringLiteral("AB12");
  EditSettings().storeId = QStringLiteral("001");
  QDir::setCurrent(db.folder());
  Reader().ensure();
  // The operator puts a new blank card in at every wait.
  NoOperator op;
  op.onWait = [](const std::function<bool()>& poll) {
    Reader().insert(Reader().newBlankCard());
    for (int i = 0; i < 10000; ++i) {
      if (poll()) return true;
    }
    return false;
  };
  SetDialogs(&op);

  if (!IssueRun(5)) return 2;  // warms the caches
  const Connection::StatementStats before = Connection::statementStats();
  StatementKinds kinds;
  kinds.install();
  QElapsedTimer t;
  t.start();
  const bool ok = IssueRun(kCards);
  kinds.finish();
  const double wholeMs = t.nsecsElapsed() / 1e6 / kCards;
  const Connection::StatementStats after = Connection::statementStats();
  const double dbMs = (after.nanoseconds - before.nanoseconds) / 1e6 / kCards;
  const double statements = double(after.statements - before.statements) / kCards;
  const double target_ms = db.postgres() ? 5.0 : 2.0;
  std::printf("%-8s issuing %d cards: database work %.2f ms per card in %.1f statements (target at most %.0f ms), "
              "whole card %.2f ms%s\n",
              qPrintable(target), kCards, dbMs, statements, target_ms, wholeMs, ok ? "" : " CARDS REFUSED");
  kinds.print(kCards);
  return ok && dbMs <= target_ms ? 0 : 1;
}
