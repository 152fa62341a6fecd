// A chain's year (1,000,000 cards, 20,000,000 journal rows, 5,000,000 log rows): the day's
// import, the card query, the log viewer and the reports against the engine doing the same
// work, with the program's peak memory during each.
//
//   bench_year fill sqlite|postgres FOLDER [SCALE]     makes the year (SCALE 1 is the full year)
//   bench_year run sqlite|postgres FOLDER [RUNS [MEASURE...]]   measures on it, prints the table
//   bench_year side MEASURE program|raw sqlite|postgres FOLDER RUN   one side once (run's child)
#include "BenchSupport.h"
#include "YearData.h"
#include "YearSides.h"

#include "db/Connection.h"
#include "db/SchemaScript.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <cstdio>
#include <optional>

namespace {

constexpr double kMaxMb = 300;

YearPlace placeOf(const QString& dialect, const QString& folder) { return YearPlace{dialect == QLatin1String("postgres"), folder}; }

bool remakeYear(const YearPlace& place) {
  if (!place.pg) {
    for (const char* tail : {"", "-wal", "-shm"}) QFile::remove(QDir(place.folder).filePath(QStringLiteral("year.db") + QLatin1String(tail)));
    return true;
  }
  Connection admin;
  if (!Check(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")))) return false;
  Statement(admin, QStringLiteral("SET client_min_messages TO warning"));
  return Statement(admin, QStringLiteral("DROP SCHEMA IF EXISTS tolva_year CASCADE")) &&
         Statement(admin, QStringLiteral("CREATE SCHEMA tolva_year"));
}

int fill(const YearPlace& place, double scale) {
  QDir().mkpath(place.folder);
  if (!remakeYear(place) || !OpenYear(place) || !Check(CreateSchema(gCnn()))) return 2;
  const YearShape shape = YearShape{}.scaled(scale);
  std::printf("filling %lld cards, %lld journal rows, %lld log rows over %d stores...\n", shape.cards, shape.journalRows,
              shape.logRows, shape.stores);
  std::fflush(stdout);
  Fetched<YearCounts> counts;
  const qint64 ns = Timed([&] { counts = FillYear(gCnn(), shape); });
  if (!Check(Done::of(counts))) return 1;
  std::printf("  %lld cards (%lld blacklisted), %lld journal rows, %lld log rows in %.0f s\n", counts->cards, counts->blacklisted,
              counts->journalRows, counts->logRows, ns / 1e9);
  return 0;
}

// The side's peak resident memory in kB.
long peakKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return 0;
}

int side(const QStringList& a) {
  const std::optional<qint64> ns = RunSide(a[2], a[3] == QLatin1String("program"), placeOf(a[4], a[5]), a[6].toInt());
  if (!ns) return 1;
  std::printf("%lld %ld %lld\n", *ns, peakKb(), SideDrawingNs());
  return 0;
}

struct Sample {
  qint64 ns = 0;
  long kb = 0;
  qint64 drawingNs = 0;
};

std::optional<Sample> child(const QString& measure, bool program, const YearPlace& place, int run) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(QCoreApplication::applicationFilePath(),
          {QStringLiteral("side"), measure, program ? QStringLiteral("program") : QStringLiteral("raw"),
           place.pg ? QStringLiteral("postgres") : QStringLiteral("sqlite"), place.folder, QString::number(run)});
  p.waitForFinished(-1);
  const QList<QByteArray> out = p.readAllStandardOutput().trimmed().split('\n').last().split(' ');
  if (p.exitCode() != 0 || out.size() != 3) return std::nullopt;
  return Sample{out[0].toLongLong(), out[1].toLong(), out[2].toLongLong()};
}

std::optional<Sample> rawSide(const QString& measure, const YearPlace& place, int run, const QString& shellSql) {
  if (shellSql.isEmpty()) return child(measure, false, place, run);
  const Shell shell = place.pg ? Shell::postgres(QStringLiteral("tolva_year")) : Shell::sqlite(QDir(place.folder).filePath(QStringLiteral("year.db")));
  return Sample{Timed([&] { shell.run(shellSql); }), 0};
}

struct Samples {
  std::vector<qint64> ours, theirs, drawing;
  long kb = 0;
  bool ok = true;
};

// Both sides `runs` times, after a run that warms the caches. An import's run is its day.
Samples sample(const QString& name, const YearPlace& place, int firstDay, int runs, const QString& shellSql) {
  Samples s;
  for (int run = 0; run <= runs; ++run) {
    const std::optional<Sample> a = child(name, true, place, firstDay + run);
    const std::optional<Sample> b = rawSide(name, place, firstDay + run, shellSql);
    if (!a || !b) {
      s.ok = false;
      return s;
    }
    s.kb = std::max(s.kb, a->kb);
    if (run == 0) continue;
    s.ours.push_back(a->ns);
    s.drawing.push_back(a->drawingNs);
    s.theirs.push_back(b->ns);
  }
  return s;
}

// The same days imported by the engine's shell alone, into the year and into an empty
// database: what the engine itself takes, beside the program's ratio.
void engineLine(const YearPlace& place, int firstDay, int runs) {
  const Samples s = sample(kEngineImport, place, firstDay, runs, {});
  if (!s.ok) {
    std::printf("  %-12s the engine alone FAILED\n", "");
    return;
  }
  const double year = MedianMs(s.ours), empty = MedianMs(s.theirs);
  std::printf("  %-12s the engine alone (%s): year %10.1f ms   empty %10.1f ms   ratio %5.2f\n", "", place.pg ? "psql" : "sqlite3",
              year, empty, year / empty);
  std::fflush(stdout);
}

// One line of the table; false when a target is missed or a side failed.
bool measure(const QString& name, const YearPlace& place, int runs) {
  const QString shellSql = ShellSql(name, place);
  const bool import = name == QLatin1String("import");
  const int firstDay = import ? FirstFreeImportDay(place) : 0;
  gCnn().close();
  const Samples s = sample(name, place, firstDay, runs, shellSql);
  if (!s.ok) {
    std::printf("  %-12s FAILED\n", qPrintable(name));
    return false;
  }
  const double target = import ? 1.2 : 1.5;
  const double ms = MedianMs(s.ours), raw = MedianMs(s.theirs), ratio = ms / raw, mb = s.kb / 1024.0;
  const bool met = ratio <= target && mb <= kMaxMb;
  // A listing takes a fraction of a millisecond: two places where one would round it away.
  const int places = raw < 10 ? 2 : 1;
  std::printf("  %-12s program %10.*f ms   %-7s %10.*f ms   ratio %5.2f (at most %.1f)   peak %5.0f MB   %s\n", qPrintable(name),
              places, ms, import ? "empty" : shellSql.isEmpty() ? "QtSql" : "shell", places, raw, ratio, target, mb,
              met ? "met" : "MISSED");
  if (MedianMs(s.drawing) > 0) std::printf("  %-12s drawing the window with the list in it, not in the ratio: %.1f ms\n", "", MedianMs(s.drawing));
  std::fflush(stdout);
  if (import) engineLine(place, firstDay + runs + 1, runs);
  return met;
}

int run(const YearPlace& place, int runs, const QStringList& only) {
  if (!OpenYear(place)) return 2;
  const qint64 cards = Scalar(gCnn(), QStringLiteral("Select Count(*) From Tolva")).toLongLong();
  const qint64 rows = Scalar(gCnn(), QStringLiteral("Select Count(*) From TolvaLog")).toLongLong();
  const qint64 logs = Scalar(gCnn(), QStringLiteral("Select Count(*) From xxAPLOG")).toLongLong();
  std::printf("%s: %lld cards, %lld journal rows, %lld log rows; median of %d runs after one that warms the caches\n",
              place.pg ? "PostgreSQL" : "SQLite", cards, rows, logs, runs);
  std::printf("  %s, %d cores, %s\n", qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount(),
              qPrintable(QSysInfo::kernelVersion()));
  bool all = true;
  for (const QString& name : YearMeasures()) {
    if (only.isEmpty() || only.contains(name)) all = measure(name, place, runs) && all;
  }
  std::printf("  the statements that read a date range, as the database plans them:\n");
  for (const auto& [plan, read] : ExplainDateRanges(place)) {
    const char* how = read == PlanRead::RangeSought ? "the date range sought in an index"
                      : read == PlanRead::IndexWhole ? "an index read whole, the date filtered in it"
                      : read == PlanRead::Table      ? "THE TABLE READ WHOLE"
                                                     : "NO PLAN";
    std::printf("%s      -> %s\n", qPrintable(plan), how);
    all = all && (read == PlanRead::RangeSought || read == PlanRead::IndexWhole);
  }
  return all ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  NoOperator quiet;
  SetDialogs(&quiet);
  const QStringList a = app.arguments();
  if (a.size() >= 4 && a[1] == QLatin1String("fill")) return fill(placeOf(a[2], a[3]), a.size() > 4 ? a[4].toDouble() : 1.0);
  if (a.size() >= 4 && a[1] == QLatin1String("run")) return run(placeOf(a[2], a[3]), a.size() > 4 ? a[4].toInt() : 3, a.mid(5));
  if (a.size() >= 7 && a[1] == QLatin1String("side")) return side(a);
  std::fprintf(stderr, "usage: bench_year fill sqlite|postgres FOLDER [SCALE]\n"
                       "       bench_year run sqlite|postgres FOLDER [RUNS [MEASURE...]]\n");
  return 2;
}
