#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "db/Database.h"
#include "db/DatabaseCopy.h"
#include "db/SchemaScript.h"
#include "db/Parameters.h"
#include "ledger/ReportQueries.h"
#include "support/Sql.h"
#include "support/TestEnv.h"


// `tolva --copy-database` run as a process of its own, from the database of the test (either
// dialect) into a fresh schema on the PostgreSQL server.
class CopyDatabaseTest : public DbTest {
protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!target_.made()) GTEST_SKIP() << "TOLVA_TEST_PG names no PostgreSQL server";
    targetCnt_ = target_.connectionString();
  }
  // Cards whose balances agree with their journal, a blacklisted one, a store, a parameter, an
  // activity-log row and two card numbers drawn.
  void fill() {
    const Dialect& d = gCnn().dialect();
    const QVariant day = d.dayValue(QDate(2026, 12, 8));
    Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', '台北店', 1)"));
    Exec(gCnn(), QStringLiteral("INSERT INTO xxPARAM (ParamID, ParamValue) VALUES ('QDR_PointRate', '0.01')"));
    Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status, IssueDept, IssueDate, GoodThru, BalAmt, BalPoint) VALUES "
                                "('V000001', '11', '001', ?, ?, 1234.5, 12), ('V000002', '99', '001', ?, ?, 500, 0)"),
         {day, day, day, day});
    Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, Remark) VALUES "
                                "('001', '11', 'V000001', ?, 1000, 10, '發卡'), ('001', '21', 'V000001', ?, 234.5, 2, NULL), "
                                "('001', '11', 'V000002', ?, 500, 0, '')"),
         {day, day, day});
    Exec(gCnn(), QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) VALUES ('V000002', '遺失')"));
    Exec(gCnn(), QStringLiteral("INSERT INTO xxAPLOG (UserID, ActionID, LogMsg) VALUES ('clerk', '發卡', '卡號 V000001')"));
    qint64 n = 0;
    QString text;
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text, gCnn()));
  }

  EmptyPgSchema target_;
  QString targetCnt_;
};

TEST_P(CopyDatabaseTest, EveryTableArrivesCheckedAndTheCopyGoesOnWhereTheSourceStood) {
  fill();
  QStringList lines;
  QString errors;
  ASSERT_EQ(RunProgram(dir_->path(), cnt_, {QStringLiteral("--copy-database"), targetCnt_}, lines, &errors), 0)
      << errors.toStdString();
  EXPECT_EQ(lines.last(), QStringLiteral("複製完成"));
  EXPECT_TRUE(lines.contains(QStringLiteral("Tolva\t2\t2\tBalAmt=1734.5, BalPoint=12\tBalAmt=1734.5, BalPoint=12")))
      << lines.join(u'\n').toStdString();

  Connection copy;
  Must(copy.open(targetCnt_));
  EXPECT_EQ(Value(copy, QStringLiteral("SELECT COUNT(*) FROM TolvaLog")).toInt(), 3);
  EXPECT_EQ(Value(copy, QStringLiteral("SELECT StoreName FROM Store")).toString(), QStringLiteral("台北店"));
  EXPECT_EQ(Value(copy, QStringLiteral("SELECT COUNT(*) FROM xxCODE")).toInt(),
            Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxCODE")).toInt());
  EXPECT_TRUE(Must(SelectDisagreements(copy)).isEmpty());
  // The numbering and the row numbers continue after what was copied.
  qint64 n = 0;
  QString text;
  ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text, copy));
  EXPECT_EQ(n, 3);
  Exec(copy, QStringLiteral("INSERT INTO Tolva (CardNo, Status) VALUES ('V000003', '01')"));
  EXPECT_GT(Value(copy, QStringLiteral("SELECT RNo FROM Tolva WHERE CardNo = 'V000003'")).toInt(),
            Value(copy, QStringLiteral("SELECT MAX(RNo) FROM Tolva WHERE CardNo <> 'V000003'")).toInt());
  copy.close();

  // A target with tables is refused and left as it was.
  EXPECT_EQ(RunProgram(dir_->path(), cnt_, {QStringLiteral("--copy-database"), targetCnt_}, lines, &errors), 1);
  EXPECT_TRUE(errors.contains(QStringLiteral("只能複製到空的資料庫"))) << errors.toStdString();
  Must(copy.open(targetCnt_));
  EXPECT_EQ(Value(copy, QStringLiteral("SELECT COUNT(*) FROM Tolva")).toInt(), 3);
}

TEST_P(CopyDatabaseTest, AJournalOfManyStatementsArrivesEveryRowOnce) {
  // More rows than one run of prepared statements takes, so that whole statements and a short
  // last one follow it.
  constexpr int kRows = 5000;
  Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnAmt, TxnPoint) "
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                              "SELECT '001', '21', 'V' || i, i, 0 FROM n")
                   .arg(kRows));
  Connection copy;
  Must(copy.open(targetCnt_));
  Must(CopyDatabase(gCnn(), copy));
  EXPECT_EQ(Value(copy, QStringLiteral("SELECT COUNT(DISTINCT CardNo) FROM TolvaLog")).toInt(), kRows);
  EXPECT_EQ(Value(copy, QStringLiteral("SELECT COUNT(*) FROM TolvaLog")).toInt(), kRows);
}

TEST_P(CopyDatabaseTest, ACopyThatFailsHalfWayLeavesTheTargetEmpty) {
  fill();
  Connection copy;
  Must(copy.open(targetCnt_));
  SetStatementHookForTest([&copy](Connection& c, const QString& sql) {
    if (&c == &copy && sql.startsWith(QStringLiteral("INSERT INTO TolvaLog"))) {
      throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
    }
  });
  const Fetched<QList<CopiedTable>> copied = CopyDatabase(gCnn(), copy);
  SetStatementHookForTest(nullptr);
  ASSERT_FALSE(copied);
  EXPECT_EQ(copied.failure.description, QStringLiteral("refused by the test"));
  EXPECT_FALSE(Must(HasTable(copy, QStringLiteral("Tolva"))));
  EXPECT_FALSE(copy.inTransaction());
}

TOLVA_DB_TEST_SUITE(CopyDatabaseTest);
