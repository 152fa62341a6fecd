// The add-value window on each database with the simulated reader: what reaches the master
// row, the journal, the stripe and the face, and what every press leaves in the log.
#include "support/IssueFixture.h"
#include "device/CurrentReaderSeam.h"
#include "core/ClockSeam.h"
#include "core/Clock.h"
#include "core/Dates.h"
#include "core/Money.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "device/SimulatedReader.h"
#include "device/CurrentReader.h"
#include "device/CardFace.h"
#include "device/StripeRecord.h"
#include "ui/CardMessagePanel.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "db/Parameters.h"
#include "windows/counter/MenuWindows.h"
#include "windows/issue/AddValueWindow.h"
#include "support/CardSim.h"
#include "support/Screenshot.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <functional>
#include <memory>
#include <utility>

namespace {

using I = std::int32_t;

// The simulator, recording the calls that reach it.
class RecordingDriver final : public ReaderDriver {
public:
  SimulatedReader inner{[] { return gAppPath + QStringLiteral("/CardSim"); }};
  int calls = 0;
  QStringList ops;  // every call but the polls of pending operations

  int note(const char* op) {
    ++calls;
    const QString name = QString::fromLatin1(op);
    if (name != QLatin1String("CRWResultFunction") && name != QLatin1String("CRWCloseFunction")) ops.append(name);
    return 0;
  }
  // True when the card was ejected after the last thing done to it; starts the next record.
  bool endedWithEject() {
    const bool ejected = !ops.isEmpty() && ops.last() == QLatin1String("CRWCardOut");
    ops.clear();
    return ejected;
  }

  I CRWCountOpen() override { return note("CRWCountOpen"), inner.CRWCountOpen(); }
  I CRWGetDeviceHandle(I i) override { return note("CRWGetDeviceHandle"), inner.CRWGetDeviceHandle(i); }
  I CRWGetDeviceName(I h, char* b, I* l) override { return note("CRWGetDeviceName"), inner.CRWGetDeviceName(h, b, l); }
  I CRWOpenDevice(const char* p) override { return note("CRWOpenDevice"), inner.CRWOpenDevice(p); }
  I CRWCloseDevice(I h) override { return note("CRWCloseDevice"), inner.CRWCloseDevice(h); }
  I CRWGetCommDCBState(I h, Dcb* d) override { return note("CRWGetCommDCBState"), inner.CRWGetCommDCBState(h, d); }
  I CRWSetCommDCBState(I h, const Dcb* d) override { return note("CRWSetCommDCBState"), inner.CRWSetCommDCBState(h, d); }
  I CRWInitial(I h, I* o, I* f, I mode) override { return note("CRWInitial"), inner.CRWInitial(h, o, f, mode); }
  I CRWWaitForCard(I h, I* s, I* f) override { return note("CRWWaitForCard"), inner.CRWWaitForCard(h, s, f); }
  I CRWCardCancel(I h, I* o, I* f) override { return note("CRWCardCancel"), inner.CRWCardCancel(h, o, f); }
  I CRWCardOut(I h, I* o, I* f) override { return note("CRWCardOut"), inner.CRWCardOut(h, o, f); }
  I CRWSetMode(I h, I* o, I* f, I* a, I* b, I* c, I* d, I* e, I* g, I* k) override {
    return note("CRWSetMode"), inner.CRWSetMode(h, o, f, a, b, c, d, e, g, k);
  }
  I CRWGetMSData(I h, I* o, I* f, I* m, I* l, char* t) override { return note("CRWGetMSData"), inner.CRWGetMSData(h, o, f, m, l, t); }
  I CRWSetMSData(I h, I* id, I* f, I mode, I length, const char* data) override {
    return note("CRWSetMSData"), inner.CRWSetMSData(h, id, f, mode, length, data);
  }
  // Runs once, when the next stripe write is started: what the window does meanwhile.
  std::function<void()> duringWrite;
  I CRWWriteMSData(I h, I id, I* f, I* o) override {
    if (duringWrite) std::exchange(duringWrite, nullptr)();
    return note("CRWWriteMSData"), inner.CRWWriteMSData(h, id, f, o);
  }
  I CRWSetPrintMode(I h, I* o, I* f, I* v1, I* v2, I* v3, I* v4, I* v5, I* v6, I* v7, I* v8, I* v9, I* v10,
                    I* v11) override {
    return note("CRWSetPrintMode"), inner.CRWSetPrintMode(h, o, f, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11);
  }
  I CRWErasePrint(I h, I* o, I* f) override { return note("CRWErasePrint"), inner.CRWErasePrint(h, o, f); }
  I CRWPrintData(I h, I* o, I* f, I* x, I* y, I* z, const char* text) override {
    return note("CRWPrintData"), inner.CRWPrintData(h, o, f, x, y, z, text);
  }
  I CRWPrint(I h, I* o, I* f, I* o2) override { return note("CRWPrint"), inner.CRWPrint(h, o, f, o2); }
  I CRWResultFunction(I h, I f, I* r) override { return note("CRWResultFunction"), inner.CRWResultFunction(h, f, r); }
  I CRWCloseFunction(I h, I f) override { return note("CRWCloseFunction"), inner.CRWCloseFunction(h, f); }
};

const QString kCard = QStringLiteral("V000001");

}  // namespace

