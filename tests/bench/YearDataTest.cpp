// The year's made-up data at a small scale, on each dialect: what the program reads of it
// agrees with itself (no card disagrees with its journal, a month's roll-forward ties, every
// imported row names its store's file of that day), the indexes are back after the bulk load,
// and one seed gives the same rows on either dialect.
#include "YearData.h"

#include "core/Dates.h"
#include "core/Money.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/SchemaScript.h"
#include "ledger/ReportQueries.h"
#include "ledger/RollForward.h"
#include "support/Sql.h"
#include "support/TestEnv.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

qint64 Number(const QString& sql) { return Value(gCnn(), sql).toLongLong(); }
qint64 Count(const QString& table) { return Number(QStringLiteral("Select Count(*) From ") + table); }

const YearShape kShape = YearShape{}.scaled(0.002);

// Every row of the tables the year fills, in a form that reads the same from either dialect.
// The letters of each statement say how its columns read: t text, d date, n number.
QStringList rows(Connection& cnn) {
  const std::pair<const char*, QString> selects[] = {
      {"ttdddnntt", QStringLiteral("Select CardNo , Status , IssueDate , FirstDate , GoodThru , BalAmt , BalPoint , IssueDept , OCardNo From Tolva Order by CardNo")},
      {"ntttdnndn", QStringLiteral("Select RNo , TxnDept , TxnType , CardNo , TxnDate , TxnAmt , TxnPoint , FileDate , ImportNo From TolvaLog Order by RNo")},
      {"ntdn", QStringLiteral("Select RNo , StoreID , TxnDate , RowCount From TolvaImport Order by RNo")},
      {"nttttd", QStringLiteral("Select RNo , UserID , ActionID , LogMsg , Remark , FileDate From xxAPLOG Order by RNo")},
      {"t", QStringLiteral("Select CardNo From VoidCard Order by CardNo")}};
  QStringList out;
  for (const auto& [kinds, sql] : selects) {
    const Done read = ForEachRow(cnn, sql, {}, [&out, kinds = kinds](const QSqlQuery& q) {
      QString row;
      for (int c = 0; kinds[c]; ++c) {
        const QVariant v = q.value(c);
        if (v.isNull()) row += QStringLiteral("-");
        else if (kinds[c] == 'n') row += Money::fromVariant(v).toString();
        else if (kinds[c] == 'd' && v.typeId() == QMetaType::QDateTime) row += v.toDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
        else row += v.toString();
        row += QLatin1Char('|');
      }
      out << row;
    });
    EXPECT_TRUE(read) << qPrintable(sql);
  }
  return out;
}

// The first row where two databases differ, or nothing.
QString firstDifference(const QStringList& a, const QStringList& b) {
  for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i]) return a[i] + QStringLiteral(" <> ") + b[i];
  }
  return a.size() == b.size() ? QString() : QStringLiteral("%1 rows <> %2 rows").arg(a.size()).arg(b.size());
}

}  // namespace

class YearDataTest : public DbTest {};

TEST_P(YearDataTest, TheProgramFindsTheYearWhole) {
  const Fetched<YearCounts> filled = FillYear(gCnn(), kShape);
  ASSERT_TRUE(filled.ok()) << qPrintable(filled.failure.description);
  EXPECT_GE(filled->cards, kShape.cards);
  EXPECT_NEAR(double(filled->journalRows), double(kShape.journalRows), kShape.journalRows * 0.1);
  EXPECT_EQ(Count(QStringLiteral("Tolva")), filled->cards);
  EXPECT_EQ(Count(QStringLiteral("TolvaLog")), filled->journalRows);
  EXPECT_EQ(Count(QStringLiteral("xxAPLOG")), kShape.logRows);
  EXPECT_GT(filled->blacklisted, 0);

  const auto disagreeing = SelectDisagreements(gCnn());
  ASSERT_TRUE(disagreeing.ok());
  EXPECT_TRUE(disagreeing->isEmpty()) << qPrintable(disagreeing->value(0).cardNo + disagreeing->value(0).problem);
  const auto june = ComputeRollForward(gCnn(), QDate(2026, 6, 1), QDate(2026, 6, 30));
  ASSERT_TRUE(june.ok());
  EXPECT_TRUE(june->ties()) << qPrintable(june->problems().join(QLatin1Char('\n')));
  EXPECT_GT(june->opening.count, 0);

  // Each imported row carries the number of its store's file of that day.
  EXPECT_EQ(Number(QStringLiteral("Select Count(*) From TolvaLog L Join TolvaImport I On I.RNo = L.ImportNo "
                                     "Where I.StoreID = L.TxnDept And I.TxnDate = L.TxnDate")),
            Number(QStringLiteral("Select Count(*) From TolvaLog Where ImportNo Is Not Null")));
  EXPECT_GT(Number(QStringLiteral("Select Count(*) From TolvaLog Where ImportNo Is Not Null")), filled->journalRows / 2);
  const QString indexes = isPostgres()
      ? QStringLiteral("Select Count(*) From pg_indexes Where schemaname = current_schema() And tablename = 'tolvalog'")
      : QStringLiteral("Select Count(*) From sqlite_master Where type = 'index' And tbl_name = 'TolvaLog'");
  EXPECT_GE(Number(indexes), 3);
}

TEST_P(YearDataTest, OneSeedGivesTheSameRowsOnEitherDialect) {
  const YearShape shape = kShape.scaled(0.25);
  ASSERT_TRUE(FillYear(gCnn(), shape).ok());
  // Beside the database under test, an SQLite file filled from the same seed.
  Connection other;
  ASSERT_TRUE(other.open(QStringLiteral("Provider=SQLite;Data Source=") + path(QStringLiteral("other.db")), [](const QString&) { return true; }));
  ASSERT_TRUE(CreateSchema(other));
  ASSERT_TRUE(FillYear(other, shape).ok());
  const QStringList filled = rows(other);
  EXPECT_EQ(firstDifference(rows(gCnn()), filled), QString());
  YearShape reseeded = shape;
  ++reseeded.seed;
  Connection third;
  ASSERT_TRUE(third.open(QStringLiteral("Provider=SQLite;Data Source=") + path(QStringLiteral("third.db")), [](const QString&) { return true; }));
  ASSERT_TRUE(CreateSchema(third));
  ASSERT_TRUE(FillYear(third, reseeded).ok());
  EXPECT_NE(firstDifference(rows(third), filled), QString());
}

TOLVA_DB_TEST_SUITE(YearDataTest);
