// Opening a card with a long history in the card query window, against a plain QtSql read of
// the same rows with the same look-ups. One card, 5,000 transactions over 50 stores.
//
//   bench_qrycard sqlite                 an SQLite file in a temporary folder
//   bench_qrycard postgres               a schema of its own on the server named by TOLVA_TEST_PG
#include "BenchSupport.h"

#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "ui/TextTable.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"
#include "db/Database.h"
#include "ledger/CardQuery.h"
#include "windows/inquiry/CardQueryWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 5000;
constexpr int kStores = 50;
constexpr int kRuns = 7;
const QString kCard = QStringLiteral("V000001");

void fill() {
  Connection& cnn = gCnn();
  TransactionGuard tx(cnn);
  for (int s = 1; s <= kStores; ++s) {
    Statement(cnn, QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES (?, ?, ?)"),
                {QStringLiteral("%1").arg(s, 3, 10, QLatin1Char('0')), QStringLiteral("分店%1").arg(s), s});
  }
  Statement(cnn, QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, GoodThru, BalAmt, BalPoint, IssueDept) "
                             "VALUES ('V0001', 'V', ?, '11', ?, 1000, 30, '001')"),
              {kCard, cnn.dialect().dateValue(QDateTime(QDate(2027, 12, 31), QTime(0, 0)))});
  const QStringList types = {QStringLiteral("21"), QStringLiteral("22"), QStringLiteral("23"), QStringLiteral("31")};
  const QDateTime start(QDate(2020, 1, 1), QTime(8, 0));
  for (int i = 0; i < kRows; ++i) {
    const QVariant at = cnn.dialect().dateValue(start.addSecs(qint64(i) * 3600));
    Statement(cnn, QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, RefCheckNo, "
                               "POSID, UserID, Remark, FileDate) VALUES (?, ?, ?, ?, ?, ?, ?, 'POS1', 'clerk', '', ?)"),
                {QStringLiteral("%1").arg(i % kStores + 1, 3, 10, QLatin1Char('0')), types[i % types.size()], kCard, at,
                 QStringLiteral("%1.5").arg(i % 900), i % 7, QStringLiteral("R%1").arg(i), at});
  }
  Check(tx.commit());
}

// The same rows and look-ups straight from QtSql, each value taken out of its row.
qint64 rawRead() {
  QElapsedTimer t;
  t.start();
  QSqlQuery q(gCnn().database());
  q.setForwardOnly(true);
  std::vector<QVariant> values;
  values.reserve(kRows * 15 + 32);
  auto run = [&](const QString& sql, const QVariantList& bound) { RawRead(q, sql, bound, values); };
  run(QStringLiteral("Select BatchNo , CardType , CardNo , Status , IssueDate , FirstDate , LastDate , GoodThru , BalAmt , "
                     "BalPoint , IssueDept , OCardNo , POSID , UserID , Remark From Tolva Where CardNo = ?"),
      {kCard});
  run(QStringLiteral("Select Dscp From xxCODE Where CodeType = 'TolvaStatus' AND Code = '11'"), {});
  run(QStringLiteral("Select StoreName From Store Where StoreID = '001'"), {});
  run(QStringLiteral("Select L.RNo , L.TxnDept , S.StoreName , L.TxnType , C.Dscp , L.CardNo , L.TxnDate , L.TxnAmt , "
                     " L.TxnPoint , L.RefCheckNo , L.POSID , L.UserID , L.Remark , L.FileDate , C.Code From TolvaLog L "
                     " Left Join Store S On S.StoreID = L.TxnDept "
                     " Left Join xxCODE C On C.CodeType = 'TolvaLogType' And C.Code = L.TxnType "
                     " Where L.CardNo = ? Order by L.FileDate , L.RNo "),
      {kCard});
  const qint64 ns = t.nsecsElapsed();
  if (values.size() < size_t(kRows) * 15) std::fprintf(stderr, "raw read: %zu values\n", values.size());
  return ns;
}

// The shared routine alone: rows and look-ups turned into display text, no window.
qint64 coreRead() {
  QElapsedTimer t;
  t.start();
  CardQuery card;
  Check(Done::of(LoadCardQuery(gCnn(), kCard, card)));
  return t.nsecsElapsed();
}

// Opening the card in the window; `w` is a new window or one that shows the card already.
qint64 windowRead(CardQueryWindow& w) {
  w.field(QStringLiteral("txtCardNo"))->setText(kCard);
  QElapsedTimer t;
  t.start();
  w.checkCardNumber();
  const qint64 ns = t.nsecsElapsed();
  if (w.fgCardLog()->rows() != kRows + 1) std::fprintf(stderr, "window: %d rows\n", w.fgCardLog()->rows() - 1);
  return ns;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sqlite");
  NoOperator quiet;
  SetDialogs(&quiet);
  BenchDatabase db(target);
  if (!db.open()) return 2;
  fill();

  std::vector<qint64> raw, core, window, again;
  {
    CardQueryWindow warm;  // the first read of each warms the caches
    rawRead();
    windowRead(warm);
  }
  for (int i = 0; i < kRuns; ++i) {
    raw.push_back(rawRead());
    core.push_back(coreRead());
    CardQueryWindow w;
    window.push_back(windowRead(w));
    again.push_back(windowRead(w));
  }
  const double r = MedianMs(raw), win = MedianMs(window);
  std::printf("%-8s %d rows: window %.1f ms (display texts %.1f ms; the same card again %.1f ms), raw QtSql %.1f ms, "
              "ratio %.2f (target at most 2)\n",
              qPrintable(target), kRows, win, MedianMs(core), MedianMs(again), r, win / r);
  return win / r <= 2.0 ? 0 : 1;
}
