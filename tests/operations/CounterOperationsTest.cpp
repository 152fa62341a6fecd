// The counter operations without a window, on card V000001 (issued with 1000 and 30 points, in
// the reader): what reaches the stripe, the face, the master row, the journal and the
// application log, and what is refused before anything is written.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "db/Parameters.h"
#include "ledger/CardRows.h"
#include "operations/CounterOperations.h"
#include "operations/GoodThruChange.h"

#include <QFile>
#include <QSqlQuery>
#include <functional>

class CounterOperationsTest : public SoldCardTest {
protected:
  void SetUp() override {
    SoldCardTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ReinsertTestCardAtEveryWait();  // the operator inserts the card again whenever asked
  }
  static ReversalRequest reversal(const char* mode, const char* amount, const char* points) {
    return {QString::fromLatin1(mode), QString::fromLatin1(amount), QString::fromLatin1(points)};
  }
  // Journal rows as "type|amount|points|store".
  QStringList journal() const {
    QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT TxnType, TxnAmt, TxnPoint, TxnDept FROM TolvaLog ORDER BY RNo"));
    QStringList rows;
    while (q.next()) {
      rows << q.value(0).toString() + QLatin1Char('|') + Money::fromVariant(q.value(1)).toString() + QLatin1Char('|') +
                  Money::fromVariant(q.value(2)).toString() + QLatin1Char('|') + q.value(3).toString();
    }
    return rows;
  }
  void setFault(const char* fault) {
    SimCard c = SlotCard();
    c.fault = QString::fromLatin1(fault);
    ASSERT_TRUE(SaveTestCard(c));
  }

};

TEST_P(CounterOperationsTest, TopUpChangesCardFaceJournalAndMasterTogether) {
  QFile msgFile(path(TheSettings().cardMessageFile));
  ASSERT_TRUE(msgFile.open(QIODevice::WriteOnly));
  msgFile.write(CodePage::toAnsi(QStringLiteral("週年慶\r\n加值送點數\r\n")));
  msgFile.close();
  const CounterOutcome out = TopUp(ctx(), QStringLiteral("500"));
  ASSERT_TRUE(out.ok) << out.message.toStdString();
  EXPECT_EQ(out.txn.prevBal, Money::fromInt(1000));
  EXPECT_EQ(out.txn.newBal, Money::fromInt(1500));
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1500"), QStringLiteral("30")));
  const QString face = SlotCard().face;
  EXPECT_TRUE(face.contains(QStringLiteral(" 上期餘額     1000元\n 本次交易      500元\n 目前餘額     1500元\n 紅利點數       30點\n")))
      << face.toStdString();
  EXPECT_TRUE(face.endsWith(QStringLiteral(" -----------------\n週年慶\n加值送點數\n\n\n\n\n"))) << face.toStdString();
  EXPECT_EQ(journal(), QStringList{QStringLiteral("21|500|0|100")});
  EXPECT_EQ(scalar(QStringLiteral("SELECT POSID || '|' || UserID FROM TolvaLog")).toString(), QStringLiteral("POS1|clerk"));
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
  EXPECT_TRUE(scalar(QStringLiteral("SELECT LastDate FROM Tolva WHERE CardNo = 'V000001'")).toString().startsWith(QStringLiteral("2026")));
  EXPECT_EQ(apLog(QStringLiteral("加值")), QStringList{QStringLiteral("卡號：V000001，交易金額：500，餘額：1500，紅利點數：30|")});
}

TEST_P(CounterOperationsTest, CardThatFailsOnceWrittenIsCommittedAndReprintedByAGoodThruChange) {
  setFault(kFaultFailsAfterWrite);
  const CounterOutcome out = TopUp(ctx(), QStringLiteral("500"));
  const QString told = QStringLiteral("列印視窗無法清除!；卡號 V000001 的磁條已寫入新資料並已存檔，但卡面未印妥；"
                                      "請在「更改有效日期」輸入原有效日期 2027/12/31 重寫此卡，以重印卡面");
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.message, told);
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1500"), QStringLiteral("30")));
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
  EXPECT_EQ(journal(), QStringList{QStringLiteral("21|500|0|100")});
  EXPECT_EQ(apLog(QStringLiteral("加值")),
            QStringList{QStringLiteral("卡號：V000001，交易金額：500，餘額：1500，紅利點數：30；") + told.mid(told.indexOf(QStringLiteral("卡號"))) +
                        QStringLiteral("|卡面待重印")});
  EXPECT_FALSE(SlotCard().face.contains(QStringLiteral(" 目前餘額     1500元")));
  // The card works again once put back; its present good-thru date reprints it.
  setFault("");
  const CardOutcome again = ChangeGoodThru(ctx(), QStringLiteral("2027/12/31"), QString(), nullptr);
  EXPECT_TRUE(again.ok) << again.message.toStdString();
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 目前餘額     1500元"))) << SlotCard().face.toStdString();
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1500"), QStringLiteral("30")));
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
}

