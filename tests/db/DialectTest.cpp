#include "core/Dates.h"
#include "support/Sql.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "db/Database.h"
#include "db/Parameters.h"
#include "support/TestEnv.h"

#include <QSqlQuery>

// The dialect object of a real connection, on each database.
class DialectOnDatabaseTest : public DbTest {
protected:
  QList<qint64> keys(const QString& sql) {
    QList<qint64> out;
    QSqlQuery q = Rows(gCnn(), sql);
    while (q.next()) out << q.value(0).toLongLong();
    return out;
  }
};

TEST_P(DialectOnDatabaseTest, NowDateLiteralsRangesAndGeneratedRowNumbers) {
  const Dialect& d = gCnn().dialect();
  EXPECT_EQ(d.name(), isPostgres() ? QStringLiteral("PG_SQL") : QStringLiteral("SQLITE"));
  EXPECT_EQ(d.numbering(), isPostgres() ? Numbering::Function : Numbering::InProgram);

  // The database's own time, close to the program's.
  const auto now = ToDateTime(Value(gCnn(), QStringLiteral("SELECT ") + d.nowFunc()));
  ASSERT_TRUE(now.has_value());
  EXPECT_LT(qAbs(now->secsTo(QDateTime::currentDateTime())), 300);

  const QString serial = isPostgres() ? QStringLiteral("RNo SERIAL PRIMARY KEY") : QStringLiteral("RNo INTEGER PRIMARY KEY AUTOINCREMENT");
  Exec(gCnn(), QStringLiteral("CREATE TABLE t (") + serial + QStringLiteral(", d TIMESTAMP)"));
  const QList<QDateTime> moments{QDateTime(QDate(2026, 3, 4), QTime(23, 59, 59)), QDateTime(QDate(2026, 3, 5), QTime(0, 0)),
                                 QDateTime(QDate(2026, 3, 6), QTime(23, 59, 59)), QDateTime(QDate(2026, 3, 7), QTime(0, 0))};
  QList<qint64> generated;
  for (const QDateTime& t : moments) {
    Exec(gCnn(), QStringLiteral("INSERT INTO t (d) VALUES (") + d.dateLiteral(t) + QStringLiteral(")"));
    generated << Value(gCnn(), d.generatedKeyQuery()).toLongLong();
  }
  EXPECT_EQ(generated, (QList<qint64>{1, 2, 3, 4}));
  // A literal comes back as the same moment.
  for (qsizetype i = 0; i < moments.size(); ++i) {
    EXPECT_EQ(ToDateTime(Value(gCnn(), QStringLiteral("SELECT d FROM t WHERE RNo = ?"), {generated[i]})), moments[i]);
  }
  // A range takes whole days, the last one to its last second.
  EXPECT_EQ(keys(QStringLiteral("SELECT RNo FROM t WHERE ") + d.dateRange(QStringLiteral("d"), QDate(2026, 3, 5), QDate(2026, 3, 6)) +
                 QStringLiteral(" ORDER BY RNo")),
            (QList<qint64>{2, 3}));
  EXPECT_EQ(keys(QStringLiteral("SELECT RNo FROM t WHERE ") + d.dateRange(QStringLiteral("d"), QDate(2026, 3, 7), QDate(2026, 3, 7))),
            (QList<qint64>{4}));
  // A bound date compares as the literal does.
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT COUNT(*) FROM t WHERE d >= ?"),
                             {d.dateValue(QDateTime(QDate(2026, 3, 6), QTime(0, 0)))});
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toInt(), 2);
  // A day's midnight is the same value, written out without the time zone.
  for (const QDate& day : {QDate(2026, 3, 6), QDate(987, 1, 2), QDate()})
    EXPECT_EQ(d.dayValue(day), d.dateValue(QDateTime(day, QTime(0, 0)))) << qPrintable(day.toString());
}

// The record writers and the numbering write for the connection they are given: the globals
// below say Oracle (SYSDATE, TO_DATE, a numbering procedure), which neither database knows.
TEST_P(DialectOnDatabaseTest, WritersAndNumberingFollowTheConnectionNotTheGlobals) {
  SetDBType(nullptr, QStringLiteral("MSDAORA"));
  ASSERT_EQ(TheSettings().nowFunction, QStringLiteral("SYSDATE"));

  CardRow card;
  card.CardNo = QStringLiteral("V000001");
  card.Status = QStringLiteral("01");
  card.IssueDate = QDate(2026, 3, 5);
  card.GoodThru = QDate(2027, 3, 31);
  ASSERT_TRUE(InsertCard(card, gCnn()));
  JournalRow log;
  log.TxnDept = QStringLiteral("001");
  log.TxnType = QStringLiteral("11");
  log.CardNo = QStringLiteral("V000001");
  log.TxnDate = QDate(2026, 3, 5);
  ASSERT_TRUE(InsertJournalRow(log, gCnn()));
  BlacklistRow gone;
  gone.CardNo = QStringLiteral("V000001");
  ASSERT_TRUE(InsertBlacklistRow(gone, gCnn()));
  qint64 n = 0;
  QString text;
  ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text, gCnn()));
  EXPECT_EQ(text, QStringLiteral("000001"));
  EXPECT_TRUE(dialogs_->shown.empty());

  EXPECT_EQ(ToDateTime(Value(gCnn(), QStringLiteral("SELECT TxnDate FROM TolvaLog")))->date(), QDate(2026, 3, 5));
  EXPECT_EQ(ToDateTime(Value(gCnn(), QStringLiteral("SELECT GoodThru FROM Tolva")))->date(), QDate(2027, 3, 31));
  EXPECT_TRUE(ToDateTime(Value(gCnn(), QStringLiteral("SELECT FileDate FROM Tolva"))));
}

TOLVA_DB_TEST_SUITE(DialectOnDatabaseTest);
