// Importing store files with the card refresh, against the same INSERT and UPDATE statements
// run by the database's command-line shell (sqlite3, psql) in one transaction. 500 files of
// 200 rows over 2,000 cards: 50 stores, 10 days.
//
//   bench_import sqlite      an SQLite file in a temporary folder
//   bench_import postgres    a schema of its own on the server named by TOLVA_TEST_PG
#include "BenchSupport.h"

#include "core/CodePage.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"
#include "ledger/CardCodes.h"
#include "db/Database.h"
#include "operations/ExchangeJobs.h"
#include "operations/StoreFolder.h"
#include "ledger/StoreImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kStores = 50;
constexpr int kDays = 10;
constexpr int kRowsPerFile = 200;
constexpr int kCards = 2000;


QString storeId(int s) { return QStringLiteral("%1").arg(s, 3, 10, QLatin1Char('0')); }
QString cardNo(int c) { return QStringLiteral("V%1").arg(c, 6, 10, QLatin1Char('0')); }

void fill() {
  Connection& cnn = gCnn();
  TransactionGuard tx(cnn);
  for (int s = 1; s <= kStores; ++s)
    Statement(cnn, QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES (?, ?, ?)"),
                {storeId(s), QStringLiteral("分店%1").arg(s), s});
  for (int c = 1; c <= kCards; ++c)
    Statement(cnn, QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, BalAmt, BalPoint) "
                               "VALUES ('V0001', 'V', ?, '01', 0, 0)"),
                {cardNo(c)});
  Check(tx.commit());
}

struct Row {
  QString type, card, amount;
  int points;
};

// Writes the files and the shell's script of the same statements.
QByteArray makeFiles(const QString& inbox) {
  const Dialect& d = gCnn().dialect();
  const QString today = d.dateLiteral(QDateTime(QDate::currentDate(), QTime(0, 0)));
  QString sql = QStringLiteral("BEGIN;\n");
  const QStringList types = {QStringLiteral("21"), QStringLiteral("22"), QStringLiteral("21"), QStringLiteral("22"),
                             QStringLiteral("13"), QStringLiteral("23")};
  auto* rng = QRandomGenerator::global();
  for (int day = 1; day <= kDays; ++day) {
    const QDate date(2006, 1, day);
    const QString lit = d.dateLiteral(QDateTime(date, QTime(0, 0)));
    for (int s = 1; s <= kStores; ++s) {
      QString text = QStringLiteral("TABLECSV,TolvaLog\r\nTxnDept,TxnType,CardNo,TxnDate,TxnAmt,TxnPoint,RefCheckNo,Remark\r\n");
      sql += QStringLiteral("DELETE FROM TolvaLog WHERE TxnDept = '%1' AND %2;\n")
                 .arg(storeId(s), d.dateRange(QStringLiteral("TxnDate"), date, date));
      QMap<QString, QStringList> cards;  // card -> its types of the day
      for (int r = 0; r < kRowsPerFile; ++r) {
        const Row row{types[rng->bounded(int(types.size()))], cardNo(rng->bounded(kCards) + 1),
                      QStringLiteral("%1.5").arg(rng->bounded(900)), rng->bounded(7)};
        text += QStringLiteral("'%1','%2','%3',#%4#,%5,%6,'R%7','bench'\r\n")
                    .arg(storeId(s), row.type, row.card, date.toString(QStringLiteral("yyyy/MM/dd")), row.amount)
                    .arg(row.points)
                    .arg(r);
        sql += QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, RefCheckNo, Remark) "
                              "VALUES ('%1', '%2', '%3', %4, %5, %6, 'R%7', 'bench');\n")
                   .arg(storeId(s), row.type, row.card, lit, row.amount)
                   .arg(row.points)
                   .arg(r);
        cards[row.card].append(row.type);
      }
      for (auto it = cards.begin(); it != cards.end(); ++it) {
        const QString sum = QStringLiteral("(SELECT COALESCE(SUM(%1), 0) FROM TolvaLog WHERE CardNo = '%2' AND (TxnType LIKE '2%' "
                                           "OR TxnType LIKE '3%' OR TxnType = '11'))");
        sql += QStringLiteral("UPDATE Tolva SET BalAmt = %1, BalPoint = %2, UpdDate = %3 WHERE CardNo = '%4';\n")
                   .arg(sum.arg(QStringLiteral("TxnAmt"), it.key()), sum.arg(QStringLiteral("TxnPoint"), it.key()), today, it.key());
        if (it->contains(QStringLiteral("13")))
          sql += QStringLiteral("UPDATE Tolva SET FirstDate = %1, Status = '11', UpdDate = %2 WHERE CardNo = '%3';\n").arg(lit, today, it.key());
        if (it->contains(QStringLiteral("21")))
          sql += QStringLiteral("UPDATE Tolva SET GoodThru = %1, UpdDate = %2 WHERE CardNo = '%3';\n")
                     .arg(d.dateLiteral(QDateTime(RenewedGoodThru(date), QTime(0, 0))), today, it.key());
      }
      QFile f(QDir(inbox).filePath(QStringLiteral("DD%1_分店%2_TL.TXT").arg(date.toString(QStringLiteral("yyyyMMdd"))).arg(s)));
      if (!f.open(QIODevice::WriteOnly)) return {};
      f.write(CodePage::toAnsi(text));
    }
  }
  sql += QStringLiteral("COMMIT;\n");
  return sql.toUtf8();
}

}  // namespace

