// The good-thru change without a window, one card at a time: the card's stripe, face, master row
// and journal change together; an unknown card or a failed row leaves the card as it was.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "db/Database.h"
#include "device/StripeRecord.h"
#include "operations/GoodThruChange.h"

#include <QSqlQuery>

class GoodThruChangeTest : public IssueTest {
protected:
  // Puts the card into the reader and changes its date; the outcome, and the card as read.
  CardOutcome change(const QString& cardNo, const QString& goodThru, const QString& newDate, CardImage* read = nullptr) {
    insertCard(cardNo, goodThru, QStringLiteral("500"), QStringLiteral("7"));
    return ChangeGoodThru(ctx(), newDate, QStringLiteral("Line A\n"), [read](const CardImage& c) {
      if (read) *read = c;
    });
  }
  QString cardDate() const {
    QString no, store, batch, thru, bal, pts, msg;
    return DecodeStripeRecord(SlotCard().tracks[0], no, store, batch, thru, bal, pts, msg) ? thru : QStringLiteral("unreadable");
  }
  QDate masterDate(const QString& cardNo) const {
    const auto t = ToDateTime(scalar(QStringLiteral("SELECT GoodThru FROM Tolva WHERE CardNo = ") + QuotText(cardNo)));
    return t ? t->date() : QDate();
  }
  // The change rows as "card|type|amount|remark".
  QStringList changes() const {
    QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT CardNo, TxnType, TxnAmt, Remark FROM TolvaLog ORDER BY RNo"));
    QStringList rows;
    while (q.next()) {
      rows << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString() + QLatin1Char('|') +
                  Money::fromVariant(q.value(2)).toString() + QLatin1Char('|') + q.value(3).toString();
    }
    return rows;
  }
};

TEST_P(GoodThruChangeTest, EveryCardGetsTheDateWhetherExpiredBlacklistedOrLater) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("11"), QStringLiteral("500"), QStringLiteral("7"),
            QStringLiteral("2026/01/31"));
  blacklist(QStringLiteral("V000002"));  // expired and blacklisted: not refused here
  addMaster(QStringLiteral("V000003"), QStringLiteral("99"), QStringLiteral("500"), QStringLiteral("7"),
            QStringLiteral("2030/12/31"));  // a later date than the new one
  const struct {
    const char* cardNo;
    const char* goodThru;
  } cards[] = {{"V000001", "2027/12/31"}, {"V000002", "2026/01/31"}, {"V000003", "2030/12/31"}};
  for (const auto& c : cards) {
    const QString cardNo = QString::fromLatin1(c.cardNo);
    CardImage read;
    const CardOutcome out = change(cardNo, QString::fromLatin1(c.goodThru), QStringLiteral("2028/06/30"), &read);
    EXPECT_TRUE(out.ok) << c.cardNo << " " << out.message.toStdString();
    EXPECT_EQ(out.detail, QString::fromLatin1(c.goodThru) + QStringLiteral("-2028/06/30"));
    EXPECT_EQ(read.cardNo.trimmed(), cardNo);
    EXPECT_EQ(cardDate(), QStringLiteral("2028/06/30")) << c.cardNo;
    EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 效期: 2028/06/30"))) << c.cardNo;
    EXPECT_TRUE(SlotCard().face.endsWith(QStringLiteral("Line A\n"))) << c.cardNo;
    EXPECT_EQ(masterDate(cardNo), QDate(2028, 6, 30)) << c.cardNo;
    EXPECT_TRUE(TestReader().slotFile().isEmpty());
  }
  // Only the date changes: the master row's balance is left as it was.
  EXPECT_EQ(master(QStringLiteral("BalAmt"), QStringLiteral("V000001")), Money::fromInt(1000));
  EXPECT_EQ(changes(), (QStringList{QStringLiteral("V000001|31|0|2027/12/31-2028/06/30"),
                                    QStringLiteral("V000002|31|0|2026/01/31-2028/06/30"),
                                    QStringLiteral("V000003|31|0|2030/12/31-2028/06/30")}));
  EXPECT_EQ(scalar(QStringLiteral("SELECT TxnDept || '|' || POSID || '|' || UserID FROM TolvaLog WHERE CardNo = 'V000001'")).toString(),
            QStringLiteral("100|POS1|clerk"));
  EXPECT_EQ(apLog(QStringLiteral("變更有效日期")),
            (QStringList{QStringLiteral("卡號：V000001，有效日期：2027/12/31-2028/06/30|"),
                         QStringLiteral("卡號：V000002，有效日期：2026/01/31-2028/06/30|"),
                         QStringLiteral("卡號：V000003，有效日期：2030/12/31-2028/06/30|")}));
}

TEST_P(GoodThruChangeTest, UnknownCardOrFailedRowLeavesTheCardAndACancelEndsQuietly) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  CardOutcome out = change(QStringLiteral("V000009"), QStringLiteral("2027/12/31"), QStringLiteral("2029/01/31"));
  EXPECT_EQ(out.message, QStringLiteral("Tolva主檔無卡號，卡號:V000009"));
  EXPECT_EQ(cardDate(), QStringLiteral("2027/12/31"));

  // The journal row fails inside the transaction, once the master row was changed.
  SetStatementHookForTest([](Connection& c, const QString& sql) {
    if (sql.contains(QStringLiteral("INSERT INTO TolvaLog"))) {
      EXPECT_TRUE(c.inTransaction());
      throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
    }
  });
  out = change(QStringLiteral("V000001"), QStringLiteral("2027/12/31"), QStringLiteral("2029/01/31"));
  SetStatementHookForTest(nullptr);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(cardDate(), QStringLiteral("2027/12/31"));
  EXPECT_TRUE(SlotCard().face.isEmpty());
  EXPECT_EQ(masterDate(QStringLiteral("V000001")), QDate(2027, 12, 31));
  EXPECT_FALSE(gCnn().inTransaction());
  EXPECT_TRUE(changes().isEmpty());

  // No card comes: the operator's way of ending a run, not logged.
  dialogs_->cancelWaitAfterPolls = 1;
  out = ChangeGoodThru(ctx(), QStringLiteral("2029/01/31"), QString(), nullptr);
  EXPECT_TRUE(out.cancelled);
  EXPECT_TRUE(out.endsRun());

  const QStringList log = apLog(QStringLiteral("變更有效日期"));
  ASSERT_EQ(log.size(), 2);
  EXPECT_EQ(log[0], QStringLiteral("Tolva主檔無卡號，卡號:V000009|作業拒絕"));
  EXPECT_TRUE(log[1].contains(QStringLiteral("V000001")) && log[1].endsWith(QStringLiteral("|系統錯誤"))) << log[1].toStdString();
}

TOLVA_DB_TEST_SUITE(GoodThruChangeTest);