class AddAmtTest : public CardDbTest {
protected:
  void SetUp() override {
    CardDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    SetCrwDeviceForTest(&driver_);
    ReinsertTestCardAtEveryWait();  // the operator inserts the card again whenever asked
    SetNowForTest(QDateTime(QDate(2026, 3, 15), QTime(10, 0)));
    gStoreID = QStringLiteral("001");
    window_ = std::make_unique<AddValueWindow>();
  }
  void TearDown() override {
    window_.reset();
    SetNowForTest(QDateTime());
    CardDbTest::TearDown();
  }

  // A sold card: its master row and the same values on the card in the slot.
  void issue(const QString& goodThru, const QString& bal, const QString& cardNo = kCard) {
    CardRow r;
    r.BatchNo = QStringLiteral("V0001");
    r.CardType = QStringLiteral("V");
    r.CardNo = cardNo;
    r.Status = QStringLiteral("11");
    r.IssueDate = QDate(2025, 1, 2);
    r.GoodThru = goodThru;
    r.BalAmt = bal;
    r.BalPoint = QStringLiteral("30");
    r.IssueDept = QStringLiteral("001");
    ASSERT_TRUE(InsertCard(r, gCnn()));
    InsertRecordCard(cardNo, QStringLiteral("001"), QStringLiteral("V0001"), goodThru, bal, QStringLiteral("30"));
  }
  void press(const QString& amount) {
    window_->txtAddAmt()->setText(amount);
    window_->cmdOK_Click();
  }

  Money dbBal(const QString& cardNo = kCard) {
    return Money::fromVariant(gCnn().scalar(QStringLiteral("SELECT BalAmt FROM Tolva WHERE CardNo = '") + cardNo + "'"));
  }
  QDate dbThru(const QString& cardNo = kCard) {
    const auto t = ToDateTime(gCnn().scalar(QStringLiteral("SELECT GoodThru FROM Tolva WHERE CardNo = '") + cardNo + "'"));
    return t ? t->date() : QDate();
  }
  int count(const QString& sql) { return gCnn().scalar(sql).toInt(); }
  int journalRows() { return count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")); }
  // The application log rows, oldest first: message and remark.
  QList<QPair<QString, QString>> apLog() {
    QList<QPair<QString, QString>> rows;
    QSqlQuery q = gCnn().query(QStringLiteral("SELECT LogMsg, Remark, ActionID, ProgID FROM xxAPLOG ORDER BY RNo"));
    while (q.next()) {
      EXPECT_EQ(q.value(2).toString(), QStringLiteral("加值"));
      EXPECT_EQ(q.value(3).toString(), gAppName);
      rows.append({q.value(0).toString(), q.value(1).toString()});
    }
    return rows;
  }
  struct Stripe {
    QString cardNo, store, batch, goodThru, bal, points;
  };
  Stripe readSlot() {
    Stripe s;
    QString msg;
    StripeValues v;
    EXPECT_TRUE(ReadTestCardStripe(v, msg)) << msg.toStdString();
    s = Stripe{v.cardNo, v.storeNo, v.batchNo, v.goodThru, v.balAmt, v.balPoint};
    return s;
  }

  RecordingDriver driver_;
  std::unique_ptr<AddValueWindow> window_;
};

TEST_P(AddAmtTest, AmountCheckedOnLeavingTheFieldAndOnTheButton) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  AddValueWindow& w = *window_;
  const QList<QPair<QString, QString>> refused = {
      {QStringLiteral("0"), QStringLiteral("加值金額必需大於0")},
      {QStringLiteral("-5"), QStringLiteral("加值金額必需大於0")},
      {QStringLiteral("0.00001"), QStringLiteral("加值金額必需大於0")},  // nothing left at four places
      {QStringLiteral("12abc"), QStringLiteral("必需為數字")},
      {QStringLiteral("1; delete from Tolva"), QStringLiteral("必需為數字")},
      {QStringLiteral("12.5"), QStringLiteral("加值金額必需為整數")},
  };
  for (const auto& [text, message] : refused) {
    w.txtAddAmt()->setText(text);
    EXPECT_FALSE(w.txtAddAmt_Validate()) << text.toStdString();
    EXPECT_EQ(w.elaMsg()->caption(), message) << text.toStdString();
    // The button does not get round the check, and the reader is not asked for a card.
    w.cmdOK_Click();
    EXPECT_EQ(w.elaMsg()->caption(), message);
  }
  w.txtAddAmt()->setText(QStringLiteral("   "));
  EXPECT_TRUE(w.txtAddAmt_Validate());  // an empty field may be left
  w.cmdOK_Click();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")), QStringList{QStringLiteral("請輸入加值金額")});

