#pragma once
// What bench_year measures on a chain's year, each side of each measurement run once in a
// process of its own: the program doing the work, and the engine doing the same without it.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QList>
#include <optional>
#include <utility>

// Where the year lives: FOLDER/year.db, or the schema "tolva_year" on the server
// TOLVA_TEST_PG names.
struct YearPlace {
  bool pg = false;
  QString folder;
  QString connectionString() const;
  // A database of its own beside the year (an SQLite file in FOLDER, or a schema), for the
  // import into an empty database.
  QString emptyConnectionString(int run) const;
  QString emptySchema(int run) const;
};

// The day's import by the engine's own shell, beside the program's: its `program` side runs on
// the year, its `raw` side on an empty database.
inline const QString kEngineImport = QStringLiteral("import-engine");
// The measurements, in the order printed.
const QStringList& YearMeasures();
// The days and the card count the measurements use, read from the year's database.
struct YearFacts {
  qint64 cards = 0;
  int stores = 0;
  QDate last;             // the year's last journal day
  QDate pastDay() const;  // the liability report's day: the end of the year's sixth month
};

// Runs one side (`program` or the engine's own `raw`) of `measure` once; answers the
// nanoseconds the work took, or nothing (the reason on stderr). The reports' raw side is the
// shell, run by the driver: ShellSql gives its statements.
std::optional<qint64> RunSide(const QString& measure, bool program, const YearPlace& place, int run);
QString ShellSql(const QString& measure, const YearPlace& place);
// What the side spent drawing its window after the work it timed: 0 where it draws nothing.
qint64 SideDrawingNs();
// The import's RUN is a day (its Julian day number): each run takes one after the last imported.
int FirstFreeImportDay(const YearPlace& place);
// How a plan reads the journal or the log: the date range sought in an index, an index read
// whole with the date filtered in it (a covering index), or the table itself.
enum class PlanRead { RangeSought, IndexWhole, Table, Unknown };
PlanRead PlanReading(const QString& plan);
// The plans of the statements that read a date range (EXPLAIN), each with how it reads.
QList<std::pair<QString, PlanRead>> ExplainDateRanges(const YearPlace& place);
// gCnn on the year's database.
bool OpenYear(const YearPlace& place);
