// The add-value top-up without a window, on each database with the simulated reader: what
// reaches the master row, the journal, the stripe and the face, what is refused and how each
// way out is logged.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/ClockSeam.h"
#include "core/Clock.h"
#include "core/Dates.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "device/CardFace.h"
#include "ledger/CardRows.h"
#include "operations/AddValue.h"
#include "operations/CardOperation.h"

#include <QSqlQuery>

class AddValueTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ReinsertTestCardAtEveryWait();  // the operator inserts the card again whenever asked
  }
  // A sold card: its master row and the same values on the card in the slot.
  void issue(const QString& goodThru, const QString& bal, const QString& cardNo = QStringLiteral("V000001")) {
    addMaster(cardNo, QStringLiteral("11"), bal, QStringLiteral("30"), goodThru);
    insertCard(cardNo, goodThru, bal, QStringLiteral("30"));
  }
  static AddValueOutcome add(const QString& amount, const QString& face = QString()) {
    return AddValue(ctx(), amount, face, nullptr);
  }
  Money bal() const { return master(QStringLiteral("BalAmt"), card_); }
  QDate thru() const {
    const auto t = ToDateTime(scalar(QStringLiteral("SELECT GoodThru FROM Tolva WHERE CardNo = 'V000001'")));
    return t ? t->date() : QDate();
  }
  int journalRows() const { return count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")); }
  StripeValues stripe() const {
    StripeValues v;
    QString msg;
    EXPECT_TRUE(ReadTestCardStripe(v, msg)) << msg.toStdString();
    return v;
  }
  // The card left the reader: an operation always ejects it.
  static bool ejected() { return TestReader().slotFile().isEmpty(); }

  const QString card_ = QStringLiteral("V000001");
};

TEST_P(AddValueTest, EntriesAndSettingsAreRefusedBeforeTheReaderIsOpened) {
  using R = AddValueOutcome::Refusal;
  const struct {
    QString amount;
    R refusal;
    QString message;
  } cases[] = {
      {QString(), R::NoCardKey, QStringLiteral("未設定資料加密碼")},  // the key is cleared for this one
      {QStringLiteral("   "), R::NoAmount, QStringLiteral("請輸入加值金額")},
      {QStringLiteral("0"), R::BadAmount, QStringLiteral("加值金額必需大於0")},
      {QStringLiteral("-5"), R::BadAmount, QStringLiteral("加值金額必需大於0")},
      {QStringLiteral("0.00001"), R::BadAmount, QStringLiteral("加值金額必需大於0")},  // nothing left at four places
      {QStringLiteral("12abc"), R::BadAmount, QStringLiteral("必需為數字")},
      {QStringLiteral("1; delete from Tolva"), R::BadAmount, QStringLiteral("必需為數字")},
      // The card carries whole amounts: a fraction would leave the card and the database apart.
      {QStringLiteral("12.5"), R::BadAmount, QStringLiteral("加值金額必需為整數")},
  };
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  QStringList expectedLog;
  for (const auto& c : cases) {
    EditSettings().batchKey = c.refusal == R::NoCardKey ? QString() : QStringLiteral("AB12");
    const AddValueOutcome out = add(c.refusal == R::NoCardKey ? QStringLiteral("100") : c.amount);
    EXPECT_FALSE(out.ok) << c.amount.toStdString();
    EXPECT_EQ(out.refusal, c.refusal) << c.amount.toStdString();
    EXPECT_EQ(out.message, c.message) << c.amount.toStdString();
    expectedLog << c.message + QStringLiteral("|作業拒絕");
    if (c.refusal == R::BadAmount) {
      QString msg;
      EXPECT_FALSE(CheckAddAmount(c.amount, msg));
      EXPECT_EQ(msg, c.message);
    }
  }
  // A balance limit that is no number is the installation's fault, not the operator's.
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("x")));
  const AddValueOutcome out = add(QStringLiteral("100"));
  EXPECT_EQ(out.refusal, R::BadParameter);
  EXPECT_TRUE(apLog(QStringLiteral("加值")).last().endsWith(QStringLiteral("|系統錯誤")));
  EXPECT_EQ(apLog(QStringLiteral("加值")).mid(0, expectedLog.size()), expectedLog);

  EXPECT_FALSE(ejected());  // the reader was never opened
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  EXPECT_EQ(bal(), Money::fromInt(1000));
  EXPECT_EQ(journalRows(), 0);
}

