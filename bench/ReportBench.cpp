// The liability, reconciliation and roll-forward reports over 100,000 cards and 2,000,000
// journal rows, against the same aggregate statements run by the database's own shell (sqlite3,
// psql).
//
//   bench_reports sqlite                 an SQLite file in a temporary folder
//   bench_reports postgres               a schema of its own on the server named by TOLVA_TEST_PG
#include "BenchSupport.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"
#include "db/Database.h"
#include "ledger/ReportQueries.h"
#include "ledger/RollForward.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 5;
const QDate kDay(2026, 6, 15);

const QDate kYearFrom(2026, 1, 1), kYearTo(2026, 12, 31);

QString liabilitySql(const QDate& day) {
  BoundSql s;
  s.sql = LiabilitySql(gCnn().dialect(), day, s.values);
  return InlinedSql(s);
}

// The roll-forward's journal statements and its master side, the liability of the last day.
QString rollForwardSql() {
  QString all;
  for (const BoundSql& s : RollForwardSql(gCnn().dialect(), kYearFrom, kYearTo)) all += InlinedSql(s);
  return all + liabilitySql(kYearTo);
}

QString reconcileSql() {
  QString all;
  for (const BoundSql& s : ReconcileSql()) all += InlinedSql(s);
  return all;
}

// Runs the report and the shell alternately; prints both medians; answers the ratio.
double compare(const char* name, const std::function<void()>& report, const Shell& shell, const QString& sql) {
  std::vector<qint64> ours, theirs;
  report();  // warms the caches
  shell.run(sql);
  for (int i = 0; i < kRuns; ++i) {
    ours.push_back(Timed(report));
    theirs.push_back(Timed([&] { shell.run(sql); }));
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
  const Shell shell = pg ? Shell::postgres(db.schema()) : Shell::sqlite(db.sqliteFile());
  std::printf("%s: filling %d cards and %d journal rows...\n", qPrintable(target), kFilledCards, kFilledRows);
  std::fflush(stdout);
  const qint64 fillNs = Timed([pg] { Fill(gCnn(), pg); });
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