namespace {

// Runs the script in the command-line shell of the database; answers the wall time in ms, or
// -1 when the shell failed.
double runShell(const QString& target, const BenchDatabase& db, const QByteArray& script) {
  QFile file(QDir(db.folder()).filePath(QStringLiteral("import.sql")));
  if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size()) return -1;
  file.close();
  const Shell shell = target == QLatin1String("postgres") ? Shell::postgres(db.schema()) : Shell::sqlite(db.sqliteFile());
  const std::optional<qint64> ns = shell.runScript(file.fileName());
  return ns ? *ns / 1e6 : -1;
}

void reset() {
  Connection& cnn = gCnn();
  Statement(cnn, QStringLiteral("DELETE FROM TolvaLog"));
  Statement(cnn, QStringLiteral("DELETE FROM TolvaImport"));
  Statement(cnn, QStringLiteral("UPDATE Tolva SET BalAmt = 0, BalPoint = 0, Status = '01', FirstDate = NULL, GoodThru = NULL, UpdDate = NULL"));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sqlite");
  NoOperator quiet;
  SetDialogs(&quiet);
  BenchDatabase db(target);
  if (!db.open()) return 2;
  const QDir dir(db.folder());
  fill();
  const QString inbox = dir.filePath(QStringLiteral("inbox"));
  QDir().mkpath(inbox);
  const QByteArray script = makeFiles(inbox);

  QElapsedTimer t;
  t.start();
  int failed = 0, files = 0;
  for (const ListedStoreFile& file : ListStoreFiles(inbox)) {
    ++files;
    const ImportOutcome o = ImportStoreFile(QDir(inbox).filePath(file.name));
    if (!o.ok) {
      ++failed;
      std::fprintf(stderr, "%s: %s\n", qPrintable(file.name), qPrintable(o.reason));
    }
  }
  const double importMs = t.nsecsElapsed() / 1e6;
  reset();
  const double shellMs = runShell(target, db, script);
  const double ratio = shellMs > 0 ? importMs / shellMs : 0;
  std::printf("%-8s %d files x %d rows over %d cards: import %.0f ms, %s %.0f ms, ratio %.2f (target at most 1.5)%s\n",
              qPrintable(target), files, kRowsPerFile, kCards, importMs,
              target == QLatin1String("postgres") ? "psql" : "sqlite3", shellMs, ratio,
              failed ? " FILES FAILED" : "");
  return failed == 0 && shellMs > 0 && ratio <= 1.5 ? 0 : 1;
}