  EXPECT_EQ(driver_.calls, 0);
  EXPECT_EQ(dbBal(), Money::fromInt(1000));
  EXPECT_EQ(journalRows(), 0);
  // One refusal per press, never a top-up; no card was read.
  const auto log = apLog();
  ASSERT_EQ(log.size(), refused.size() + 1);
  EXPECT_EQ(log[0], qMakePair(QStringLiteral("加值金額必需大於0"), QStringLiteral("作業拒絕")));
  EXPECT_EQ(log.last(), qMakePair(QStringLiteral("請輸入加值金額"), QStringLiteral("作業拒絕")));
}

TEST_P(AddAmtTest, MissingCardDataKeyLeavesTheDeviceAlone) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  gBatchKey.clear();
  press(QStringLiteral("100"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("未設定資料加密碼"));
  EXPECT_EQ(driver_.calls, 0);
  EXPECT_EQ(dbBal(), Money::fromInt(1000));
  ASSERT_EQ(apLog().size(), 1);
  EXPECT_EQ(apLog()[0], qMakePair(QStringLiteral("未設定資料加密碼"), QStringLiteral("作業拒絕")));
}

TEST_P(AddAmtTest, ValidCardIsToppedUpAndRenewedToNextYearsMonthEnd) {
  // The old date lies later than the renewal: it is still moved to the end of March 2027.
  issue(QStringLiteral("2029/06/30"), QStringLiteral("1000"));
  window_->msgPanel()->line(0)->setText(QStringLiteral("春季促銷"));
  press(QStringLiteral("100"));
  EXPECT_TRUE(driver_.endedWithEject());

  EXPECT_TRUE(dialogs_->texts(QStringLiteral("askYesNo")).isEmpty());
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("showMsg")).isEmpty()) << dialogs_->texts(QStringLiteral("showMsg")).join(' ').toStdString();
  EXPECT_EQ(dbBal(), Money::fromInt(1100));
  EXPECT_EQ(dbThru(), QDate(2027, 3, 31));
  QSqlQuery q = gCnn().query(QStringLiteral(
      "SELECT TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, POSID, UserID, FileDate FROM TolvaLog"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("001"));
  EXPECT_EQ(q.value(1).toString(), QStringLiteral("21"));
  EXPECT_EQ(q.value(2).toString(), kCard);
  EXPECT_EQ(ToDateTime(q.value(3))->date(), QDate(2026, 3, 15));
  EXPECT_EQ(Money::fromVariant(q.value(4)), Money::fromInt(100));
  EXPECT_EQ(Money::fromVariant(q.value(5)), Money{});
  EXPECT_EQ(q.value(6).toString(), QStringLiteral("WS01"));
  EXPECT_EQ(q.value(7).toString(), QStringLiteral("tester"));
  EXPECT_FALSE(q.value(8).isNull());
  EXPECT_FALSE(q.next());

  EXPECT_EQ(window_->txtCardNo()->text(), kCard);
  EXPECT_EQ(window_->txtBalAmtB()->text(), QStringLiteral("1000"));
  EXPECT_EQ(window_->txtBalAmtE()->text(), QStringLiteral("1100"));
  const QString face = SlotCard().face;
  EXPECT_EQ(face, *CardFaceText(kCard, QStringLiteral("001"), QStringLiteral("2027/03/31"), QStringLiteral("1100"),
                                QStringLiteral("30"), QStringLiteral("春季促銷\n\n\n\n\n\n"), QStringLiteral("1000"),
                                QStringLiteral("100")));
  const Stripe s = readSlot();
  EXPECT_EQ(s.cardNo, kCard);
  EXPECT_EQ(s.store, QStringLiteral("001"));
  EXPECT_EQ(s.batch, QStringLiteral("V0001"));
  EXPECT_EQ(s.goodThru, QStringLiteral("2027/03/31"));
  EXPECT_EQ(s.bal, QStringLiteral("1100"));
  EXPECT_EQ(s.points, QStringLiteral("30"));

  const auto log = apLog();
  ASSERT_EQ(log.size(), 1);
  EXPECT_EQ(log[0].first, QStringLiteral("卡號：V000001，加值金額：100"));
  EXPECT_TRUE(log[0].second.isEmpty());
  SaveScreenshot(window_.get(), QStringLiteral("fmAddAmt"));
}

