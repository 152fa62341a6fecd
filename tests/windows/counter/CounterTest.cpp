#include "support/IssueFixture.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "operations/CounterOperations.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "db/Parameters.h"
#include "windows/counter/MainWindow.h"
#include "windows/issue/GoodThruWindow.h"
#include "support/Screenshot.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSqlQuery>

// The counter operations of the main window, each on a card V000001 issued with 1000 and
// 30 points, in the reader.
class CounterTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    addMaster(card_, QStringLiteral("11"));
    insertCard(card_);
    ReinsertTestCardAtEveryWait();  // the operator inserts the card again whenever asked
  }
  void set(MainWindow& w, const char* name, const QString& text) { w.field(QString::fromLatin1(name))->setText(text); }
  // Chooses reversal mode "1" to "3" from the list.
  static void chooseMode(MainWindow& w, const QString& mode) { w.cboType()->setCurrentIndex(mode.toInt() - 1); }
  // Journal rows as "type|amount|points|store".
  QStringList journal() const {
    QSqlQuery q = gCnn().query(QStringLiteral("SELECT TxnType, TxnAmt, TxnPoint, TxnDept FROM TolvaLog ORDER BY RNo"));
    QStringList rows;
    while (q.next()) {
      rows << q.value(0).toString() + QLatin1Char('|') + Money::fromVariant(q.value(1)).toString() + QLatin1Char('|') +
                  Money::fromVariant(q.value(2)).toString() + QLatin1Char('|') + q.value(3).toString();
    }
    return rows;
  }
  QByteArray stripe(const QString& bal, const QString& points) const {
    return record(card_, QStringLiteral("2027/12/31"), bal, points);
  }
  void expectMaster(const QString& bal, const QString& points) const {
    EXPECT_EQ(master(QStringLiteral("BalAmt"), card_).toString(), bal);
    EXPECT_EQ(master(QStringLiteral("BalPoint"), card_).toString(), points);
  }
  // Nothing changed anywhere: master row, journal (beyond its `history` rows), card.
  void expectUntouched(int history = 0) const {
    expectMaster(QStringLiteral("1000"), QStringLiteral("30"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), history);
    EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1000"), QStringLiteral("30")));
  }
  QStringList shownMsgs() const { return dialogs_->texts(QStringLiteral("showMsg")); }
  // An earlier transaction in the card's journal (what a reversal may take back).
  void history(const QString& type, const QString& amount, const QString& points) {
    JournalRow rec;
    rec.TxnDept = QStringLiteral("100");
    rec.TxnType = type;
    rec.CardNo = card_;
    rec.TxnDate = today();
    rec.TxnAmt = amount;
    rec.TxnPoint = points;
    ASSERT_TRUE(InsertJournalRow(rec, gCnn()));
  }
  const QString kUnrestoredFace = QStringLiteral("列印資料失敗!；卡號 V000001 的卡面無法回復，請重新列印卡面");

  const QString card_ = QStringLiteral("V000001");
};

TEST_P(CounterTest, TopUpChangesCardFaceJournalAndMasterTogether) {
  QFile msgFile(path(TheSettings().cardMessageFile));
  ASSERT_TRUE(msgFile.open(QIODevice::WriteOnly));
  msgFile.write(CodePage::toAnsi(QStringLiteral("週年慶\r\n加值送點數\r\n")));
  msgFile.close();
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("500"));
  w.topUpCard();
  EXPECT_TRUE(shownMsgs().isEmpty()) << shownMsgs().join(QLatin1Char(',')).toStdString();
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1500"), QStringLiteral("30")));
  const QString face = SlotCard().face;
  EXPECT_TRUE(face.contains(QStringLiteral(" 上期餘額     1000元\n 本次交易      500元\n 目前餘額     1500元\n 紅利點數       30點\n")))
      << face.toStdString();
  EXPECT_TRUE(face.endsWith(QStringLiteral(" -----------------\n週年慶\n加值送點數\n\n\n\n\n"))) << face.toStdString();
  EXPECT_EQ(journal(), QStringList{QStringLiteral("21|500|0|100")});
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
  EXPECT_TRUE(scalar(QStringLiteral("SELECT LastDate FROM Tolva WHERE CardNo = 'V000001'")).toString().startsWith(QStringLiteral("2026")));
  EXPECT_EQ(w.field(QStringLiteral("txtBalAmt"))->text(), QStringLiteral("1500"));
  EXPECT_TRUE(w.field(QStringLiteral("txtAmt"))->text().isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("加值")), QStringList{QStringLiteral("卡號：V000001，交易金額：500，餘額：1500，紅利點數：30|")});
  SaveScreenshot(&w, QStringLiteral("fmTolva-counter"));
}

