// The re-issue window on each database with the simulated reader: the new card's row, journal
// and card, which old cards it replaces, and what a failed card leaves behind.
#include "support/IssueFixture.h"

#include "core/Dates.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "device/StripeRecord.h"
#include "ui/CardMessagePanel.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "db/Database.h"
#include "windows/issue/ReissueWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

class ReIssueCardTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = std::make_unique<ReissueWindow>();
    window_->txtNewCardType()->setText(QStringLiteral("w"));
  }
  void TearDown() override {
    window_.reset();
    IssueTest::TearDown();
  }

  // Loads the old card, puts a blank card (with `fault`) into the reader and presses 補發卡,
  // answering Yes.
  void runReissue(const QString& oldCardNo, const QString& fault = QString()) {
    window_->txtOCardNo()->setText(oldCardNo);
    ASSERT_TRUE(window_->checkOldCardNumber());
    SimCard blank;
    blank.fault = fault;
    InsertTestCard(blank);
    dialogs_->yesNoAnswers.push_back(true);
    window_->reissueCard();
  }
  QString replacement(const QString& oldCardNo) {
    return scalar(QStringLiteral("SELECT CardNo FROM Tolva WHERE OCardNo = ") + QuotText(oldCardNo)).toString();
  }
  int rows() { return count(QStringLiteral("SELECT COUNT(*) FROM Tolva")); }

  QString lastMsg() const {
    const QStringList shown = dialogs_->texts(QStringLiteral("showMsg"));
    return shown.isEmpty() ? QString() : shown.last();
  }

  std::unique_ptr<ReissueWindow> window_;
};

TEST_P(ReIssueCardTest, ReplacesATakenBackCardOnceWithItsValues) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"), QStringLiteral("1000"), QStringLiteral("30"));
  EXPECT_TRUE(window_->cmdIsuCard()->isHidden());
  window_->txtRemark()->setText(QStringLiteral("AB"));
  window_->msgPanel()->line(0)->setText(QStringLiteral("歡迎光臨"));
  runReissue(QStringLiteral("v000001"));
  EXPECT_FALSE(window_->cmdIsuCard()->isHidden());
  EXPECT_EQ(window_->field(QStringLiteral("txtStatusDscp"))->text(), QStringLiteral("已清除"));
  EXPECT_EQ(window_->field(QStringLiteral("txtBalPoint"))->text(), QStringLiteral("30"));

  QSqlQuery q = gCnn().query(QStringLiteral(
      "SELECT CardNo, Status, CardType, BatchNo, IssueDate, GoodThru, BalAmt, BalPoint, IssueDept, Remark, UserID, "
      "POSID FROM Tolva WHERE OCardNo = 'V000001'"));
  ASSERT_TRUE(q.next());
  // The number's prefix is the new type field; the row keeps the old card's type.
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

  QSqlQuery t = gCnn().query(QStringLiteral("SELECT TxnType, CardNo, TxnAmt, TxnPoint, TxnDept FROM TolvaLog"));
  ASSERT_TRUE(t.next());
  EXPECT_EQ(t.value(0).toString() + t.value(1).toString() + t.value(4).toString(), QStringLiteral("12W000001100"));
  EXPECT_EQ(Money::fromVariant(t.value(2)), Money::fromInt(1000));
  EXPECT_EQ(Money::fromVariant(t.value(3)), Money::fromInt(30));
  EXPECT_FALSE(t.next());

  QString no, store, batch, thru, bal, pts, msg;
  ASSERT_TRUE(DecodeStripeRecord(SlotCard().tracks[0], no, store, batch, thru, bal, pts, msg));
  EXPECT_EQ(QStringList({no, store, batch, thru, bal, pts}).join('|'),
            QStringLiteral("W000001|001|V0001|2027/12/31|1000|30"));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral("歡迎光臨"))) << SlotCard().face.toStdString();
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("已補發，新卡卡號：W000001"));
  EXPECT_EQ(apLog(QStringLiteral("補發卡")), QStringList{QStringLiteral("卡號:W000001，可用餘額:1000，可用點數:30|")});

  // A second replacement of the same card would create its value again.
  const int waits = dialogs_->texts(QStringLiteral("waitForCard")).size();
  window_->reissueCard();
  EXPECT_EQ(lastMsg(), QStringLiteral("此卡已補發過，新卡卡號：W000001"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("waitForCard")).size(), waits);
  EXPECT_EQ(rows(), 2);

  addMaster(QStringLiteral("V000002"), QStringLiteral("99"));
  runReissue(QStringLiteral("V000002"));
  EXPECT_EQ(replacement(QStringLiteral("V000002")), QStringLiteral("W000002"));
}

TEST_P(ReIssueCardTest, RefusesCardsNotTakenBackAndExpiredCards) {
  for (const char* s : {"01", "11", "12"}) addMaster(QStringLiteral("V0000") + QString::fromLatin1(s), QString::fromLatin1(s));
  addMaster(QStringLiteral("V000081"), QStringLiteral("81"), QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("2026/12/07"));
  addMaster(QStringLiteral("V000099"), QStringLiteral("99"));
  for (const char* s : {"01", "11", "12"}) {
    runReissue(QStringLiteral("V0000") + QString::fromLatin1(s));
    // The refusal names the status that forbids it.
    EXPECT_TRUE(lastMsg().startsWith(QStringLiteral("不可補發卡（此卡狀態為") + QString::fromLatin1(s) + QLatin1Char(' ')))
        << lastMsg().toStdString();
  }
  runReissue(QStringLiteral("V000081"));
  EXPECT_EQ(lastMsg(), QStringLiteral("超過有效日期，不可再補發卡"));
  // The operator answers No at the confirmation.
  dialogs_->yesNoAnswers.clear();
  window_->txtOCardNo()->setText(QStringLiteral("V000099"));
  ASSERT_TRUE(window_->checkOldCardNumber());
  window_->reissueCard();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")), QStringList{QStringLiteral("此張卡片為黑名單的卡片\r\n是否要補發?")});
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  EXPECT_EQ(rows(), 5);
  window_->txtOCardNo()->setText(QStringLiteral("V000404"));
  EXPECT_FALSE(window_->checkOldCardNumber());
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("資料庫無此卡號"));
}

TEST_P(ReIssueCardTest, FaceFailureLeavesNoRowAndABlankCard) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"));
  runReissue(QStringLiteral("V000001"), QString::fromLatin1(kFaultPrintFails));
  EXPECT_EQ(rows(), 1);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0].trimmed(), QByteArray());
  ASSERT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).first().contains(QStringLiteral("卡號:W000001")));
  EXPECT_TRUE(apLog(QStringLiteral("補發卡")).first().endsWith(QStringLiteral("|系統錯誤")));
  // The number was given back with the rollback.
  runReissue(QStringLiteral("V000001"));
  EXPECT_EQ(replacement(QStringLiteral("V000001")), QStringLiteral("W000001"));
}

TEST_P(ReIssueCardTest, ReplacementMadeWhileTheCardIsAwaitedIsRefused) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"));
  window_->txtOCardNo()->setText(QStringLiteral("V000001"));
  ASSERT_TRUE(window_->checkOldCardNumber());
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
  window_->reissueCard();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("此卡已補發過，新卡卡號：X000009")});
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0].trimmed(), QByteArray());
}

TOLVA_DB_TEST_SUITE(ReIssueCardTest);
