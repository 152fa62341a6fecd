// Re-issuing without a window: the new card's row, journal and card, which old cards it
// replaces (once), what it refuses before a card is asked for, and what a failed card leaves.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/Dates.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "device/StripeRecord.h"
#include "ledger/CardRows.h"
#include "operations/CardReissue.h"

#include <QSqlQuery>

class CardReissueTest : public IssueTest {
protected:
  // Puts a blank card (with `fault`) into the reader and re-issues the old card as a "W" card,
  // answering Yes.
  ReissueOutcome reissue(const QString& oldCardNo, const QString& fault = QString(), const QString& remark = QString()) {
    SimCard blank;
    blank.fault = fault;
    InsertTestCard(blank);
    dialogs_->yesNoAnswers.push_back(true);
    return ReissueCard(ctx(), {oldCardNo, QStringLiteral("W"), remark, QStringLiteral("歡迎光臨\n")});
  }
  QString replacement(const QString& oldCardNo) const {
    return scalar(QStringLiteral("SELECT CardNo FROM Tolva WHERE OCardNo = ") + QuotText(oldCardNo)).toString();
  }
  int rows() const { return count(QStringLiteral("SELECT COUNT(*) FROM Tolva")); }
  int waits() const { return dialogs_->texts(QStringLiteral("waitForCard")).size(); }
};

TEST_P(CardReissueTest, ReplacesATakenBackCardOnceWithItsValues) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"), QStringLiteral("1000"), QStringLiteral("30"));
  const ReissueOutcome out = reissue(QStringLiteral("V000001"), QString(), QStringLiteral("AB"));
  ASSERT_TRUE(out.ok) << out.message.toStdString();
  EXPECT_EQ(out.newCardNo, QStringLiteral("W000001"));

  QSqlQuery q = Rows(gCnn(), QStringLiteral(
      "SELECT CardNo, Status, CardType, BatchNo, IssueDate, GoodThru, BalAmt, BalPoint, IssueDept, Remark, UserID, "
      "POSID FROM Tolva WHERE OCardNo = 'V000001'"));
  ASSERT_TRUE(q.next());
  // The number's prefix is the new type; the row keeps the old card's type.
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("W000001"));
  EXPECT_EQ(q.value(1).toString(), QStringLiteral("12"));
  EXPECT_EQ(q.value(2).toString() + q.value(3).toString(), QStringLiteral("VV0001"));
  EXPECT_EQ(ToDateTime(q.value(4))->date(), QDate(2026, 1, 5));
  EXPECT_EQ(ToDateTime(q.value(5))->date(), QDate(2027, 12, 31));
  EXPECT_EQ(Money::fromVariant(q.value(6)), Money::fromInt(1000));
  EXPECT_EQ(Money::fromVariant(q.value(7)), Money::fromInt(30));
  EXPECT_EQ(q.value(8).toString() + q.value(9).toString() + q.value(10).toString() + q.value(11).toString(),
            QStringLiteral("001ABclerkPOS1"));
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("81"));  // the old row is left as it is

  QSqlQuery t = Rows(gCnn(), QStringLiteral("SELECT TxnType, CardNo, TxnAmt, TxnPoint, TxnDept FROM TolvaLog"));
  ASSERT_TRUE(t.next());
  EXPECT_EQ(t.value(0).toString() + t.value(1).toString() + t.value(4).toString(), QStringLiteral("12W000001100"));
  EXPECT_EQ(Money::fromVariant(t.value(2)), Money::fromInt(1000));
  EXPECT_EQ(Money::fromVariant(t.value(3)), Money::fromInt(30));
  EXPECT_FALSE(t.next());

  QString no, store, batch, thru, bal, pts, msg;
  ASSERT_TRUE(DecodeStripeRecord(SlotCard().tracks[0], no, store, batch, thru, bal, pts, msg));
  EXPECT_EQ(QStringList({no, store, batch, thru, bal, pts}).join('|'), QStringLiteral("W000001|001|V0001|2027/12/31|1000|30"));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral("歡迎光臨"))) << SlotCard().face.toStdString();
  EXPECT_EQ(apLog(QStringLiteral("補發卡")), QStringList{QStringLiteral("卡號:W000001，可用餘額:1000，可用點數:30|")});

  // A second replacement of the same card would create its value again.
  const int before = waits();
  const ReissueOutcome again = ReissueCard(ctx(), {QStringLiteral("V000001"), QStringLiteral("W"), QString(), QString()});
  EXPECT_EQ(again.refusal, ReissueOutcome::Refusal::NotReplaceable);
  EXPECT_EQ(again.message, QStringLiteral("此卡已補發過，新卡卡號：W000001"));
  EXPECT_EQ(waits(), before);
  EXPECT_EQ(rows(), 2);

  // A blacklisted card is replaced too.
  addMaster(QStringLiteral("V000002"), QStringLiteral("99"));
  EXPECT_TRUE(reissue(QStringLiteral("V000002")).ok);
  EXPECT_EQ(replacement(QStringLiteral("V000002")), QStringLiteral("W000002"));
}

