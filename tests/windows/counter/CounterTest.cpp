#include "support/IssueFixture.h"

#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "ledger/CardRows.h"
#include "db/Parameters.h"
#include "windows/counter/MainWindow.h"
#include "support/Screenshot.h"

#include <QComboBox>
#include <QLineEdit>

// The card frame of the main window, on a card V000001 issued with 1000 and 30 points, in the
// reader.
class CounterTest : public SoldCardTest {
protected:
  void SetUp() override {
    SoldCardTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ReinsertTestCardAtEveryWait();  // the operator inserts the card again whenever asked
  }
  void set(MainWindow& w, const char* name, const QString& text) { w.field(QString::fromLatin1(name))->setText(text); }
  // Chooses reversal mode "1" to "3" from the list.
  static void chooseMode(MainWindow& w, const QString& mode) { w.cboType()->setCurrentIndex(mode.toInt() - 1); }
  QStringList shownMsgs() const { return dialogs_->texts(QStringLiteral("showMessage")); }

};

// What the card frame adds to the counter operations (tested in tests/operations): the card's
// new values shown and the entries used up, a failure shown with the entry kept, the earned
// points shown before the card is asked for, and the reversal mode taken from the list.
TEST_P(CounterTest, TopUpShowsTheCardAndUsesTheEntryUp) {
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("500"));
  w.topUpCard();
  EXPECT_TRUE(shownMsgs().isEmpty()) << shownMsgs().join(QLatin1Char(',')).toStdString();
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1500"), QStringLiteral("30")));
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
  EXPECT_EQ(w.field(QStringLiteral("txtCardNo"))->text(), card_);
  EXPECT_EQ(w.field(QStringLiteral("txtBalAmt"))->text(), QStringLiteral("1500"));
  EXPECT_EQ(w.field(QStringLiteral("txtBalPoint"))->text(), QStringLiteral("30"));
  EXPECT_TRUE(w.field(QStringLiteral("txtAmt"))->text().isEmpty());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("加值完成，卡號：V000001，交易金額：500，餘額：1500，紅利點數：30"));
  SaveScreenshot(&w, QStringLiteral("fmTolva-counter"));
}

TEST_P(CounterTest, FailureIsShownAndTheEntryKeptForAnotherTry) {
  SimCard c = SlotCard();
  c.fault = QString::fromLatin1(kFaultPrintFails);
  ASSERT_TRUE(SaveTestCard(c));
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("500"));
  w.topUpCard();
  EXPECT_EQ(shownMsgs(), QStringList{kUnrestoredFace});
  EXPECT_EQ(w.elaMsg()->caption(), kUnrestoredFace);
  expectUntouched();
  EXPECT_EQ(w.field(QStringLiteral("txtAmt"))->text(), QStringLiteral("500"));
}

TEST_P(CounterTest, EarnedPointsAreShownWhileTheCardIsRead) {
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  history(QStringLiteral("22"), QStringLiteral("-300"), QStringLiteral("2"));
  MainWindow w;
  QString shownAtTheCard;
  // What the window shows while the card is read and written.
  SetStatementHookForTest([&](Connection&, const QString&) {
    if (shownAtTheCard.isEmpty()) shownAtTheCard = w.field(QStringLiteral("txtVoidPoint"))->text();
  });
  chooseMode(w, QStringLiteral("2"));
  set(w, "txtAmtB", QStringLiteral("300"));
  w.reverseTransaction();
  SetStatementHookForTest(nullptr);
  EXPECT_EQ(shownAtTheCard, QStringLiteral("3"));
  expectMaster(QStringLiteral("1300"), QStringLiteral("28"));
  EXPECT_TRUE(w.field(QStringLiteral("txtVoidPoint"))->text().isEmpty());
  EXPECT_EQ(w.cboType()->currentIndex(), -1);
}

TEST_P(CounterTest, RefusalsBeforeTheCardAreShown) {
  MainWindow w;
  w.topUpCard();
  w.cboType()->setCurrentIndex(-1);
  set(w, "txtAmtB", QStringLiteral("100"));
  w.reverseTransaction();
  EXPECT_EQ(shownMsgs(), (QStringList{QStringLiteral("請輸入金額"), QStringLiteral("請選擇沖正類別")}));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  expectUntouched();
}

TOLVA_DB_TEST_SUITE(CounterTest);