TEST_P(CounterOperationsTest, PrintFailureOfEveryValueChangeLeavesEverythingAsItWas) {
  setFault(kFaultPrintFails);
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  history(QStringLiteral("22"), QStringLiteral("-100"), QStringLiteral("0"));
  const struct {
    const char* action;
    std::function<CounterOutcome()> run;
  } cases[] = {
      {"加值", [] { return TopUp(ctx(), QStringLiteral("500")); }},
      {"扣抵", [] { return Deduct(ctx(), QStringLiteral("300")); }},
      {"扣點", [] { return DeductPoints(ctx(), QStringLiteral("10")); }},
      {"沖正", [] { return Reverse(ctx(), reversal("2", "100", ""), nullptr); }},
  };
  for (const auto& c : cases) {
    // The fault stays on the card, so the old face cannot be printed back either: the card is named.
    const CounterOutcome out = c.run();
    EXPECT_FALSE(out.ok) << c.action;
    EXPECT_EQ(out.message, kUnrestoredFace) << c.action;
    EXPECT_EQ(apLog(QString::fromUtf8(c.action)), QStringList{kUnrestoredFace + QStringLiteral("|系統錯誤")}) << c.action;
  }
  expectUntouched(1);
}

TEST_P(CounterOperationsTest, ReversalFaceShowsThePreviousBalanceAndTheAmount) {
  history(QStringLiteral("21"), QStringLiteral("250"), QStringLiteral("0"));
  const CounterOutcome out = Reverse(ctx(), reversal("1", "250", ""), nullptr);
  EXPECT_TRUE(out.ok) << out.message.toStdString();
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 上期餘額     1000元\n 本次交易     -250元\n 目前餘額      750元\n")))
      << SlotCard().face.toStdString();
  EXPECT_EQ(journal(), (QStringList{QStringLiteral("21|250|0|100"), QStringLiteral("31|-250|0|100")}));
  expectMaster(QStringLiteral("750"), QStringLiteral("30"));
}

TEST_P(CounterOperationsTest, BalanceLimitAppliesOnlyWhenSet) {
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("1499")));
  EXPECT_EQ(TopUp(ctx(), QStringLiteral("500")).message, QStringLiteral("加值後餘額超過上限"));
  expectUntouched();
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("1500")));
  EXPECT_TRUE(TopUp(ctx(), QStringLiteral("500")).ok);
  expectMaster(QStringLiteral("1500"), QStringLiteral("30"));
}

TEST_P(CounterOperationsTest, DeductionEarnsPointsAtTheSetRate) {
  EXPECT_TRUE(Deduct(ctx(), QStringLiteral("250")).ok);  // no rate: no points
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("750"), QStringLiteral("30")));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  EXPECT_TRUE(Deduct(ctx(), QStringLiteral("350")).ok);  // 3.5 points earned, whole points credited
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("400"), QStringLiteral("33")));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 上期餘額      750元\n 本次交易     -350元\n")));
  EXPECT_EQ(journal(), (QStringList{QStringLiteral("22|-250|0|100"), QStringLiteral("22|-350|3|100")}));
  expectMaster(QStringLiteral("400"), QStringLiteral("33"));
  EXPECT_EQ(Deduct(ctx(), QStringLiteral("401")).message, QStringLiteral("交易後餘額小於零"));
  expectMaster(QStringLiteral("400"), QStringLiteral("33"));
  EXPECT_EQ(apLog(QStringLiteral("扣抵")).size(), 3);
  // A rate whose points do not fit is refused as a wrong setting, before the card is asked for.
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("900000000000000")));
  const auto waits = [this] { return dialogs_->texts(QStringLiteral("waitForCard")).size(); };
  const auto before = waits();
  EXPECT_EQ(Deduct(ctx(), QStringLiteral("100")).message, QStringLiteral("紅利點數比率參數設定有誤"));
  EXPECT_EQ(waits(), before);
  expectMaster(QStringLiteral("400"), QStringLiteral("33"));
}