TEST_P(CounterTest, CardThatFailsOnceWrittenIsCommittedAndReprintedAsTheOperatorIsTold) {
  SimCard c = SlotCard();
  c.fault = QString::fromLatin1(kFaultFailsAfterWrite);
  ASSERT_TRUE(SaveTestCard(c));
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("500"));
  w.topUpCard();
  const QString told = QStringLiteral("列印視窗無法清除!；卡號 V000001 的磁條已寫入新資料並已存檔，但卡面未印妥；"
                                      "請在「更改有效日期」輸入原有效日期 2027/12/31 重寫此卡，以重印卡面");
  EXPECT_EQ(shownMsgs(), QStringList{told});
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1500"), QStringLiteral("30")));
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
  EXPECT_EQ(journal(), QStringList{QStringLiteral("21|500|0|100")});
  EXPECT_EQ(apLog(QStringLiteral("加值")),
            QStringList{QStringLiteral("卡號：V000001，交易金額：500，餘額：1500，紅利點數：30；") + told.mid(told.indexOf(QStringLiteral("卡號"))) +
                        QStringLiteral("|卡面待重印")});
  EXPECT_FALSE(SlotCard().face.contains(QStringLiteral(" 目前餘額     1500元")));
  // The card works again once put back; the good-thru window, given its present date, reprints it.
  c = SlotCard();
  c.fault.clear();
  dialogs_->atEveryCardWait = nullptr;
  dialogs_->maxPolls = 200;  // the loop ends at the next wait
  InsertTestCard(c);
  GoodThruWindow g;
  g.txtUpdGoodThru()->setText(QStringLiteral("2027/12/31"));
  g.changeGoodThru();
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 目前餘額     1500元"))) << SlotCard().face.toStdString();
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1500"), QStringLiteral("30")));
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
}

TEST_P(CounterTest, PrintFailureLeavesDatabaseAndCardAsTheyWere) {
  SimCard c = SlotCard();
  c.fault = QString::fromLatin1(kFaultPrintFails);
  ASSERT_TRUE(SaveTestCard(c));
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("500"));
  w.topUpCard();
  // The fault stays on the card, so the old face cannot be printed back either: the card is named.
  EXPECT_EQ(shownMsgs(), QStringList{kUnrestoredFace});
  expectUntouched();
  EXPECT_EQ(apLog(QStringLiteral("加值")), QStringList{kUnrestoredFace + QStringLiteral("|系統錯誤")});
  EXPECT_EQ(w.field(QStringLiteral("txtAmt"))->text(), QStringLiteral("500"));  // kept for another try
}