TEST_P(CardReissueTest, RefusesBeforeAnyCardWhatCannotBeReplaced) {
  using R = ReissueOutcome::Refusal;
  for (const char* s : {"01", "11", "12"}) addMaster(QStringLiteral("V0000") + QString::fromLatin1(s), QString::fromLatin1(s));
  addMaster(QStringLiteral("V000081"), QStringLiteral("81"), QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("2026/12/07"));
  addMaster(QStringLiteral("V000099"), QStringLiteral("99"));
  auto run = [](const char* oldNo, const char* type, const char* remark) {
    return ReissueCard(ctx(), {QString::fromLatin1(oldNo), QString::fromLatin1(type), QString::fromLatin1(remark), QString()});
  };
  for (const char* s : {"01", "11", "12"}) {
    const ReissueOutcome out = run((std::string("V0000") + s).c_str(), "W", "");
    EXPECT_EQ(out.refusal, R::NotReplaceable) << s;
    // The refusal names the status that forbids it.
    EXPECT_TRUE(out.message.startsWith(QStringLiteral("不可補發卡（此卡狀態為") + QString::fromLatin1(s) + QLatin1Char(' ')))
        << out.message.toStdString();
  }
  EXPECT_EQ(run("V000081", "W", "").message, QStringLiteral("超過有效日期，不可再補發卡"));
  EXPECT_EQ(run("V000404", "W", "").refusal, R::NoSuchCard);
  EXPECT_EQ(run("", "W", "").refusal, R::NoOldCardNo);
  // The operator answers No at the confirmation; then Yes, with entries that are refused.
  dialogs_->yesNoAnswers = {false, true, true};
  EXPECT_EQ(run("V000099", "W", "").refusal, R::Declined);
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")), QStringList{QStringLiteral("此張卡片為黑名單的卡片\r\n是否要補發?")});
  EXPECT_EQ(run("V000099", "", "").refusal, R::NoCardType);
  EXPECT_EQ(run("V000099", "W", "ABCD").refusal, R::RemarkTooLong);
  EditSettings().batchKey.clear();
  EXPECT_EQ(run("V000099", "W", "").refusal, R::NoCardKey);
  EXPECT_EQ(waits(), 0);
  EXPECT_EQ(rows(), 5);
}

TEST_P(CardReissueTest, FaceFailureLeavesNoRowAndABlankCard) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"));
  const ReissueOutcome out = reissue(QStringLiteral("V000001"), QString::fromLatin1(kFaultPrintFails));
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.newCardNo, QStringLiteral("W000001"));
  EXPECT_EQ(rows(), 1);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0].trimmed(), QByteArray());
  EXPECT_TRUE(apLog(QStringLiteral("補發卡")).first().endsWith(QStringLiteral("|系統錯誤")));
  // The number was given back with the rollback.
  EXPECT_TRUE(reissue(QStringLiteral("V000001")).ok);
  EXPECT_EQ(replacement(QStringLiteral("V000001")), QStringLiteral("W000001"));
}

TEST_P(CardReissueTest, ReplacementMadeWhileTheCardIsAwaitedIsRefused) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"));
  InsertTestCard(SimCard{});
  // Another workstation replaces the card while this one waits for its blank card.
  auto insert = dialogs_->atCardWait.back();
  dialogs_->atCardWait.back() = [insert] {
    CardRow rec;
    rec.CardNo = QStringLiteral("X000009");
    rec.OCardNo = QStringLiteral("V000001");
    rec.Status = QStringLiteral("12");
    InsertCard(rec, gCnn());
    insert();
  };
  dialogs_->yesNoAnswers.push_back(true);
  const ReissueOutcome out = ReissueCard(ctx(), {QStringLiteral("V000001"), QStringLiteral("W"), QString(), QString()});
  EXPECT_EQ(out.message, QStringLiteral("此卡已補發過，新卡卡號：X000009"));
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0].trimmed(), QByteArray());
}

TOLVA_DB_TEST_SUITE(CardReissueTest);
