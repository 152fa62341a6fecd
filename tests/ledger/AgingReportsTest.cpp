// Dormancy, expiry and redemption on each dialect, over a small hand-made journal whose figures
// are worked out by hand below.
#include "support/Sql.h"
#include "support/TestEnv.h"

#include "db/Connection.h"
#include "ledger/AgingReports.h"

class AgingReportsTest : public DbTest {
protected:
  const QDate day{2026, 12, 8};

  QVariant at(int y, int m, int d) const { return gCnn().dialect().dayValue(QDate(y, m, d)); }
  void card(const char* no, const char* status, int bal, const QVariant& goodThru, const QVariant& issued = {}) {
    Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status, BalAmt, BalPoint, GoodThru, IssueDate, IssueDept) "
                                "VALUES (?, ?, ?, 0, ?, ?, '001')"),
         {QString::fromLatin1(no), QString::fromLatin1(status), bal, goodThru, issued});
  }
  void row(const char* no, const char* type, int amt, const QVariant& on) {
    Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint) "
                                "VALUES ('001', ?, ?, ?, ?, 0)"),
         {QString::fromLatin1(type), QString::fromLatin1(no), on, amt});
  }
};

TEST_P(AgingReportsTest, DormancyAgesFromTheLastCustomerRowAndExpiryByGoodThru) {
  card("A", "11", 100, at(2026, 12, 20));
  row("A", "21", 100, at(2026, 5, 1));
  row("A", "31", 0, at(2026, 11, 20));  // a good-thru change: not the customer's
  card("B", "11", 50, at(2027, 2, 1));
  row("B", "22", -20, at(2026, 11, 30));
  card("C", "12", 30, at(2026, 10, 31), at(2023, 10, 1));  // a replacement never used
  card("F", "11", 10, at(2026, 11, 15));
  row("F", "21", 10, at(2024, 12, 8));
  card("D", "81", 70, at(2027, 1, 1));  // erased: holds nothing any more
  card("E", "11", 0, at(2027, 1, 1));

  const Dormancy d = Must(ComputeDormancy(gCnn(), day, 2));
  QStringList buckets;
  for (const AgingBucket& b : d.buckets) buckets << QStringLiteral("%1:%2/%3").arg(b.label).arg(b.cards).arg(b.amt.toString());
  EXPECT_EQ(buckets, (QStringList{"6個月內:1/50", "6-12個月:1/100", "12-24個月:0/0", "24-36個月:1/10", "36個月以上:1/30"}));
  ASSERT_EQ(d.oldest.size(), 2);
  EXPECT_EQ(d.oldest[0].cardNo, QStringLiteral("C"));
  EXPECT_EQ(d.oldest[0].months, 38);
  EXPECT_EQ(d.oldest[1].cardNo, QStringLiteral("F"));
  EXPECT_EQ(d.oldest[1].months, 24);

  const Expiry e = Must(ComputeExpiry(gCnn(), day));
  QStringList coming, expired;
  for (const AgingBucket& b : e.coming) coming << QStringLiteral("%1/%2").arg(b.cards).arg(b.amt.toString());
  for (const AgingBucket& b : e.expired) expired << QStringLiteral("%1:%2/%3").arg(b.label).arg(b.cards).arg(b.amt.toString());
  EXPECT_EQ(coming, (QStringList{"1/100", "1/50", "0/0"}));
  EXPECT_EQ(expired, (QStringList{"已過期 2026/10:1/30", "已過期 2026/11:1/10"}));
}

// Two cards of January: 100 issued and 100 added on the 10th, 50 redeemed on 5 February, 30
// on 1 May of which 10 voided the next day; 200 issued on the 25th and 100 redeemed on 20
// February. Within a month of each issue: 150 of 400; within six: 170 of 400.
TEST_P(AgingReportsTest, RedemptionSharesByIssueMonthAndWindow) {
  row("R1", "11", 100, at(2026, 1, 10));
  row("R1", "21", 100, at(2026, 1, 20));
  row("R1", "22", -50, at(2026, 2, 5));
  row("R1", "22", -30, at(2026, 5, 1));
  row("R1", "32", 10, at(2026, 5, 2));
  row("R2", "11", 200, at(2026, 1, 25));
  row("R2", "22", -100, at(2026, 2, 20));
  row("R3", "11", 100, at(2026, 11, 2));  // too young for any window

  const QList<RedemptionMonth> months = Must(ComputeRedemption(gCnn(), day));
  ASSERT_EQ(months.size(), 2);
  EXPECT_EQ(months[0].month, QStringLiteral("2026/01"));
  EXPECT_EQ(months[0].cards, 2);
  EXPECT_EQ(months[0].loaded, Money::fromInt(400));
  QStringList shares;
  for (const auto& s : months[0].share) shares << ShareText(s);
  EXPECT_EQ(shares, (QStringList{"37.5%", "37.5%", "42.5%", ""}));
  EXPECT_EQ(months[1].month, QStringLiteral("2026/11"));
  EXPECT_FALSE(months[1].share[0].has_value());
}

TOLVA_DB_TEST_SUITE(AgingReportsTest);
