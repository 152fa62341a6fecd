#include "core/Dates.h"
#include "support/Sql.h"
#include "core/Money.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "db/Database.h"
#include "core/ErrorReport.h"
#include "support/TestEnv.h"

#include <QSqlQuery>
#include <QSqlRecord>

class RecordWritersTest : public DbTest {
protected:
  QSqlRecord row(const QString& sql) {
    QSqlQuery q = Rows(gCnn(), sql);
    EXPECT_TRUE(q.next()) << sql.toStdString();
    return q.record();
  }

  static CardRow card(const QString& cardNo) {
    CardRow r;
    r.BatchNo = QStringLiteral("V0001");
    r.CardType = QStringLiteral("V");
    r.CardNo = cardNo;
    r.Status = QStringLiteral("01");
    r.IssueDate = QStringLiteral("2026/03/05");
    r.FirstDate = QString();
    r.LastDate = QString();
    r.GoodThru = QDate(2027, 3, 31);
    r.BalAmt = QStringLiteral("1500");
    r.BalPoint = QString();
    r.IssueDept = QStringLiteral("001");
    r.POSID = TheSettings().workstation;
    r.UserID = TheSettings().operatorId;
    r.Remark = QStringLiteral("  O'Brien 的卡  ");
    return r;
  }
};

TEST_P(RecordWritersTest, CardRowTextsDatesAndAmounts) {
  CardRow r = card(QStringLiteral("V000001"));
  r.RNo = 999;  // overwritten with the generated number
  ASSERT_TRUE(InsertCard(r, gCnn()));
  const QSqlRecord rec = row(QStringLiteral("SELECT * FROM Tolva WHERE CardNo = 'V000001'"));
  EXPECT_EQ(r.RNo.toLongLong(), rec.value(QStringLiteral("RNo")).toLongLong());
  EXPECT_NE(r.RNo.toLongLong(), 999);
  // Apostrophe kept, surrounding blanks trimmed.
  EXPECT_EQ(rec.value(QStringLiteral("Remark")).toString(), QStringLiteral("O'Brien 的卡"));
  // Empty dates are NULL; given dates come back as the same day.
  EXPECT_TRUE(rec.value(QStringLiteral("FirstDate")).isNull());
  EXPECT_TRUE(rec.value(QStringLiteral("LastDate")).isNull());
  EXPECT_EQ(ToDateTime(rec.value(QStringLiteral("IssueDate")))->date(), QDate(2026, 3, 5));
  EXPECT_EQ(ToDateTime(rec.value(QStringLiteral("GoodThru")))->date(), QDate(2027, 3, 31));
  EXPECT_EQ(Money::fromVariant(rec.value(QStringLiteral("BalAmt"))), Money::fromInt(1500));
  EXPECT_EQ(Money::fromVariant(rec.value(QStringLiteral("BalPoint"))), Money());
  EXPECT_FALSE(rec.value(QStringLiteral("BalPoint")).isNull());
  // FileDate is the database's own time, a date the program can read.
  EXPECT_TRUE(ToDateTime(rec.value(QStringLiteral("FileDate"))));
  EXPECT_TRUE(rec.value(QStringLiteral("UpdDate")).isNull());
}