TEST_P(CounterOperationsTest, PointDeductionDownToZeroButNotBelow) {
  EXPECT_EQ(DeductPoints(ctx(), QStringLiteral("31")).message, QStringLiteral("交易後紅利點數小於零"));
  expectUntouched();
  EXPECT_TRUE(DeductPoints(ctx(), QStringLiteral("30")).ok);
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1000"), QStringLiteral("0")));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 上期餘額     1000元\n 本次交易        0元\n")));
  EXPECT_EQ(journal(), QStringList{QStringLiteral("23|0|-30|100")});
  expectMaster(QStringLiteral("1000"), QStringLiteral("0"));
  EXPECT_EQ(apLog(QStringLiteral("扣點")),
            (QStringList{QStringLiteral("交易後紅利點數小於零，卡號：V000001|作業拒絕"),
                         QStringLiteral("卡號：V000001，交易金額：0，餘額：1000，紅利點數：0|")}));
}

TEST_P(CounterOperationsTest, ReversalsTakeBackNoMoreThanTheJournalHolds) {
  history(QStringLiteral("21"), QStringLiteral("1200"), QStringLiteral("0"));
  history(QStringLiteral("22"), QStringLiteral("-200"), QStringLiteral("2"));  // a deduction that earned 2 points
  history(QStringLiteral("23"), QStringLiteral("0"), QStringLiteral("-5"));
  auto reverse = [](const char* mode, const char* amount, const char* points) {
    const CounterOutcome out = Reverse(ctx(), reversal(mode, amount, points), nullptr);
    return out.ok ? QString() : out.message;
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
// journal still hold; the figure is told before the card is asked for.
TEST_P(CounterOperationsTest, ADeductionReversedWithoutPointsTakesBackWhatItEarned) {
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  history(QStringLiteral("22"), QStringLiteral("-300"), QStringLiteral("2"));  // earned at an older rate
  QString told;
  int waitsBefore = -1;
  const CounterOutcome out = Reverse(ctx(), reversal("2", "300", ""), [&](const Money& points) {
    told = points.toString();
    waitsBefore = dialogs_->texts(QStringLiteral("waitForCard")).size();
  });
  EXPECT_TRUE(out.ok) << out.message.toStdString();
  EXPECT_EQ(told, QStringLiteral("3"));  // 300 at today's rate
  EXPECT_EQ(waitsBefore, 0);
  // The journal holds 2 to take back: those go, with the money.
  EXPECT_EQ(journal().last(), QStringLiteral("32|300|-2|100"));
  expectMaster(QStringLiteral("1300"), QStringLiteral("28"));
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1300"), QStringLiteral("28")));
}

TEST_P(CounterOperationsTest, EntriesAreCheckedBeforeTheCardIsAskedFor) {
  const struct {
    std::function<CounterOutcome()> run;
    QString message;
  } cases[] = {
      {[] { return TopUp(ctx(), QString()); }, QStringLiteral("請輸入金額")},
      {[] { return Deduct(ctx(), QStringLiteral("12.5")); }, QStringLiteral("金額必需為正整數")},
      {[] { return DeductPoints(ctx(), QStringLiteral("0")); }, QStringLiteral("點數必需為正整數")},
      {[] { return Reverse(ctx(), reversal("", "100", ""), nullptr); }, QStringLiteral("請選擇沖正類別")},
      {[] { return Reverse(ctx(), reversal("1", "", ""), nullptr); }, QStringLiteral("請輸入沖正金額或點數")},
  };
  for (const auto& c : cases) {
    const CounterOutcome out = c.run();
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.refused) << c.message.toStdString();
    EXPECT_EQ(out.message, c.message);
  }
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("沖正")),
            (QStringList{QStringLiteral("請選擇沖正類別|作業拒絕"), QStringLiteral("請輸入沖正金額或點數|作業拒絕")}));
  expectUntouched();
}