TEST_P(AddValueTest, ValidCardIsToppedUpAndRenewedToNextYearsMonthEnd) {
  // The old date lies later than the renewal: it is still moved to the end of next year's month.
  issue(QStringLiteral("2029/06/30"), QStringLiteral("1000"));
  QString readNo, readBal, newBal;
  const AddValueOutcome out = AddValue(ctx(), QStringLiteral("100"), QStringLiteral("春季促銷\n\n\n\n\n\n"),
                                       [&](const CardImage& card, const Money& after) {
                                         readNo = card.cardNo;
                                         readBal = card.balAmt;
                                         newBal = after.toString();
                                       });
  ASSERT_TRUE(out.ok) << out.message.toStdString();
  EXPECT_EQ(readNo, card_);
  EXPECT_EQ(readBal, QStringLiteral("1000"));
  EXPECT_EQ(newBal, QStringLiteral("1100"));
  ASSERT_TRUE(out.written);
  EXPECT_EQ(out.written->goodThru.toString(), QStringLiteral("2027/12/31"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("askYesNo")).isEmpty());
  EXPECT_TRUE(ejected());

  EXPECT_EQ(bal(), Money::fromInt(1100));
  EXPECT_EQ(thru(), QDate(2027, 12, 31));
  QSqlQuery q = Rows(gCnn(), QStringLiteral(
      "SELECT TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, POSID, UserID, FileDate FROM TolvaLog"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("100"));
  EXPECT_EQ(q.value(1).toString(), QStringLiteral("21"));
  EXPECT_EQ(q.value(2).toString(), card_);
  EXPECT_EQ(ToDateTime(q.value(3))->date(), today());
  EXPECT_EQ(Money::fromVariant(q.value(4)), Money::fromInt(100));
  EXPECT_EQ(Money::fromVariant(q.value(5)), Money{});
  EXPECT_EQ(q.value(6).toString(), QStringLiteral("POS1"));
  EXPECT_EQ(q.value(7).toString(), QStringLiteral("clerk"));
  EXPECT_FALSE(q.value(8).isNull());
  EXPECT_FALSE(q.next());

  EXPECT_EQ(SlotCard().face, *CardFaceText(card_, QStringLiteral("001"), QStringLiteral("2027/12/31"), QStringLiteral("1100"),
                                           QStringLiteral("30"), QStringLiteral("春季促銷\n\n\n\n\n\n"),
                                           QStringLiteral("1000"), QStringLiteral("100")));
  const StripeValues s = stripe();
  EXPECT_EQ(s.cardNo, card_);
  EXPECT_EQ(s.storeNo, QStringLiteral("001"));
  EXPECT_EQ(s.batchNo, QStringLiteral("V0001"));
  EXPECT_EQ(s.goodThru, QStringLiteral("2027/12/31"));
  EXPECT_EQ(s.balAmt, QStringLiteral("1100"));
  EXPECT_EQ(s.balPoint, QStringLiteral("30"));
  EXPECT_EQ(apLog(QStringLiteral("加值")), QStringList{QStringLiteral("卡號：V000001，加值金額：100|")});
}

TEST_P(AddValueTest, RenewalLandsOnTheLastDayOfTheMonthNextYear) {
  SetNowForTest(QDateTime(QDate(2027, 2, 10), QTime(9, 0)));
  issue(QStringLiteral("2027/06/30"), QStringLiteral("0"));
  EXPECT_TRUE(add(QStringLiteral("50")).ok);
  EXPECT_EQ(thru(), QDate(2028, 2, 29));  // a leap year's February
  EXPECT_EQ(stripe().goodThru, QStringLiteral("2028/02/29"));
}

TEST_P(AddValueTest, ExpiredCardIsToppedUpOnlyAfterYesAndOneExpiringTodayWithoutAQuestion) {
  issue(QStringLiteral("2026/12/07"), QStringLiteral("1000"));
  const QByteArray before = SlotCard().tracks[0];
  dialogs_->yesNoAnswers = {false, true};
  EXPECT_EQ(add(QStringLiteral("200")).message, QStringLiteral("超出有效期限，未加值"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")), QStringList{QStringLiteral("超出有效期限，是否要繼續加值？")});
  EXPECT_EQ(bal(), Money::fromInt(1000));
  EXPECT_EQ(thru(), QDate(2026, 12, 7));
  EXPECT_EQ(journalRows(), 0);
  EXPECT_EQ(SlotCard().tracks[0], before);
  EXPECT_TRUE(ejected());

  EXPECT_TRUE(add(QStringLiteral("200")).ok);
  EXPECT_EQ(bal(), Money::fromInt(1200));
  EXPECT_EQ(thru(), QDate(2027, 12, 31));
  EXPECT_EQ(stripe().balAmt, QStringLiteral("1200"));
  EXPECT_EQ(apLog(QStringLiteral("加值")).size(), 2);

  Exec(gCnn(), QStringLiteral("DELETE FROM Tolva"));
  dialogs_->clear();
  TestReader().takeOut();
  issue(QStringLiteral("2026/12/08"), QStringLiteral("10"));
  EXPECT_TRUE(add(QStringLiteral("5")).ok);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("askYesNo")).isEmpty());
  EXPECT_EQ(bal(), Money::fromInt(15));
}

TEST_P(AddValueTest, BlacklistedCardAndBalanceLimitAreRefusedLikeAtTheCounter) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  blacklist(card_);
  EXPECT_EQ(add(QStringLiteral("100")).message, QStringLiteral("此張卡片已列入黑名單中"));
  Exec(gCnn(), QStringLiteral("DELETE FROM VoidCard"));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("1050")));
  EXPECT_EQ(add(QStringLiteral("100")).message, QStringLiteral("加值後餘額超過上限"));
  EXPECT_EQ(bal(), Money::fromInt(1000));
  EXPECT_EQ(journalRows(), 0);
  // The log names the card.
  EXPECT_EQ(apLog(QStringLiteral("加值")), (QStringList{QStringLiteral("此張卡片已列入黑名單中，卡號:V000001|作業拒絕"),
                                                      QStringLiteral("加值後餘額超過上限，卡號:V000001|作業拒絕")}));
  EXPECT_TRUE(add(QStringLiteral("50")).ok);
  EXPECT_EQ(bal(), Money::fromInt(1050));
}