TEST_P(AddAmtTest, SecondPressWhileTheCardIsWrittenIsIgnored) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  // The operator presses again while the reader is busy with the first top-up.
  driver_.duringWrite = [this] { press(QStringLiteral("100")); };
  press(QStringLiteral("100"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty())
      << dialogs_->texts(QStringLiteral("messageBox")).join(' ').toStdString();
  EXPECT_EQ(dbBal(), Money::fromInt(1100));
  EXPECT_EQ(journalRows(), 1);
  EXPECT_EQ(readSlot().bal, QStringLiteral("1100"));
  EXPECT_EQ(apLog().size(), 1);
  EXPECT_TRUE(window_->findChild<QPushButton*>(QStringLiteral("cmdOK"))->isEnabled());
}

TEST_P(AddAmtTest, RenewalLandsOnTheLastDayOfTheMonthNextYear) {
  SetNowForTest(QDateTime(QDate(2027, 2, 10), QTime(9, 0)));
  issue(QStringLiteral("2027/06/30"), QStringLiteral("0"));
  press(QStringLiteral("50"));
  EXPECT_EQ(dbThru(), QDate(2028, 2, 29));  // a leap year's February
  EXPECT_EQ(readSlot().goodThru, QStringLiteral("2028/02/29"));
}

TEST_P(AddAmtTest, ExpiredCardIsToppedUpOnlyAfterYes) {
  issue(QStringLiteral("2026/03/14"), QStringLiteral("1000"));
  const QByteArray before = SlotCard().tracks[0];
  dialogs_->yesNoAnswers = {false, true};
  press(QStringLiteral("200"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")), QStringList{QStringLiteral("超出有效期限，是否要繼續加值？")});
  EXPECT_EQ(dbBal(), Money::fromInt(1000));
  EXPECT_EQ(dbThru(), QDate(2026, 3, 14));
  EXPECT_EQ(journalRows(), 0);
  EXPECT_EQ(SlotCard().tracks[0], before);
  EXPECT_TRUE(driver_.endedWithEject());

  press(QStringLiteral("200"));
  EXPECT_EQ(dbBal(), Money::fromInt(1200));
  EXPECT_EQ(dbThru(), QDate(2027, 3, 31));
  EXPECT_EQ(journalRows(), 1);
  EXPECT_TRUE(driver_.endedWithEject());
  const Stripe s = readSlot();
  EXPECT_EQ(s.bal, QStringLiteral("1200"));
  EXPECT_EQ(s.goodThru, QStringLiteral("2027/03/31"));
  EXPECT_EQ(apLog().size(), 2);
}

TEST_P(AddAmtTest, CardThatExpiresTodayNeedsNoQuestion) {
  issue(QStringLiteral("2026/03/15"), QStringLiteral("10"));
  press(QStringLiteral("5"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("askYesNo")).isEmpty());
  EXPECT_EQ(dbBal(), Money::fromInt(15));
}

TEST_P(AddAmtTest, FractionalAmountIsRefusedBeforeTheCard) {
  // The card carries whole amounts: a fraction would leave the card and the database apart.
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  press(QStringLiteral("12.5"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("加值金額必需為整數"));
  EXPECT_EQ(driver_.calls, 0);
  EXPECT_EQ(dbBal(), Money::fromInt(1000));
  EXPECT_EQ(journalRows(), 0);
}

TEST_P(AddAmtTest, BlacklistedCardAndBalanceLimitAreRefusedLikeAtTheCounter) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  BlacklistRow listed;
  listed.CardNo = kCard;
  ASSERT_TRUE(InsertBlacklistRow(listed, gCnn()));
  press(QStringLiteral("100"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")).last(), QStringLiteral("此張卡片已列入黑名單中，卡號:V000001"));
  gCnn().execute(QStringLiteral("DELETE FROM VoidCard"));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("1050")));
  press(QStringLiteral("100"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")).last(), QStringLiteral("加值後餘額超過上限，卡號:V000001"));
  EXPECT_EQ(dbBal(), Money::fromInt(1000));
  EXPECT_EQ(journalRows(), 0);
  for (const auto& row : apLog()) EXPECT_EQ(row.second, QStringLiteral("作業拒絕")) << row.first.toStdString();
  press(QStringLiteral("50"));
  EXPECT_EQ(dbBal(), Money::fromInt(1050));
}

TEST_P(AddAmtTest, NumericTextsInOtherFormsChangeTheDatabaseLikeTheirPlainForm) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("0"));
  const QStringList forms = {QStringLiteral("100"), QStringLiteral("  100"), QStringLiteral("+100"),
                             QStringLiteral("100.00"), QStringLiteral("1e2"), QStringLiteral("1.E+2 ")};
  Money expected;
  for (const QString& text : forms) {
    press(text);
    expected += Money::fromInt(100);
    EXPECT_EQ(dbBal(), expected) << text.toStdString();
    EXPECT_EQ(readSlot().bal, expected.toString()) << text.toStdString();
  }
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnAmt = 100")), forms.size());
}

TEST_P(AddAmtTest, FailedFaceOrStripeLeavesDatabaseAndCardAsTheyWere) {
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
    dialogs_->clear();
    press(QStringLiteral("300"));
    EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")), QStringList{c.message});
    EXPECT_EQ(dbBal(), Money::fromInt(1000));
    EXPECT_EQ(dbThru(), QDate(2027, 12, 31));
    EXPECT_EQ(journalRows(), 0);
    EXPECT_EQ(SlotCard().tracks[0], before) << c.fault;
    EXPECT_TRUE(driver_.endedWithEject());
    const auto log = apLog();
    ASSERT_EQ(log.size(), &c - cases + 1);
    EXPECT_EQ(log.last().first, c.message);
    EXPECT_EQ(log.last().second, QStringLiteral("系統錯誤"));
  }
}

TEST_P(AddAmtTest, EveryWayOutLogsOnceAndEjects) {
  // Cancelled wait: no card in the slot.
  dialogs_->cancelWaitAfterPolls = 2;
  press(QStringLiteral("10"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("取消作業"));
  EXPECT_TRUE(driver_.endedWithEject());

  // A card with no master row: the update finds nothing, the journal stays empty.
  dialogs_->cancelWaitAfterPolls = -1;
  InsertRecordCard(QStringLiteral("V000009"), QStringLiteral("001"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("50"), QStringLiteral("0"));
  const QByteArray before = SlotCard().tracks[0];
  press(QStringLiteral("10"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")).last(), QStringLiteral("Tolva主檔更新失敗，卡號:V000009"));
  EXPECT_EQ(journalRows(), 0);
  EXPECT_EQ(SlotCard().tracks[0], before);
  EXPECT_TRUE(driver_.endedWithEject());

  // A card written under another key: its values do not read as numbers.
  gBatchKey = QStringLiteral("ZZ99");
  press(QStringLiteral("10"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")).last(), QStringLiteral("卡片資料有誤，卡號:V000009"));
  EXPECT_TRUE(driver_.endedWithEject());
  gBatchKey = QStringLiteral("AB12");

  // A balance that would not fit the card's eight positions is refused before any change.
  TestReader().takeOut();
  issue(QStringLiteral("2027/12/31"), QStringLiteral("99999000"));
  press(QStringLiteral("1000"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")).last(), QStringLiteral("金額超過卡片可記錄的位數，卡號:V000001"));
  EXPECT_EQ(dbBal(), Money::fromInt(99999000));
  EXPECT_TRUE(driver_.endedWithEject());

  const auto log = apLog();
  ASSERT_EQ(log.size(), 4);
  EXPECT_EQ(log[0], qMakePair(QStringLiteral("取消作業"), QStringLiteral("作業拒絕")));
  EXPECT_EQ(log[1], qMakePair(QStringLiteral("Tolva主檔更新失敗，卡號:V000009"), QStringLiteral("作業拒絕")));
  EXPECT_EQ(log[2], qMakePair(QStringLiteral("卡片資料有誤，卡號:V000009"), QStringLiteral("作業拒絕")));
  EXPECT_EQ(log[3].second, QStringLiteral("作業拒絕"));
}

TEST_P(AddAmtTest, MessageFileIsRememberedForTheWindowAndPrintedOnTheFace) {
  const QString file = path(QStringLiteral("Promo.txt"));
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("Line A\r\nLine B\r\n");
  out.close();

  // Nothing stored yet: the installation's card message file, which does not exist here.
  EXPECT_EQ(window_->txtFile()->text(), gCardMsgFile);
  EXPECT_TRUE(window_->elaMsg()->caption().isEmpty());
  EXPECT_TRUE(window_->msgPanel()->faceText().trimmed().isEmpty());
  window_->txtFile()->setText(file);
  window_->txtFile_LostFocus();
  EXPECT_EQ(window_->msgPanel()->line(1)->text(), QStringLiteral("Line B"));
  window_->cmdExit_Click();
  EXPECT_EQ(GetSetting(QStringLiteral("fmAddAmt"), QStringLiteral("MsgFile")), file);

  // The next run of the window loads the stored file.
  window_ = std::make_unique<AddValueWindow>();
  EXPECT_EQ(window_->txtFile()->text(), file);
  EXPECT_EQ(window_->msgPanel()->line(0)->text(), QStringLiteral("Line A"));
  issue(QStringLiteral("2027/12/31"), QStringLiteral("0"));
  press(QStringLiteral("10"));
  EXPECT_TRUE(SlotCard().face.endsWith(QStringLiteral("Line A\nLine B\n\n\n\n\n")));

  // An empty path clears the lines; a missing file says so and leaves them.
  window_->txtFile()->setText(QString());
  window_->txtFile_LostFocus();
  EXPECT_TRUE(window_->msgPanel()->faceText().trimmed().isEmpty());
  window_->msgPanel()->line(2)->setText(QStringLiteral("kept"));
  window_->txtFile()->setText(path(QStringLiteral("none.txt")));
  window_->txtFile_LostFocus();
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("訊息檔不存在"));
  EXPECT_EQ(window_->msgPanel()->line(2)->text(), QStringLiteral("kept"));

  // The file dialog's choice is loaded; the title bar's close stores the path like the exit.
  dialogs_->fileAnswers = {file};
  window_->txtFile_DblClick();
  EXPECT_EQ(window_->msgPanel()->line(0)->text(), QStringLiteral("Line A"));
  window_->show();
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(GetSetting(QStringLiteral("fmAddAmt"), QStringLiteral("MsgFile")), file);
}

TEST_P(AddAmtTest, WithNoFileKeptTheFacesGetTheInstallationsMessageLines) {
  const QString lines = UseCardMessageFile();
  window_ = std::make_unique<AddValueWindow>();
  issue(QStringLiteral("2027/12/31"), QStringLiteral("0"));
  press(QStringLiteral("10"));
  EXPECT_TRUE(SlotCard().face.endsWith(lines)) << SlotCard().face.toStdString();
}

TEST_P(AddAmtTest, MainWindowButtonOpensTheWindow) {
  ASSERT_TRUE(HasOperationWindow(QStringLiteral("cmdAddAmt")));
  std::unique_ptr<QWidget> w(CreateOperationWindow(QStringLiteral("cmdAddAmt")));
  EXPECT_EQ(w->objectName(), QStringLiteral("fmAddAmt"));
  EXPECT_EQ(w->windowTitle(), QStringLiteral("加值作業"));
  for (const char* name : {"txtCardNo", "txtGoodThru", "txtBalAmtB", "txtBalAmtE", "txtAddAmt", "txtFile", "txtMsg0",
                           "txtMsg5", "cmdOK", "cmdExit", "elaMsg", "fraMsg"}) {
    EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
  // The card values are shown, not typed.
  EXPECT_TRUE(w->findChild<QLineEdit*>(QStringLiteral("txtBalAmtE"))->isReadOnly());
  EXPECT_FALSE(w->findChild<QLineEdit*>(QStringLiteral("txtAddAmt"))->isReadOnly());
}

TOLVA_DB_TEST_SUITE(AddAmtTest);
