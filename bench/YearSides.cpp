#include "YearSides.h"

#include "BenchSupport.h"
#include "YearData.h"
#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/SchemaScript.h"
#include "ledger/AgingReports.h"
#include "ledger/ReportQueries.h"
#include "ledger/RollForward.h"
#include "ledger/StoreImport.h"
#include "operations/StoreFolder.h"
#include "ui/DataGrid.h"
#include "ui/StatusPanel.h"
#include "ui/TextTable.h"
#include "windows/inquiry/CardQueryWindow.h"
#include "core/ClockSeam.h"
#include "ui/LongListGrid.h"
#include "windows/reports/ActivityLogWindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QApplication>
#include <QCryptographicHash>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr int kFileRows = 200;
constexpr int kCardsOpened = 200;

QString withSchema(const QString& schema) {
  const QString server = qEnvironmentVariable("TOLVA_TEST_PG");
  return server + (server.endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";")) + QStringLiteral("Search Path=") +
         schema + QStringLiteral(";");
}

bool openOn(const QString& cnt, const QString& folder) {
  EditSettings().appPath = folder;
  EditSettings().appName = QStringLiteral("bench");
  EditSettings().errorLogFile = QDir(folder).filePath(QStringLiteral("bench.ERR"));
  if (!OpenConnection(cnt, gCnn(), [](const QString&) { return true; })) return false;
  SetDBType();
  return true;
}

YearFacts facts() {
  YearFacts f;
  f.cards = Scalar(gCnn(), QStringLiteral("Select Count(*) From Tolva")).toLongLong();
  f.stores = Scalar(gCnn(), QStringLiteral("Select Count(*) From Store")).toInt();
  // The year's own last day, whatever days the import measurement added after it.
  f.last = YearShape{}.last();
  return f;
}

QDate monthStart(const YearFacts& f) { return QDate(f.last.year(), f.last.month(), 1).addMonths(-1); }
QDate monthEnd(const YearFacts& f) { return monthStart(f).addMonths(1).addDays(-1); }

// One store's file of a day: its name and text.
struct StoreDayFile {
  int store = 0;
  QString name;
  QString text;
};

// One day of every store's file, 200 rows each, for a day after the year; `cards` gets the
// cards they name.
QList<StoreDayFile> storeDay(const QDate& day, const YearFacts& f, QSet<QString>& cards) {
  QRandomGenerator rng(quint32(day.toJulianDay()));
  static const char* const kTypes[] = {"21", "22", "21", "22", "13", "23"};
  const QString date = day.toString(QStringLiteral("yyyy/MM/dd"));
  QList<StoreDayFile> files;
  for (int s = 0; s < f.stores; ++s) {
    QString text = QStringLiteral("TABLECSV,TolvaLog\r\nTxnDept,TxnType,CardNo,TxnDate,TxnAmt,TxnPoint,RefCheckNo,Remark\r\n");
    for (int r = 0; r < kFileRows; ++r) {
      const QString card = YearCardNo(rng.bounded(qint64(f.cards)));
      cards.insert(card);
      text += QStringLiteral("'%1','%2','%3',#%4#,%5,%6,'R%7','bench'\r\n")
                  .arg(YearStoreID(s), QString::fromLatin1(kTypes[rng.bounded(6)]), card, date)
                  .arg(rng.bounded(900))
                  .arg(rng.bounded(7))
                  .arg(r);
    }
    files.append({s, QStringLiteral("DD%1_%2_TL.TXT").arg(day.toString(QStringLiteral("yyyyMMdd")), YearStoreName(s)), text});
  }
  return files;
}

void writeStoreDay(const QString& inbox, const QList<StoreDayFile>& files) {
  QDir().mkpath(inbox);
  for (const StoreDayFile& day : files) {
    QFile file(QDir(inbox).filePath(day.name));
    if (!file.open(QIODevice::WriteOnly) || file.write(CodePage::toAnsi(day.text)) < 0) std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
  }
}

