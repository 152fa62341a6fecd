// The liability, reconciliation and roll-forward reports over 100,000 cards and 2,000,000
// journal rows, against the same aggregate statements run by the database's own shell (sqlite3,
// psql).
//
//   bench_reports sqlite                 an SQLite file in a temporary folder
//   bench_reports postgres               a schema of its own on the server named by TOLVA_TEST_PG
#include "BenchSupport.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/SchemaScript.h"
#include "db/Database.h"
#include "ledger/ReportQueries.h"
#include "ledger/RollForward.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 5;
const QDate kDay(2026, 6, 15);

const QDate kYearFrom(2026, 1, 1), kYearTo(2026, 12, 31);

// A statement the report runs, with its values written in, for the shell.
QString inlined(QString sql, const QVariantList& values) {
  for (const QVariant& v : values) {
    sql.replace(sql.indexOf(QLatin1Char('?')), 1, QLatin1Char('\'') + v.toString() + QLatin1Char('\''));
  }
  return sql + QStringLiteral(" ;");
}

QString liabilitySql(const QDate& day) {
  QVariantList values;
  const QString sql = LiabilitySql(gCnn().dialect(), day, values);
  return inlined(sql, values);
}

// The roll-forward's journal statements and its master side, the liability of the last day.
QString rollForwardSql() {
  QString all;
  for (const BoundSql& s : RollForwardSql(gCnn().dialect(), kYearFrom, kYearTo)) all += inlined(s.sql, s.values);
  return all + liabilitySql(kYearTo);
}

QString reconcileSql() {
  const QString types = QStringLiteral(" ( TxnType In ('11', '12') Or TxnType Like '2%' Or TxnType Like '3%' ) ");
  return QStringLiteral("Select T.CardNo , T.BalAmt , Coalesce(J.Amt, 0) , T.BalPoint , Coalesce(J.Pt, 0) From Tolva T "
                        " Left Join ( Select CardNo , Sum(TxnAmt) As Amt , Sum(TxnPoint) As Pt From TolvaLog Where ") +
         types +
         QStringLiteral(" Group by CardNo ) J On J.CardNo = T.CardNo Where "
                        " Abs( Coalesce(T.BalAmt, 0) - Coalesce(J.Amt, 0) ) >= 0.00005 Or "
                        " Abs( Coalesce(T.BalPoint, 0) - Coalesce(J.Pt, 0) ) >= 0.00005 Order by T.CardNo ;"
                        "Select L.CardNo , Sum(Case When ") +
         types + QStringLiteral(" Then L.TxnAmt Else 0 End) , Sum(Case When ") + types +
         QStringLiteral(" Then L.TxnPoint Else 0 End) From TolvaLog L "
                        " Where Not Exists ( Select 1 From Tolva T Where T.CardNo = L.CardNo ) Group by L.CardNo Order by L.CardNo ;"
                        "Select CardNo From Tolva Where Status = '99' And CardNo Not In "
                        " ( Select CardNo From VoidCard Where CardNo Is Not Null ) Order by CardNo ;"
                        "Select V.CardNo From VoidCard V Where Not Exists ( Select 1 From Tolva T "
                        " Where T.CardNo = V.CardNo And T.Status = '99' ) Order by V.CardNo ;");
}

qint64 timed(const std::function<void()>& f) {
  QElapsedTimer t;
  t.start();
  f();
  return t.nsecsElapsed();
}


struct Shell {
  QString program;
  QStringList args;  // the statement is the last argument
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  void run(const QString& sql) const {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args + QStringList{sql});
    p.waitForFinished(-1);
    if (p.exitCode() != 0) std::fprintf(stderr, "%s: %s\n", qPrintable(program), p.readAllStandardError().constData());
  }
};

// Runs the report and the shell alternately; prints both medians; answers the ratio.
double compare(const char* name, const std::function<void()>& report, const Shell& shell, const QString& sql) {
  std::vector<qint64> ours, theirs;
  report();  // warms the caches
  shell.run(sql);
  for (int i = 0; i < kRuns; ++i) {
    ours.push_back(timed(report));
    theirs.push_back(timed([&] { shell.run(sql); }));
  }
  const double a = MedianMs(ours), b = MedianMs(theirs);
  std::printf("  %-12s report %8.1f ms   shell %8.1f ms   ratio %.2f (target at most 1.5)\n", name, a, b, a / b);
  return a / b;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sqlite");
  BenchDatabase db(target);
  if (!db.open()) return 2;
  const bool pg = db.postgres();
  Shell shell{QStringLiteral("sqlite3"), {db.sqliteFile()}};
  if (pg) {
    const ConnectionString cs(qEnvironmentVariable("TOLVA_TEST_PG"));
    const QStringList args = QStringList{QStringLiteral("-X"), QStringLiteral("-q")} + ServerToolArgs() +
                             QStringList{QStringLiteral("-d"), cs.value(QStringLiteral("Database")), QStringLiteral("-c")};
    shell = Shell{QStringLiteral("psql"), args};
    shell.env.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c search_path=") + db.schema());
  }
  std::printf("%s: filling %d cards and %d journal rows...\n", qPrintable(target), kFilledCards, kFilledRows);
  std::fflush(stdout);
  const qint64 fillNs = timed([pg] { Fill(gCnn(), pg); });
  std::printf("  filled in %.1f s\n", fillNs / 1e9);

  int disagreeing = 0;
  bool read = true;
  const double r1 = compare("liability", [&] { read = read && Check(Done::of(ComputeLiability(gCnn(), kDay))); }, shell,
                            liabilitySql(kDay));
  const double r2 = compare("reconcile", [&] {
    const auto rows = SelectDisagreements(gCnn());
    read = read && Check(Done::of(rows));
    disagreeing = rows.valueOr().size();
  }, shell, reconcileSql());
  std::printf("  %d cards disagree\n", disagreeing);
  bool ties = false;
  const double r3 = compare("rollforward", [&] {
    const auto r = ComputeRollForward(gCnn(), kYearFrom, kYearTo);
    read = read && Check(Done::of(r));
    ties = r.ok() && r->ties();
  }, shell, rollForwardSql());
  // The filled masters are off by one on every hundredth card: the year does not tie.
  std::printf("  the year's roll-forward %s\n", ties ? "ties" : "does not tie (as filled)");

  return read && r1 <= 1.5 && r2 <= 1.5 && r3 <= 1.5 ? 0 : 1;
}