TEST_P(CounterTest, PrintFailureOfEveryValueChangeLeavesEverythingAsItWas) {
  SimCard c = SlotCard();
  c.fault = QString::fromLatin1(kFaultPrintFails);
  ASSERT_TRUE(SaveTestCard(c));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  history(QStringLiteral("22"), QStringLiteral("-100"), QStringLiteral("0"));
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("300"));
  w.deductAmount();
  set(w, "txtPoint", QStringLiteral("10"));
  w.deductPoints();
  chooseMode(w, QStringLiteral("2"));
  set(w, "txtAmtB", QStringLiteral("100"));
  w.reverseTransaction();
  EXPECT_EQ(shownMsgs(), (QStringList(3, kUnrestoredFace)));
  expectUntouched(1);
  for (const char* action : {"扣抵", "扣點", "沖正"}) {
    EXPECT_EQ(apLog(QString::fromUtf8(action)), QStringList{kUnrestoredFace + QStringLiteral("|系統錯誤")}) << action;
  }
}

TEST_P(CounterTest, ReversalFaceShowsThePreviousBalanceAndTheAmount) {
  history(QStringLiteral("21"), QStringLiteral("250"), QStringLiteral("0"));
  MainWindow w;
  chooseMode(w, QStringLiteral("1"));
  set(w, "txtAmtB", QStringLiteral("250"));
  w.reverseTransaction();
  EXPECT_TRUE(shownMsgs().isEmpty()) << shownMsgs().join(QLatin1Char(',')).toStdString();
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 上期餘額     1000元\n 本次交易     -250元\n 目前餘額      750元\n")))
      << SlotCard().face.toStdString();
  EXPECT_EQ(journal(), (QStringList{QStringLiteral("21|250|0|100"), QStringLiteral("31|-250|0|100")}));
  expectMaster(QStringLiteral("750"), QStringLiteral("30"));
}

TEST_P(CounterTest, BalanceLimitAppliesOnlyWhenSet) {
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("1499")));
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("500"));
  w.topUpCard();
  EXPECT_EQ(shownMsgs(), QStringList{QStringLiteral("加值後餘額超過上限")});
  expectUntouched();
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("1500")));
  w.topUpCard();  // the amount stayed in the field
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
}

TEST_P(CounterTest, DeductionEarnsPointsAtTheSetRate) {
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("250"));
  w.deductAmount();  // no rate: no points
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("750"), QStringLiteral("30")));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  set(w, "txtAmt", QStringLiteral("350"));
  w.deductAmount();  // 3.5 points earned, whole points credited
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("400"), QStringLiteral("33")));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 上期餘額      750元\n 本次交易     -350元\n")));
  EXPECT_EQ(journal(), (QStringList{QStringLiteral("22|-250|0|100"), QStringLiteral("22|-350|3|100")}));
  expectMaster(QStringLiteral("400"), QStringLiteral("33"));
  set(w, "txtAmt", QStringLiteral("401"));
  w.deductAmount();
  EXPECT_EQ(shownMsgs(), QStringList{QStringLiteral("交易後餘額小於零")});
  expectMaster(QStringLiteral("400"), QStringLiteral("33"));
  EXPECT_EQ(apLog(QStringLiteral("扣抵")).size(), 3);
}

TEST_P(CounterTest, PointDeductionDownToZeroButNotBelow) {
  MainWindow w;
  set(w, "txtPoint", QStringLiteral("31"));
  w.deductPoints();
  EXPECT_EQ(shownMsgs(), QStringList{QStringLiteral("交易後紅利點數小於零")});
  expectUntouched();
  set(w, "txtPoint", QStringLiteral("30"));
  w.deductPoints();
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1000"), QStringLiteral("0")));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 上期餘額     1000元\n 本次交易        0元\n")));
  EXPECT_EQ(journal(), QStringList{QStringLiteral("23|0|-30|100")});
  expectMaster(QStringLiteral("1000"), QStringLiteral("0"));
  EXPECT_EQ(apLog(QStringLiteral("扣點")),
            (QStringList{QStringLiteral("交易後紅利點數小於零，卡號：V000001|作業拒絕"),
                         QStringLiteral("卡號：V000001，交易金額：0，餘額：1000，紅利點數：0|")}));
}