// A file's rows as the journal's INSERTs, sixteen rows to a statement as the import sends them.
QString journalInserts(const Dialect& d, const StoreDayFile& file, const QDate& day) {
  const QString txnDate = QLatin1Char('\'') + d.dateValue(QDateTime(day, QTime(0, 0))).toString() + QLatin1Char('\'');
  const QString head = QStringLiteral("INSERT INTO TolvaLog ( TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, RefCheckNo, Remark, ImportNo ) VALUES ");
  QString sql;
  QStringList tuples;
  for (const QString& line : file.text.split(QStringLiteral("\r\n")).mid(2)) {
    if (line.isEmpty()) continue;
    QStringList v = line.split(QLatin1Char(','));
    v[3] = txnDate;
    tuples << QStringLiteral("( %1, (SELECT MAX(RNo) FROM TolvaImport) )").arg(v.join(QStringLiteral(", ")));
    if (tuples.size() == 16) sql += head + tuples.join(QStringLiteral(", ")) + QStringLiteral(" ;\n"), tuples.clear();
  }
  if (!tuples.isEmpty()) sql += head + tuples.join(QStringLiteral(", ")) + QStringLiteral(" ;\n");
  return sql;
}

// The day's import as the engine's own shell runs it: for each file, in one transaction, the
// statements the program sends, its values written in.
QByteArray engineScript(const Dialect& d, const QList<StoreDayFile>& files, const QDate& day, bool sqlite) {
  // The program's session setting on SQLite.
  QString sql = sqlite ? QStringLiteral("PRAGMA cache_size = -65536;\n") : QString();
  const QVariant txnDate = d.dateValue(QDateTime(day, QTime(0, 0)));
  const QVariant nextDay = d.dateValue(QDateTime(day.addDays(1), QTime(0, 0)));
  // The program gives SQLite a now() of its own; the shell has the same in strftime.
  const QString now = sqlite ? QStringLiteral("strftime('%Y/%m/%d %H:%M:%S', 'now', 'localtime')") : d.nowFunc();
  for (const StoreDayFile& file : files) {
    const QString store = YearStoreID(file.store);
    const QByteArray bytes = CodePage::toAnsi(file.text);
    const QString sha = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    sql += QStringLiteral("BEGIN;\n");
    sql += InlinedSql({QStringLiteral("UPDATE Store SET StoreID = StoreID WHERE StoreID = ?"), {store}}) + QLatin1Char('\n');
    sql += InlinedSql({QStringLiteral("SELECT COUNT(*) FROM TolvaImport WHERE Sha256 = ?"), {sha}}) + QLatin1Char('\n');
    sql += InlinedSql({QStringLiteral("DELETE FROM TolvaLog WHERE TxnDept = ? AND ImportNo IS NOT NULL AND TxnDate >= ? AND TxnDate < ?"),
                       {store, txnDate, nextDay}}) + QLatin1Char('\n');
    sql += InlinedSql({QStringLiteral("INSERT INTO TolvaImport ( FileName, FileSize, Sha256, StoreID, TxnDate, RowCount, ImportedAt, POSID, "
                                      "UserID ) VALUES ( ?, ?, ?, ?, ?, ?, %1, ?, ? )").arg(now),
                       {file.name, bytes.size(), sha, store, txnDate, kFileRows, QStringLiteral("bench"), QStringLiteral("bench")}}) +
           QLatin1Char('\n');
    sql += journalInserts(d, file, day);
    for (const BoundSql& s : CardRefreshSql(d, store, day)) sql += InlinedSql(s) + QLatin1Char('\n');
    sql += QStringLiteral("COMMIT;\n");
  }
  return sql.toUtf8();
}

std::optional<qint64> importInbox(const QString& inbox) {
  int failed = 0;
  const qint64 ns = Timed([&] {
    for (const ListedStoreFile& file : ListStoreFiles(inbox)) {
      const ImportOutcome o = ImportStoreFile(QDir(inbox).filePath(file.name));
      if (!o.ok) ++failed, std::fprintf(stderr, "%s: %s\n", qPrintable(file.name), qPrintable(o.reason));
    }
  });
  if (failed) return std::nullopt;
  return ns;
}

