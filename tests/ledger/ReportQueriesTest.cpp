// The liability and reconciliation queries on each dialect, over small hand-made fleets.
#include "support/ReportFixture.h"
#include "support/Sql.h"

#include "db/Connection.h"
#include "ledger/ReportQueries.h"

namespace {
QString line(const LiabilityLine& l) {
  return QStringLiteral("%1/%2/%3").arg(l.cards).arg(l.balance.toString(), l.points.toString());
}
}  // namespace

class LiabilityQueryTest : public ReportTest {
protected:
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    liabilityFleet();
  }
  const QString s1 = QStringLiteral("01"), s2 = QStringLiteral("02");
};

TEST_P(LiabilityQueryTest, LiveCardsByStoreMonthAndExpiryBucket) {
  const Liability l = Must(ComputeLiability(gCnn(), QDate(2026, 3, 10)));
  EXPECT_EQ(line(l.total), QStringLiteral("5/1500.5/6"));
  EXPECT_EQ(line(l.byStore.value(s1)), QStringLiteral("2/300/3"));
  EXPECT_EQ(line(l.byStore.value(s2)), QStringLiteral("3/1200.5/3"));
  EXPECT_EQ(l.byMonth.keys(), (QStringList{QStringLiteral("2026/03"), QStringLiteral("2026/04"), QStringLiteral("2026/06"),
                                           QStringLiteral("2027/03")}));
  EXPECT_EQ(line(l.byMonth.value(QStringLiteral("2027/03"))), QStringLiteral("2/900/0"));
  QStringList buckets;
  for (const LiabilityLine& b : l.buckets) buckets << line(b);
  EXPECT_EQ(buckets, (QStringList{QStringLiteral("1/100/1"), QStringLiteral("1/200/2"), QStringLiteral("1/300.5/3"),
                                  QStringLiteral("1/400/0"), QStringLiteral("1/500/0")}));
}

// A past day: balances before later movements, a card blacklisted later still live, a
// replacement made later not yet there, and one erased before that day not live.
TEST_P(LiabilityQueryTest, APastDayTakesBackWhatTheJournalMovedAfterIt) {
  txn(QStringLiteral("21"), QStringLiteral("V4"), "2026/03/11 00:00:00", QStringLiteral("100"));
  txn(QStringLiteral("99"), QStringLiteral("V7"), "2026/03/11 09:00:00", QStringLiteral("0"));
  txn(QStringLiteral("81"), QStringLiteral("V6"), "2026/03/10 23:59:59", QStringLiteral("0"));
  card(QStringLiteral("V9"), QStringLiteral("12"), s1, "2027/03/11", QStringLiteral("1000"));
  txn(QStringLiteral("12"), QStringLiteral("V9"), "2026/03/11 09:00:00", QStringLiteral("1000"));
  EXPECT_EQ(line(Must(ComputeLiability(gCnn(), QDate(2026, 3, 10))).total), QStringLiteral("6/2400.5/6"));
  // Later: the top-up stands, V8 is issued, the blacklisted card is gone and its replacement
  // holds its value.
  EXPECT_EQ(line(Must(ComputeLiability(gCnn(), QDate(2026, 3, 12))).total), QStringLiteral("7/3500.5/6"));
}

TOLVA_DB_TEST_SUITE(LiabilityQueryTest);

class ReconcileQueryTest : public ReportTest {
protected:
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    reconcileFleet();
  }
  static QStringList report() {
    QStringList out;
    for (const ReconcileRow& r : Must(SelectDisagreements(gCnn()))) out << ReconcileCells(r).join(QLatin1Char('|'));
    return out;
  }
};

TEST_P(ReconcileQueryTest, EachKindOfDisagreementShowsOnce) {
  EXPECT_EQ(report(), QStringList{});
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET BalAmt = 650 WHERE CardNo = 'V1'"));
  Exec(gCnn(), QStringLiteral("DELETE FROM TolvaLog WHERE CardNo = 'V2'"));
  card(QStringLiteral("V4"), QStringLiteral("99"), QStringLiteral("01"), "2027/12/31", QStringLiteral("0"));
  txn(QStringLiteral("21"), QStringLiteral("X9"), "2026/03/05 10:00:00", QStringLiteral("20"));
  EXPECT_EQ(report(), (QStringList{QStringLiteral("V1|餘額不符|650|700.1|-50.1|10|10|0"),
                                   QStringLiteral("V2|餘額不符|400|0|400|0|0|0"),
                                   QStringLiteral("X9|無主檔資料|0|20|-20|0|0|0"),
                                   QStringLiteral("V4|黑名單未列入VoidCard|0|0|0|0|0|0")}));
  // A withdrawn-card row for a card that is not blacklisted.
  Exec(gCnn(), QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) VALUES ('V1', '')"));
  EXPECT_EQ(report().last(), QStringLiteral("V1|VoidCard非黑名單卡|0|0|0|0|0|0"));
}

TOLVA_DB_TEST_SUITE(ReconcileQueryTest);