TEST_P(AddValueTest, NumericTextsInOtherFormsChangeTheDatabaseLikeTheirPlainForm) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("0"));
  const QStringList forms = {QStringLiteral("100"), QStringLiteral("  100"), QStringLiteral("+100"),
                             QStringLiteral("100.00"), QStringLiteral("1e2"), QStringLiteral("1.E+2 ")};
  Money expected;
  for (const QString& text : forms) {
    EXPECT_TRUE(add(text).ok) << text.toStdString();
    expected += Money::fromInt(100);
    EXPECT_EQ(bal(), expected) << text.toStdString();
    EXPECT_EQ(stripe().balAmt, expected.toString()) << text.toStdString();
  }
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnAmt = 100")), forms.size());
}

TEST_P(AddValueTest, FailedFaceOrStripeLeavesDatabaseAndCardAsTheyWere) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  const struct {
    const char* fault;
    QString message;
  } cases[] = {
      // The face cannot be printed, nor the old one put back: the stripe is, and the card is named.
      {kFaultPrintFails, QStringLiteral("列印資料失敗!；卡號 V000001 的卡面無法回復，請重新列印卡面")},
      {kFaultWriteFails, QStringLiteral("磁條寫入失敗，卡號:V000001")},
  };
  for (const auto& c : cases) {
    SimCard card = SlotCard();
    card.fault = QString::fromLatin1(c.fault);
    card.face = QStringLiteral("old face");
    ASSERT_TRUE(SaveTestCard(card));
    const QByteArray before = card.tracks[0];
    const AddValueOutcome out = add(QStringLiteral("300"));
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(WithCardNo(out.message, out.card), c.message);
    EXPECT_EQ(bal(), Money::fromInt(1000));
    EXPECT_EQ(thru(), QDate(2027, 12, 31));
    EXPECT_EQ(journalRows(), 0);
    EXPECT_EQ(SlotCard().tracks[0], before) << c.fault;
    EXPECT_TRUE(ejected());
    EXPECT_EQ(apLog(QStringLiteral("加值")).last(), c.message + QStringLiteral("|系統錯誤"));
  }
}

TEST_P(AddValueTest, EveryWayOutLogsOnceAndEjects) {
  // Cancelled wait: no card in the slot.
  dialogs_->cancelWaitAfterPolls = 2;
  EXPECT_TRUE(add(QStringLiteral("10")).cancelled);

  // A card with no master row: the update finds nothing, the journal stays empty.
  dialogs_->cancelWaitAfterPolls = -1;
  insertCard(QStringLiteral("V000009"), QStringLiteral("2027/12/31"), QStringLiteral("50"), QStringLiteral("0"));
  const QByteArray before = SlotCard().tracks[0];
  EXPECT_EQ(add(QStringLiteral("10")).message, QStringLiteral("Tolva主檔更新失敗，卡號:V000009"));
  EXPECT_EQ(journalRows(), 0);
  EXPECT_EQ(SlotCard().tracks[0], before);
  EXPECT_TRUE(ejected());

  // A card written under another key: its values do not read as numbers.
  EditSettings().batchKey = QStringLiteral("ZZ99");
  EXPECT_EQ(add(QStringLiteral("10")).message, QStringLiteral("卡片資料有誤"));
  EXPECT_TRUE(ejected());
  EditSettings().batchKey = QStringLiteral("AB12");

  // A balance that would not fit the card's eight positions is refused before any change.
  TestReader().takeOut();
  issue(QStringLiteral("2027/12/31"), QStringLiteral("99999000"));
  EXPECT_EQ(add(QStringLiteral("1000")).message, QStringLiteral("金額超過卡片可記錄的位數，卡號:V000001"));
  EXPECT_EQ(bal(), Money::fromInt(99999000));
  EXPECT_TRUE(ejected());

  EXPECT_EQ(apLog(QStringLiteral("加值")),
            (QStringList{QStringLiteral("取消作業|作業拒絕"), QStringLiteral("Tolva主檔更新失敗，卡號:V000009|作業拒絕"),
                         QStringLiteral("卡片資料有誤，卡號:V000009|作業拒絕"),
                         QStringLiteral("金額超過卡片可記錄的位數，卡號:V000001|作業拒絕")}));
}

TOLVA_DB_TEST_SUITE(AddValueTest);