// The stores and the named cards, with no history: what the same day is imported into.
bool makeEmptyYear(const YearPlace& place, int run, const YearFacts& f, const QSet<QString>& cards) {
  if (place.pg) {
    Connection admin;
    if (!Check(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")))) return false;
    Statement(admin, QStringLiteral("SET client_min_messages TO warning"));
    Statement(admin, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(place.emptySchema(run)));
    if (!Statement(admin, QStringLiteral("CREATE SCHEMA %1").arg(place.emptySchema(run)))) return false;
  } else {
    QFile::remove(QDir(place.folder).filePath(QStringLiteral("empty%1.db").arg(run)));
  }
  gCnn().close();
  if (!openOn(place.emptyConnectionString(run), place.folder) || !Check(CreateSchema(gCnn()))) return false;
  TransactionGuard tx(gCnn());
  for (int s = 0; s < f.stores; ++s) {
    Statement(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES (?, ?, ?)"), {YearStoreID(s), YearStoreName(s), s + 1});
  }
  for (const QString& card : cards) {
    Statement(gCnn(), QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, BalAmt, BalPoint, IssueDept) "
                                     "VALUES ('B1000', 'V', ?, '11', 0, 0, '001')"), {card});
  }
  return Check(tx.commit());
}

void dropEmptyYear(const YearPlace& place, int run) {
  gCnn().close();
  if (!place.pg) {
    for (const char* tail : {"", "-wal", "-shm"})
      QFile::remove(QDir(place.folder).filePath(QStringLiteral("empty%1.db").arg(run) + QLatin1String(tail)));
    return;
  }
  Connection admin;
  if (!Check(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")))) return;
  Statement(admin, QStringLiteral("SET client_min_messages TO warning"));
  Statement(admin, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(place.emptySchema(run)));
}

// `run`: the day's Julian day number, a day no import of the year's database has had.
std::optional<qint64> importDay(bool program, const YearPlace& place, int run) {
  const YearFacts f = facts();
  const QDate day = QDate::fromJulianDay(run);
  const QString inbox = QDir(place.folder).filePath(QStringLiteral("inbox-%1-%2").arg(program ? "year" : "empty").arg(run));
  QSet<QString> cards;
  writeStoreDay(inbox, storeDay(day, f, cards));
  if (!program && !makeEmptyYear(place, run, f, cards)) return std::nullopt;
  const std::optional<qint64> ns = importInbox(inbox);
  if (!program) dropEmptyYear(place, run);
  return ns;
}

// The same day's import by the engine's shell alone: on the year (`onYear`) or on an empty
// database of the day's cards.
std::optional<qint64> engineImportDay(bool onYear, const YearPlace& place, int run) {
  const YearFacts f = facts();
  const QDate day = QDate::fromJulianDay(run);
  QSet<QString> cards;
  const QList<StoreDayFile> files = storeDay(day, f, cards);
  QFile script(QDir(place.folder).filePath(QStringLiteral("engine-%1.sql").arg(run)));
  const QByteArray sql = engineScript(gCnn().dialect(), files, day, !place.pg);
  if (!script.open(QIODevice::WriteOnly) || script.write(sql) != sql.size()) return std::nullopt;
  script.close();
  if (!onYear && !makeEmptyYear(place, run, f, cards)) return std::nullopt;
  gCnn().close();
  const QString file = QDir(place.folder).filePath(onYear ? QStringLiteral("year.db") : QStringLiteral("empty%1.db").arg(run));
  const Shell shell = place.pg ? Shell::postgres(onYear ? QStringLiteral("tolva_year") : place.emptySchema(run)) : Shell::sqlite(file);
  const std::optional<qint64> ns = shell.runScript(script.fileName());
  script.remove();
  if (!onYear) dropEmptyYear(place, run);
  return ns;
}

QStringList openedCards() {
  const qint64 cards = Scalar(gCnn(), QStringLiteral("Select Count(*) From Tolva")).toLongLong();
  QRandomGenerator rng(91);
  QStringList out;
  for (int i = 0; i < kCardsOpened; ++i) out << YearCardNo(rng.bounded(cards));
  return out;
}

// The statements the card query runs for one card, straight from QtSql.
void rawCard(const QString& card, std::vector<QVariant>& values) {
  QSqlQuery q(gCnn().database());
  q.setForwardOnly(true);
  auto run = [&](const QString& sql, const QVariantList& bound) { RawRead(q, sql, bound, values); };
  const size_t master = values.size();
  run(QStringLiteral("Select BatchNo , CardType , CardNo , Status , IssueDate , FirstDate , LastDate , GoodThru , BalAmt , "
                     "BalPoint , IssueDept , OCardNo , POSID , UserID , Remark From Tolva Where CardNo = ?"),
      {card});
  if (values.size() < master + 15) return;
  const QVariant status = values[master + 3], store = values[master + 10];
  run(QStringLiteral("Select Dscp From xxCODE Where CodeType = 'TolvaStatus' AND Code = ?"), {status});
  run(QStringLiteral("Select StoreName From Store Where StoreID = ?"), {store});
  run(QStringLiteral("Select L.RNo , L.TxnDept , S.StoreName , L.TxnType , C.Dscp , L.CardNo , L.TxnDate , L.TxnAmt , "
                     " L.TxnPoint , L.RefCheckNo , L.POSID , L.UserID , L.Remark , L.FileDate , C.Code From TolvaLog L "
                     " Left Join Store S On S.StoreID = L.TxnDept "
                     " Left Join xxCODE C On C.CodeType = 'TolvaLogType' And C.Code = L.TxnType "
                     " Where L.CardNo = ? Order by L.FileDate , L.RNo "),
      {card});
}

std::optional<qint64> openCards(bool program) {
  const QStringList cards = openedCards();
  if (program) {
    CardQueryWindow w;
    auto open = [&] {
      for (const QString& card : cards) {
        w.field(QStringLiteral("txtCardNo"))->setText(card);
        if (!w.checkCardNumber()) std::fprintf(stderr, "card %s not shown\n", qPrintable(card));
      }
    };
    open();  // the caches, as the raw side has them
    return Timed(open);
  }
  std::vector<QVariant> values;
  auto read = [&] {
    for (const QString& card : cards) rawCard(card, values);
  };
  read();
  values.clear();
  return Timed(read);
}

// The rows the log viewer's grid shows at once, in its window as it opens.
int logScreenRows() {
  ActivityLogWindow w;
  w.show();
  QApplication::processEvents();
  return w.fgLog()->screenRows();
}

BoundSql logScreenSql(const QDate& day, int rows) {
  const Dialect& d = gCnn().dialect();
  return {QStringLiteral("Select A.FileDate , A.ActionID , C.Dscp , A.LogMsg , A.Remark , A.UserID , A.LoginWS , A.ProgID "
                         " From xxAPLOG A Left Join xxCODE C On C.CodeType = 'TolvaWorkingType' And C.Code = A.ActionID "
                         " Where A.FileDate >= ? And A.FileDate < ? Order by A.FileDate Desc , A.RNo Desc Limit %1")
              .arg(rows),
          {d.dayValue(day), d.dayValue(day.addDays(1))}};
}

qint64 drawingNs = 0;
// A listing takes a fraction of a millisecond: each side lists this many times, and the middle
// one counts.
constexpr int kLogListings = 101;

qint64 medianOfTimed(int times, const std::function<void()>& before, const std::function<void()>& work) {
  std::vector<qint64> ns;
  for (int i = 0; i < times; ++i) {
    before();
    ns.push_back(Timed(work));
  }
  std::nth_element(ns.begin(), ns.begin() + times / 2, ns.end());
  return ns[times / 2];
}

std::optional<qint64> openLog(bool program) {
  const QDate day = facts().last;
  const int rows = logScreenRows();
  if (program) {
    ActivityLogWindow w;
    w.show();
    QApplication::processEvents();
    const QString text = DateFieldText(day);
    w.field(QStringLiteral("txtDateB"))->setText(text);
    w.field(QStringLiteral("txtDateE"))->setText(text);
    w.listRows();
    // The list without the window's drawing, which is timed on its own: drawing a screen of
    // text costs the same whatever the log holds, and no SELECT does it. The status line's
    // flash after a new list pauses every window alike for the eye: its pause is skipped.
    SkipDelaysForTest(true);
    w.setUpdatesEnabled(false);
    // Each listing fills an empty list, as the window's first does when it opens.
    const qint64 ns = medianOfTimed(kLogListings, [&] { w.fgLog()->clearRows(); }, [&] { w.listRows(); });
    w.setUpdatesEnabled(true);
    drawingNs = Timed([&] { w.repaint(); });
    if (w.fgLog()->rows() - 1 != rows) std::fprintf(stderr, "the log viewer listed %d rows, not %d\n", w.fgLog()->rows() - 1, rows);
    return ns;
  }
  // Straight from QtSql, prepared as a single read is, not on the program's kept statements.
  const BoundSql s = logScreenSql(day, rows);
  std::vector<QVariant> values;
  auto read = [&] {
    QSqlQuery q(gCnn().database());
    q.setForwardOnly(true);
    RawRead(q, s.sql, s.values, values);
  };
  read();
  return medianOfTimed(kLogListings, [] {}, read);
}

template <typename T>
bool ok(const Fetched<T>& f) {
  return Check(Done::of(f));
}

std::optional<qint64> report(const QString& measure) {
  const YearFacts f = facts();
  const std::map<QString, std::function<bool()>> reports{
      {QStringLiteral("liability"), [&] { return ok(ComputeLiability(gCnn(), f.pastDay())); }},
      {QStringLiteral("rollforward"), [&] { return ok(ComputeRollForward(gCnn(), monthStart(f), monthEnd(f))); }},
      {QStringLiteral("reconcile"), [&] { return ok(SelectDisagreements(gCnn())); }},
      {QStringLiteral("dormancy"), [&] { return ok(ComputeDormancy(gCnn(), f.last)); }},
      {QStringLiteral("expiry"), [&] { return ok(ComputeExpiry(gCnn(), f.last)); }}};
  bool read = false;
  const qint64 ns = Timed([&] { read = reports.at(measure)(); });
  if (!read) return std::nullopt;
  return ns;
}

QString shellOf(const QList<BoundSql>& statements) {
  QString all;
  for (const BoundSql& s : statements) all += InlinedSql(s);
  return all;
}

BoundSql liabilityOn(const QDate& day) {
  BoundSql s;
  s.sql = LiabilitySql(gCnn().dialect(), day, s.values);
  return s;
}

}  // namespace

QString YearPlace::connectionString() const {
  return pg ? withSchema(QStringLiteral("tolva_year")) : QStringLiteral("Provider=SQLite;Data Source=") + QDir(folder).filePath(QStringLiteral("year.db"));
}

QString YearPlace::emptySchema(int run) const { return QStringLiteral("tolva_empty%1").arg(run); }

QString YearPlace::emptyConnectionString(int run) const {
  return pg ? withSchema(emptySchema(run))
            : QStringLiteral("Provider=SQLite;Data Source=") + QDir(folder).filePath(QStringLiteral("empty%1.db").arg(run));
}

int FirstFreeImportDay(const YearPlace& place) {
  if (!OpenYear(place)) return 0;
  const auto last = ToDateTime(Scalar(gCnn(), QStringLiteral("Select Max(TxnDate) From TolvaImport")));
  return int(last ? last->date().toJulianDay() + 1 : 0);
}

QDate YearFacts::pastDay() const { return QDate(last.year(), 6, 30); }

const QStringList& YearMeasures() {
  static const QStringList measures{QStringLiteral("import"),    QStringLiteral("card"),        QStringLiteral("log"),
                                    QStringLiteral("liability"), QStringLiteral("rollforward"), QStringLiteral("reconcile"),
                                    QStringLiteral("dormancy"),  QStringLiteral("expiry")};
  return measures;
}

bool OpenYear(const YearPlace& place) { return openOn(place.connectionString(), place.folder); }

std::optional<qint64> RunSide(const QString& measure, bool program, const YearPlace& place, int run) {
  if (!OpenYear(place)) return std::nullopt;
  if (measure == QLatin1String("import")) return importDay(program, place, run);
  if (measure == kEngineImport) return engineImportDay(program, place, run);
  if (measure == QLatin1String("card")) return openCards(program);
  if (measure == QLatin1String("log")) return openLog(program);
  return report(measure);
}

qint64 SideDrawingNs() { return drawingNs; }

QString ShellSql(const QString& measure, const YearPlace& place) {
  if (!OpenYear(place)) return {};
  const YearFacts f = facts();
  if (measure == QLatin1String("liability")) return InlinedSql(liabilityOn(f.pastDay()));
  if (measure == QLatin1String("rollforward"))
    return shellOf(RollForwardSql(gCnn().dialect(), monthStart(f), monthEnd(f))) + InlinedSql(liabilityOn(monthEnd(f)));
  if (measure == QLatin1String("reconcile")) return shellOf(ReconcileSql());
  if (measure == QLatin1String("dormancy")) return InlinedSql(DormancySql());
  if (measure == QLatin1String("expiry")) return InlinedSql(ExpirySql());
  return {};
}

PlanRead PlanReading(const QString& plan) {
  const QString lower = plan.toLower();
  if (lower.trimmed().isEmpty()) return PlanRead::Unknown;
  // PostgreSQL names a whole-table read; SQLite writes SCAN without an index for it.
  static const QRegularExpression table(QStringLiteral(R"(seq scan on (tolvalog|xxaplog)|scan (tolvalog|l|a)\s*$)"),
                                        QRegularExpression::MultilineOption);
  if (table.match(lower).hasMatch()) return PlanRead::Table;
  static const QRegularExpression seek(QStringLiteral(R"(index.*\((txndate|filedate)|index cond: \((txndate|filedate))"));
  return seek.match(lower).hasMatch() ? PlanRead::RangeSought : PlanRead::IndexWhole;
}

QList<std::pair<QString, PlanRead>> ExplainDateRanges(const YearPlace& place) {
  QList<std::pair<QString, PlanRead>> out;
  if (!OpenYear(place)) return out;
  const YearFacts f = facts();
  const QList<BoundSql> roll = RollForwardSql(gCnn().dialect(), monthStart(f), monthEnd(f));
  const std::pair<QString, BoundSql> statements[] = {{QStringLiteral("liability"), liabilityOn(f.pastDay())},
                                                     {QStringLiteral("rollforward movements"), roll.value(1)},
                                                     {QStringLiteral("rollforward orphans"), roll.value(2)},
                                                     {QStringLiteral("log first screen"), logScreenSql(f.last, logScreenRows())}};
  for (const auto& [name, s] : statements) {
    QString plan;
    // The PostgreSQL driver cannot prepare an EXPLAIN: its values go into the text.
    const QString sql = place.pg ? QStringLiteral("EXPLAIN ") + InlinedSql(s).chopped(2) : QStringLiteral("EXPLAIN QUERY PLAN ") + s.sql;
    Check(ForEachRow(gCnn(), sql, place.pg ? QVariantList() : s.values, [&plan, pg = place.pg](const QSqlQuery& q) {
      plan += QStringLiteral("      ") + q.value(pg ? 0 : 3).toString() + QLatin1Char('\n');
    }));
    out << std::pair{QStringLiteral("  %1:\n").arg(name) + plan, PlanReading(plan)};
  }
  return out;
}