TEST_P(RecordWritersTest, JournalRowAmountsAreExactAndEmptyIsZero) {
  JournalRow a;
  a.TxnDept = QStringLiteral("001");
  a.TxnType = QStringLiteral("21");
  a.CardNo = QStringLiteral("V000001");
  a.TxnDate = QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9));
  a.TxnAmt = QStringLiteral("1234567.8901");
  a.TxnPoint = QStringLiteral("-0.1");
  a.RefCheckNo = QStringLiteral("INV'01");
  ASSERT_TRUE(InsertJournalRow(a, gCnn()));

  JournalRow b = a;
  b.TxnAmt = QString();
  b.TxnPoint = QVariant();
  b.TxnDate = QString();
  ASSERT_TRUE(InsertJournalRow(b, gCnn()));
  EXPECT_GT(b.RNo.toLongLong(), a.RNo.toLongLong());

  const QSqlRecord ra = row(QStringLiteral("SELECT * FROM TolvaLog WHERE RNo = ") + a.RNo.toString());
  EXPECT_EQ(Money::fromVariant(ra.value(QStringLiteral("TxnAmt"))), *Money::parse(QStringLiteral("1234567.8901")));
  EXPECT_EQ(Money::fromVariant(ra.value(QStringLiteral("TxnPoint"))), *Money::parse(QStringLiteral("-0.1")));
  EXPECT_EQ(ra.value(QStringLiteral("RefCheckNo")).toString(), QStringLiteral("INV'01"));
  EXPECT_EQ(*ToDateTime(ra.value(QStringLiteral("TxnDate"))), QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));

  const QSqlRecord rb = row(QStringLiteral("SELECT * FROM TolvaLog WHERE RNo = ") + b.RNo.toString());
  EXPECT_EQ(Money::fromVariant(rb.value(QStringLiteral("TxnAmt"))), Money());
  EXPECT_FALSE(rb.value(QStringLiteral("TxnAmt")).isNull());
  EXPECT_EQ(Money::fromVariant(rb.value(QStringLiteral("TxnPoint"))), Money());
  EXPECT_TRUE(rb.value(QStringLiteral("TxnDate")).isNull());

  // The stored dates compare as dates: a store's day finds the first row only.
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnDept = '001' AND TxnDate >= ") +
                          QuotDate(QStringLiteral("2026/03/05")) + QStringLiteral(" AND TxnDate < ") +
                          QuotDate(QStringLiteral("2026/03/06")))
                .toInt(),
            1);
}

TEST_P(RecordWritersTest, WithdrawnCardRowAndGeneratedNumbers) {
  BlacklistRow v1{QVariant(), QStringLiteral("V000001"), QStringLiteral("遺失")};
  BlacklistRow v2{QVariant(), QStringLiteral("V000002"), QString()};
  ASSERT_TRUE(InsertBlacklistRow(v1, gCnn()));
  ASSERT_TRUE(InsertBlacklistRow(v2, gCnn()));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT CardNo FROM VoidCard WHERE RNo = ") + v2.RNo.toString()).toString(),
            QStringLiteral("V000002"));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT Remark FROM VoidCard WHERE RNo = ") + v1.RNo.toString()).toString(),
            QStringLiteral("遺失"));
}

TEST_P(RecordWritersTest, FailureIsReportedAndARolledBackRowIsGone) {
  const quint64 mark = ReportsToShowCount();
  CardRow first = card(QStringLiteral("V000001"));
  ASSERT_TRUE(InsertCard(first, gCnn()));
  {
    TransactionGuard tx(gCnn());
    JournalRow log;
    log.CardNo = QStringLiteral("V000001");
    log.TxnType = QStringLiteral("11");
    ASSERT_TRUE(InsertJournalRow(log, gCnn()));
    // The card number is unique: a second master row for it is refused.
    CardRow twin = card(QStringLiteral("V000001"));
    EXPECT_FALSE(InsertCard(twin, gCnn()));
    // Logged at once; the ledger shows no box, it keeps the report for the window.
    EXPECT_TRUE(readBytes(TheSettings().errorLogFile).contains("(InsertCard)"));
  }  // the caller rolls its transaction back
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM TolvaLog")).toInt(), 0);
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM Tolva")).toInt(), 1);
  EXPECT_TRUE(dialogs_->shown.empty());
  EXPECT_EQ(dialogs_->beeps, 0);
  const QStringList reports = ReportsToShowSince(mark);
  ASSERT_EQ(reports.size(), 1);
  EXPECT_TRUE(reports[0].startsWith(QStringLiteral("處理程序: (InsertCard)")));
}

TOLVA_DB_TEST_SUITE(RecordWritersTest);