TEST_P(CounterTest, ReversalsTakeBackNoMoreThanTheJournalHolds) {
  history(QStringLiteral("21"), QStringLiteral("1200"), QStringLiteral("0"));
  history(QStringLiteral("22"), QStringLiteral("-200"), QStringLiteral("2"));  // a deduction that earned 2 points
  history(QStringLiteral("23"), QStringLiteral("0"), QStringLiteral("-5"));
  MainWindow w;
  auto reverse = [&](const char* mode, const char* amount, const char* points) {
    chooseMode(w, QString::fromLatin1(mode));
    set(w, "txtAmtB", QString::fromLatin1(amount));
    set(w, "txtVoidPoint", QString::fromLatin1(points));
    dialogs_->clear();
    w.reverseTransaction();
    return shownMsgs().isEmpty() ? QString() : shownMsgs().first();
  };
  // A credit is held to the balance limit like a top-up.
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("1100")));
  EXPECT_EQ(reverse("2", "200", "2"), QStringLiteral("加值後餘額超過上限"));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QString()));
  EXPECT_EQ(reverse("2", "200", "2"), QString());
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1200"), QStringLiteral("28")));
  // Reversed once already: a second reversal would create value.
  EXPECT_EQ(reverse("2", "1", "0"), QStringLiteral("沖正金額超過可沖正的金額0"));
  EXPECT_EQ(reverse("1", "1201", "0"), QStringLiteral("沖正後餘額小於零"));
  EXPECT_EQ(reverse("1", "1200", "0"), QString());
  EXPECT_EQ(reverse("3", "0", "6"), QStringLiteral("沖正點數超過可沖正的點數5"));
  EXPECT_EQ(reverse("3", "1", "5"), QStringLiteral("沖正金額超過可沖正的金額0"));
  EXPECT_EQ(reverse("3", "0", "5"), QString());
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("0"), QStringLiteral("33")));
  EXPECT_EQ(journal().mid(3), (QStringList{QStringLiteral("32|200|-2|100"), QStringLiteral("31|-1200|0|100"),
                                           QStringLiteral("33|0|5|100")}));
  expectMaster(QStringLiteral("0"), QStringLiteral("33"));
}

// Money given back for a deduction takes back the points it earned, as many as the card and its
// journal still hold, and the operator sees them before the card is asked for.
TEST_P(CounterTest, ADeductionReversedWithoutPointsTakesBackWhatItEarned) {
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  history(QStringLiteral("22"), QStringLiteral("-300"), QStringLiteral("2"));  // earned at an older rate
  MainWindow w;
  QString shownAtTheCard;
  // What the window shows while the card is read and written.
  Connection::setStatementHookForTest([&](Connection&, const QString&) {
    if (shownAtTheCard.isEmpty()) shownAtTheCard = w.field(QStringLiteral("txtVoidPoint"))->text();
  });
  chooseMode(w, QStringLiteral("2"));
  set(w, "txtAmtB", QStringLiteral("300"));
  w.reverseTransaction();
  Connection::setStatementHookForTest(nullptr);
  EXPECT_EQ(shownAtTheCard, QStringLiteral("3"));  // 300 at today's rate
  // The journal holds 2 to take back: those go, with the money.
  EXPECT_EQ(journal().last(), QStringLiteral("32|300|-2|100"));
  expectMaster(QStringLiteral("1300"), QStringLiteral("28"));
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1300"), QStringLiteral("28")));
}

TEST_P(CounterTest, EntriesAreCheckedBeforeTheCardIsAskedFor) {
  MainWindow w;
  w.topUpCard();
  set(w, "txtAmt", QStringLiteral("12.5"));
  w.deductAmount();
  w.cboType()->setCurrentIndex(-1);
  w.reverseTransaction();
  chooseMode(w, QStringLiteral("1"));
  w.reverseTransaction();
  EXPECT_EQ(shownMsgs(), (QStringList{QStringLiteral("請輸入金額"), QStringLiteral("金額必需為正整數"),
                                      QStringLiteral("請選擇沖正類別"), QStringLiteral("請輸入沖正金額或點數")}));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("沖正")).size(), 2);
  expectUntouched();
}