TEST_P(CounterOperationsTest, ValueThatTheFaceCannotPrintIsRefusedBeforeAnythingIsWritten) {
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET BalAmt = 99999999"));
  insertCard(card_, QStringLiteral("2027/12/31"), QStringLiteral("99999999"), QStringLiteral("30"));
  const SimCard before = SlotCard();
  // "-10000000" is nine positions.
  EXPECT_EQ(Deduct(ctx(), QStringLiteral("10000000")).message, QStringLiteral("交易後數值超過卡片位數"));
  EXPECT_EQ(SlotCard().tracks[0], before.tracks[0]);
  EXPECT_EQ(SlotCard().face, before.face);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
}

TEST_P(CounterOperationsTest, RefusedCardsLeaveNoJournalRow) {
  blacklist(card_);
  EXPECT_EQ(TopUp(ctx(), QStringLiteral("100")).message, QStringLiteral("此張卡片已列入黑名單中"));
  Exec(gCnn(), QStringLiteral("DELETE FROM VoidCard"));
  insertCard(card_, QStringLiteral("2026/12/07"));
  EXPECT_EQ(TopUp(ctx(), QStringLiteral("100")).message, QStringLiteral("超出有效期限"));
  insertCard(QStringLiteral("V000009"));  // a card the database does not know
  EXPECT_EQ(TopUp(ctx(), QStringLiteral("100")).message, QStringLiteral("資料庫中無此卡號"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0], record(QStringLiteral("V000009"), QStringLiteral("2027/12/31"), QStringLiteral("1000"),
                                         QStringLiteral("30")));
}

TEST_P(CounterOperationsTest, CounterSaleMarksTheCardSoldOnce) {
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Status = '01'"));
  const SimCard before = SlotCard();
  EXPECT_TRUE(SellAtCounter(ctx()).ok);
  EXPECT_EQ(SellAtCounter(ctx()).message, QStringLiteral("此卡已售出"));
  EXPECT_EQ(status(card_), QStringLiteral("11"));
  EXPECT_EQ(journal(), QStringList{QStringLiteral("24|0|0|100")});
  EXPECT_EQ(SlotCard().tracks[0], before.tracks[0]);
  EXPECT_EQ(SlotCard().face, before.face);
  EXPECT_EQ(apLog(QStringLiteral("售出")).size(), 2);
}

// The blacklist look-up on its own: a listed card, a free one, and a look-up that fails.
TEST_P(CounterOperationsTest, BlacklistCheckTellsAListedCardFromAFailedLookUp) {
  blacklist(QStringLiteral("V000002"));
  QString msg;
  EXPECT_FALSE(CheckVoidCard(QStringLiteral("V000002"), msg));
  EXPECT_EQ(msg, QStringLiteral("此張卡片已列入黑名單中"));
  EXPECT_TRUE(CheckVoidCard(QStringLiteral("V000003"), msg));
  SetStatementHookForTest([](Connection&, const QString& sql) {
    if (sql.contains(QStringLiteral("VoidCard"))) throw TolvaError(QStringLiteral("-1"), QStringLiteral("lost"));
  });
  EXPECT_FALSE(CheckVoidCard(QStringLiteral("V000003"), msg));
  SetStatementHookForTest(nullptr);
  EXPECT_EQ(msg, QStringLiteral("資料庫錯誤，無法查核黑名單"));
}