TEST_P(CounterTest, ValueThatTheFaceCannotPrintIsRefusedBeforeAnythingIsWritten) {
  gCnn().execute(QStringLiteral("UPDATE Tolva SET BalAmt = 99999999"));
  insertCard(card_, QStringLiteral("2027/12/31"), QStringLiteral("99999999"), QStringLiteral("30"));
  const SimCard before = SlotCard();
  MainWindow w;
  set(w, "txtAmt", QStringLiteral("10000000"));  // "-10000000" is nine positions
  w.deductAmount();
  EXPECT_EQ(shownMsgs(), QStringList{QStringLiteral("交易後數值超過卡片位數")});
  EXPECT_EQ(SlotCard().tracks[0], before.tracks[0]);
  EXPECT_EQ(SlotCard().face, before.face);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
}

TEST_P(CounterTest, RefusedCardsLeaveNoJournalRow) {
  MainWindow w;
  blacklist(card_);
  set(w, "txtAmt", QStringLiteral("100"));
  w.topUpCard();
  gCnn().execute(QStringLiteral("DELETE FROM VoidCard"));
  insertCard(card_, QStringLiteral("2026/12/07"));
  w.topUpCard();
  insertCard(QStringLiteral("V000009"));  // a card the database does not know
  w.topUpCard();
  EXPECT_EQ(shownMsgs(), (QStringList{QStringLiteral("此張卡片已列入黑名單中"), QStringLiteral("超出有效期限"),
                                      QStringLiteral("資料庫中無此卡號")}));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0], record(QStringLiteral("V000009"), QStringLiteral("2027/12/31"), QStringLiteral("1000"),
                                         QStringLiteral("30")));
}

TEST_P(CounterTest, CounterSaleMarksTheCardSoldOnce) {
  gCnn().execute(QStringLiteral("UPDATE Tolva SET Status = '01'"));
  const SimCard before = SlotCard();
  MainWindow w;
  w.sellCard();
  w.sellCard();
  EXPECT_EQ(shownMsgs(), QStringList{QStringLiteral("此卡已售出")});
  EXPECT_EQ(status(card_), QStringLiteral("11"));
  EXPECT_EQ(journal(), QStringList{QStringLiteral("24|0|0|100")});
  EXPECT_EQ(SlotCard().tracks[0], before.tracks[0]);
  EXPECT_EQ(SlotCard().face, before.face);
  EXPECT_EQ(apLog(QStringLiteral("售出")).size(), 2);
}

TOLVA_DB_TEST_SUITE(CounterTest);

// The blacklist look-up on its own: a listed card, a free one, and a look-up that fails.
class CardTxnTest : public IssueTest {};

TEST_P(CardTxnTest, BlacklistCheckTellsAListedCardFromAFailedLookUp) {
  blacklist(QStringLiteral("V000002"));
  QString msg;
  EXPECT_FALSE(CheckVoidCard(QStringLiteral("V000002"), msg));
  EXPECT_EQ(msg, QStringLiteral("此張卡片已列入黑名單中"));
  EXPECT_TRUE(CheckVoidCard(QStringLiteral("V000003"), msg));
  Connection::setStatementHookForTest([](Connection&, const QString& sql) {
    if (sql.contains(QStringLiteral("VoidCard"))) throw TolvaError(QStringLiteral("-1"), QStringLiteral("lost"));
  });
  EXPECT_FALSE(CheckVoidCard(QStringLiteral("V000003"), msg));
  Connection::setStatementHookForTest(nullptr);
  EXPECT_EQ(msg, QStringLiteral("資料庫錯誤，無法查核黑名單"));
}

TOLVA_DB_TEST_SUITE(CardTxnTest);