// The void window's reversal of a top-up, with the bill number: the card, its master row and its
// journal move together, and only what the journal holds can be taken back.
TEST_P(CounterOperationsTest, ReversingTopUpsLeavesZeroAndOneMoreIsRefused) {
  history(QStringLiteral("21"), QStringLiteral("1000"), QStringLiteral("0"));
  auto voidTxn = [](const char* amount, const char* bill) {
    const CounterOutcome out = ReverseTopUp(ctx(), QString::fromLatin1(amount), QString::fromLatin1(bill), QString());
    return out.ok ? QString() : out.message;
  };
  EXPECT_EQ(voidTxn("400", "B-77"), QString());
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("600"), QStringLiteral("30")));
  EXPECT_EQ(voidTxn("600", "B-78"), QString());
  EXPECT_EQ(voidTxn("1", "B-79"), QStringLiteral("沖正後餘額小於零"));
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("0"), QStringLiteral("30")));
  expectMaster(QStringLiteral("0"), QStringLiteral("30"));
  EXPECT_EQ(Money::fromVariant(scalar(QStringLiteral("SELECT SUM(TxnAmt) FROM TolvaLog"))), Money());
  EXPECT_EQ(journal().mid(1), (QStringList{QStringLiteral("31|-400|0|100"), QStringLiteral("31|-600|0|100")}));
  EXPECT_EQ(scalar(QStringLiteral("SELECT RefCheckNo FROM TolvaLog WHERE TxnAmt = -600")).toString(), QStringLiteral("B-78"));
  EXPECT_EQ(apLog(QStringLiteral("沖正")),
            (QStringList{QStringLiteral("卡號：V000001，餘額：600，紅利點數：30|"),
                         QStringLiteral("卡號：V000001，餘額：0，紅利點數：30|"),
                         QStringLiteral("沖正後餘額小於零，卡號：V000001|作業拒絕")}));
  EXPECT_TRUE(TestReader().slotFile().isEmpty());
}

TEST_P(CounterOperationsTest, AnEmptyReversalAmountReversesZeroAndRewritesTheCard) {
  history(QStringLiteral("21"), QStringLiteral("1000"), QStringLiteral("0"));
  SimCard c = SlotCard();
  c.face = QStringLiteral("old face");
  ASSERT_TRUE(SaveTestCard(c));
  const CounterOutcome out = ReverseTopUp(ctx(), QString(), QStringLiteral("B-77"), QStringLiteral("M1\n"));
  EXPECT_TRUE(out.ok);
  EXPECT_TRUE(out.message.startsWith(QStringLiteral("沖正完成，卡號：V000001，餘額：1000"))) << out.message.toStdString();
  EXPECT_EQ(journal().last(), QStringLiteral("31|0|0|100"));
  EXPECT_NE(SlotCard().face, QStringLiteral("old face"));
  expectMaster(QStringLiteral("1000"), QStringLiteral("30"));
}

TEST_P(CounterOperationsTest, ReversalsOfTopUpsRefuseBadAmountsAndCards) {
  history(QStringLiteral("21"), QStringLiteral("1000"), QStringLiteral("0"));
  auto voidTxn = [](const char* amount) {
    const CounterOutcome out = ReverseTopUp(ctx(), QString::fromLatin1(amount), QStringLiteral("B-77"), QString());
    return out.ok ? QString() : out.message;
  };
  // Refused before any card is asked for.
  EXPECT_EQ(voidTxn("-100"), QStringLiteral("沖正金額必需為正整數"));
  EXPECT_EQ(voidTxn("12.5"), QStringLiteral("沖正金額必需為正整數"));
  EditSettings().batchKey.clear();
  EXPECT_EQ(voidTxn("100"), QStringLiteral("未設定資料加密碼"));
  EditSettings().batchKey = QStringLiteral("AB12");
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  // Cards the reversal may not touch.
  blacklist(card_);
  EXPECT_EQ(voidTxn("100"), QStringLiteral("此張卡片已列入黑名單中"));
  Exec(gCnn(), QStringLiteral("DELETE FROM VoidCard"));
  insertCard(card_, QStringLiteral("2026/12/07"));
  EXPECT_EQ(voidTxn("100"), QStringLiteral("超出有效期限"));
  // More than the journal's top-ups, though the card carries it.
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET BalAmt = 2000"));
  insertCard(card_, QStringLiteral("2027/12/31"), QStringLiteral("2000"));
  EXPECT_EQ(voidTxn("1001"), QStringLiteral("沖正金額超過可沖正的金額1000"));
  // A card the master table does not hold: its row cannot follow the card.
  Exec(gCnn(), QStringLiteral("DELETE FROM Tolva"));
  EXPECT_EQ(voidTxn("100"), QStringLiteral("資料庫中無此卡號"));
  EXPECT_EQ(journal().size(), 1);
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("2000"), QStringLiteral("30")));
  EXPECT_EQ(apLog(QStringLiteral("沖正")).size(), 7);
  for (const QString& row : apLog(QStringLiteral("沖正"))) EXPECT_TRUE(row.endsWith(QStringLiteral("|作業拒絕"))) << row.toStdString();
}

TOLVA_DB_TEST_SUITE(CounterOperationsTest);
