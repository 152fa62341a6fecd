// Issuing without a window, card by card as a run does: what each card leaves in the tables, on
// its stripe and face, and what a failed card, numbering or commit leaves behind.
#include "support/CardSim.h"
#include "support/Sql.h"

#include "core/ClockSeam.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "device/StripeRecord.h"
#include "ledger/ReportQueries.h"
#include "operations/CardIssue.h"

#include <QSqlQuery>

class CardIssueTest : public CardDbTest {
protected:
  void SetUp() override {
    CardDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    SetNowForTest(QDateTime(QDate(2026, 3, 15), QTime(10, 30)));
    EditSettings().batchNo = QStringLiteral("B0007");
    EditSettings().defaultCardType = QStringLiteral("V");
  }
  void TearDown() override {
    SetNowForTest(QDateTime());
    CardDbTest::TearDown();
  }
  static OperationContext ctx() {
    return {gCnn(), QStringLiteral("clerk"), QStringLiteral("POS1"), QStringLiteral("900")};
  }
  // A run of `count` cards of that type for store "001" with a balance of `bal`, prepared.
  IssueRun prepare(const QString& cardType, qint64 count, const QString& bal, QString* failText = nullptr) {
    IssueRun run;
    run.freeText = QStringLiteral("歡迎光臨\n週年慶\n\n\n\n\n");
    run.count = count;
    run.cardType = cardType;
    run.store = QStringLiteral("001");
    run.balAmt = Money::val(bal);
    run.remark = QStringLiteral("AB");
    QString fail;
    const bool ok = PrepareIssueRun(ctx(), run, fail);
    if (failText) *failText = fail;
    else EXPECT_TRUE(ok) << fail.toStdString();
    return run;
  }
  // A blank card (with `fault`) in the reader, issued as the next card of the run.
  IssueResult issue(const IssueRun& run, QString& cardNo, QString& failText, const QString& fault = QString()) {
    SimCard blank;
    blank.fault = fault;
    InsertTestCard(blank);
    return IssueOneCard(ctx(), run, cardNo, failText);
  }
  int count(const QString& sql) const { return Value(gCnn(), sql).toInt(); }
  // The stripe's values as "number|store|batch|good-thru|balance|points", or empty for a blank one.
  static QString stripe(const SimCard& card) {
    QString no, store, batch, thru, bal, pts, msg;
    if (!DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg)) return {};
    return QStringList{no, store, batch, thru, bal, pts}.join(QLatin1Char('|'));
  }
};

TEST_P(CardIssueTest, EachCardCarriesItsRowsValuesOnStripeAndFace) {
  const IssueRun run = prepare(QStringLiteral("W"), 3, QStringLiteral("150"));
  for (int i = 1; i <= 3; ++i) {
    QString cardNo, failText;
    EXPECT_EQ(issue(run, cardNo, failText), IssueResult::Issued) << failText.toStdString();
    EXPECT_EQ(cardNo, QStringLiteral("W00000%1").arg(i));
    EXPECT_EQ(stripe(SlotCard()), cardNo + QStringLiteral("|001|B0007|2027/03/31|150|0"));
    EXPECT_EQ(SlotCard().face, QStringLiteral(" 卡號: ") + cardNo +
                                   QStringLiteral("-001\n 效期: 2027/03/31\n -----------------\n 上期餘額 \n 本次交易 \n"
                                                  " 目前餘額      150元\n 紅利點數        0點\n -----------------\n"
                                                  "歡迎光臨\n週年慶\n\n\n\n\n"));
    EXPECT_TRUE(TestReader().slotFile().isEmpty());
  }
  QSqlQuery q = Rows(gCnn(), QStringLiteral(
      "SELECT CardNo, CardType, BatchNo, Status, IssueDate, FirstDate, LastDate, GoodThru, BalAmt, BalPoint, "
      "IssueDept, OCardNo, POSID, UserID, UpdUserID, Remark, FileDate FROM Tolva ORDER BY CardNo"));
  int rows = 0;
  while (q.next()) {
    ++rows;
    const std::string no = q.value(0).toString().toStdString();
    // The number's prefix is the run's type; the row keeps the default type.
    EXPECT_EQ(q.value(1).toString() + q.value(2).toString() + q.value(3).toString(), QStringLiteral("VB000701")) << no;
    EXPECT_EQ(ToDateTime(q.value(4))->date(), QDate(2026, 3, 15)) << no;
    EXPECT_TRUE(q.value(5).isNull() && q.value(6).isNull()) << no;
    EXPECT_EQ(ToDateTime(q.value(7))->date(), QDate(2027, 3, 31)) << no;
    EXPECT_EQ(Money::fromVariant(q.value(8)), Money::fromInt(150)) << no;
    EXPECT_EQ(Money::fromVariant(q.value(9)), Money()) << no;
    EXPECT_EQ(q.value(10).toString() + q.value(11).toString() + q.value(12).toString() + q.value(13).toString() +
                  q.value(14).toString() + q.value(15).toString(),
              QStringLiteral("001POS1clerkAB"))
        << no;
    EXPECT_FALSE(q.value(16).isNull()) << no;
  }
  EXPECT_EQ(rows, 3);
  // Issue transactions: the workstation's own store, one remark and one date for the run.
  QSqlQuery t = Rows(gCnn(), QStringLiteral(
      "SELECT TxnDept, TxnType, TxnDate, TxnAmt, TxnPoint, POSID, UserID, Remark FROM TolvaLog ORDER BY CardNo"));
  rows = 0;
  while (t.next()) {
    ++rows;
    EXPECT_EQ(t.value(0).toString() + t.value(1).toString(), QStringLiteral("90011"));
    EXPECT_EQ(ToDateTime(t.value(2))->date(), QDate(2026, 3, 15));
    EXPECT_EQ(Money::fromVariant(t.value(3)), Money::fromInt(150));
    EXPECT_EQ(Money::fromVariant(t.value(4)), Money());
    EXPECT_EQ(t.value(5).toString() + t.value(6).toString(), QStringLiteral("POS1clerk"));
    EXPECT_EQ(t.value(7).toString(), QStringLiteral("001000001"));  // store + first serial of good-thru 20270331
  }
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(count(QStringLiteral("SELECT NoNext FROM xxNO WHERE NoCode = 'TL' AND NoBy = '20270331'")), 2);
  // The reports see the run as issued: nothing to reconcile, store and good-thru in the list.
  EXPECT_TRUE(Must(SelectDisagreements(gCnn())).isEmpty());
  const QList<IssueCardRow> issued = Must(SelectIssuedCards(gCnn(), {}));
  ASSERT_EQ(issued.size(), 3);
  EXPECT_EQ(issued[0].store + QLatin1Char('|') + issued[0].goodThru, QStringLiteral("001|2027/03/31"));

  LogIssueRun(false, QString(), 3, QStringLiteral("W000001"), QStringLiteral("W000003"), QString());
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT LogMsg FROM xxAPLOG WHERE ActionID = '發卡'")).toString(),
            QStringLiteral("已發張數:3 卡號:W000001-W000003"));
}

TEST_P(CardIssueTest, AFailedCardLeavesNoRowAndABlankCardAndItsNumberIsUsedAgain) {
  const IssueRun run = prepare(QStringLiteral("V"), 2, QStringLiteral("100"));
  QString cardNo, failText;
  EXPECT_EQ(issue(run, cardNo, failText, QString::fromLatin1(kFaultPrintFails)), IssueResult::Failed);
  EXPECT_EQ(cardNo, QStringLiteral("V000001"));
  EXPECT_EQ(failText, QStringLiteral("列印資料失敗!，卡片已回復原狀"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")) + count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0], QByteArray(" "));
  EXPECT_EQ(issue(run, cardNo, failText), IssueResult::Issued);
  EXPECT_EQ(cardNo, QStringLiteral("V000001"));
  // A new run draws a new issue-batch serial.
  const IssueRun next = prepare(QStringLiteral("V"), 1, QStringLiteral("100"));
  EXPECT_EQ(issue(next, cardNo, failText), IssueResult::Issued);
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT Remark FROM TolvaLog WHERE CardNo = 'V000002'")).toString(),
            QStringLiteral("001000002"));

  // A cancelled wait ends the run.
  dialogs_->cancelWaitAfterPolls = 0;
  EXPECT_EQ(IssueOneCard(ctx(), run, cardNo, failText), IssueResult::Failed);
  EXPECT_EQ(failText, QStringLiteral("取消作業"));
}

TEST_P(CardIssueTest, ZeroBalanceAndALeapFebruary) {
  SetNowForTest(QDateTime(QDate(2027, 2, 10), QTime(9, 0)));
  const IssueRun run = prepare(QStringLiteral("V"), 1, QStringLiteral("0"));
  QString cardNo, failText;
  EXPECT_EQ(issue(run, cardNo, failText), IssueResult::Issued);
  EXPECT_EQ(stripe(SlotCard()), QStringLiteral("V000001|001|B0007|2028/02/29|0|0"));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 目前餘額        0元\n")));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnAmt = 0")), 1);
}

TEST_P(CardIssueTest, RunsThatCannotStartAskForNoCard) {
  QString failText;
  // A run of no cards draws no issue-batch serial.
  prepare(QStringLiteral("V"), 0, QStringLiteral("10"), &failText);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM xxNO")), 0);
  // What the stripe cannot hold is refused before a card is asked for.
  prepare(QStringLiteral("Ñ"), 1, QStringLiteral("10"), &failText);  // not in CP950
  EXPECT_TRUE(failText.startsWith(QStringLiteral("卡片資料含有無法寫入磁條的字元"))) << failText.toStdString();
  // Without an issue-batch serial no card is started.
  Exec(gCnn(), QStringLiteral("DROP TABLE xxNO") + (isPostgres() ? QStringLiteral(" CASCADE") : QString()));
  prepare(QStringLiteral("V"), 1, QStringLiteral("10"), &failText);
  EXPECT_EQ(failText, QStringLiteral("編號程序錯誤-NoCode:TL/NoBy:20270331"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
}

TEST_P(CardIssueTest, FailedRowsOrNumbersWriteNoCard) {
  const IssueRun run = prepare(QStringLiteral("V"), 1, QStringLiteral("10"));
  // A number the stripe cannot hold is never written to a card.
  const IssueRun longType = prepare(QStringLiteral("VX"), 1, QStringLiteral("10"));
  QString cardNo, failText;
  EXPECT_EQ(issue(longType, cardNo, failText), IssueResult::Failed);
  EXPECT_EQ(failText, QStringLiteral("卡號超過7碼"));
  EXPECT_EQ(cardNo, QStringLiteral("VX000001"));
  EXPECT_EQ(stripe(SlotCard()), QString());
  // The journal cannot be written: the card's master row goes with it, and its serial returns.
  Exec(gCnn(), QStringLiteral("DROP TABLE TolvaLog"));
  EXPECT_EQ(issue(run, cardNo, failText), IssueResult::Failed);
  EXPECT_EQ(failText, QStringLiteral("Tolva記錄檔寫入失敗"));
  EXPECT_EQ(cardNo, QStringLiteral("V000001"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")), 0);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM xxNO WHERE NoCode = 'V'")), 0);
  EXPECT_EQ(stripe(SlotCard()), QString());
}

TEST_P(CardIssueTest, NumberingFailureStopsAtThatCard) {
  // The card numbers of type V can be drawn once only.
  if (isPostgres()) {
    Exec(gCnn(), QStringLiteral(
        "CREATE FUNCTION stop_no() RETURNS trigger AS $$ BEGIN "
        "IF NEW.NoCode = 'V' AND NEW.NoNext > 2 THEN RAISE EXCEPTION 'numbering stopped'; END IF; "
        "RETURN NEW; END $$ LANGUAGE plpgsql"));
    Exec(gCnn(), QStringLiteral("CREATE TRIGGER stop_no BEFORE UPDATE ON xxNO FOR EACH ROW EXECUTE FUNCTION stop_no()"));
  } else {
    Exec(gCnn(), QStringLiteral(
        "CREATE TRIGGER stop_no BEFORE UPDATE ON xxNO WHEN NEW.NoCode = 'V' AND NEW.NoNext > 2 "
        "BEGIN SELECT RAISE(ABORT, 'numbering stopped'); END"));
  }
  const IssueRun run = prepare(QStringLiteral("V"), 2, QStringLiteral("10"));
  QString cardNo, failText;
  EXPECT_EQ(issue(run, cardNo, failText), IssueResult::Issued);
  EXPECT_EQ(issue(run, cardNo, failText), IssueResult::Failed);
  EXPECT_EQ(failText, QStringLiteral("編號程序錯誤-NoCode:V/NoBy:Tolva"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")), 1);
  // The second card was read, but no card is written without a drawn number.
  EXPECT_EQ(stripe(SlotCard()), QString());
}

TEST_P(CardIssueTest, OnlyABlankCardIsIssued) {
  const IssueRun run = prepare(QStringLiteral("V"), 1, QStringLiteral("10"));
  const QByteArray sold = BuildStripeRecord(QStringLiteral("V000042"), QStringLiteral("001"), QStringLiteral("V0001"),
                                            QStringLiteral("2027/12/31"), QStringLiteral("500"), QStringLiteral("905"));
  SimCard card;
  card.tracks[0] = sold;
  card.face = QStringLiteral("sold card");
  InsertTestCard(card);
  QString cardNo, failText;
  EXPECT_EQ(IssueOneCard(ctx(), run, cardNo, failText), IssueResult::Refused);
  EXPECT_EQ(SlotCard().tracks[0], sold);
  EXPECT_EQ(SlotCard().face, QStringLiteral("sold card"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")), 0);
}

TEST_P(CardIssueTest, NewCardThatCannotBeBlankedAfterAFailedCommitIsNamed) {
  const IssueRun run = prepare(QStringLiteral("V"), 1, QStringLiteral("10"));
  // The commit fails, and by then the card no longer takes a write either.
  SetStatementHookForTest([](Connection&, const QString& sql) {
    const QString slot = TestReader().slotFile();
    if (sql != QLatin1String("COMMIT") || slot.isEmpty()) return;
    SimCard card = SimCard::load(slot).value_or(SimCard{});
    card.fault = QString::fromLatin1(kFaultWriteFails);
    card.save(slot);
    throw TolvaError(QStringLiteral("5"), QStringLiteral("database is locked"));
  });
  QString cardNo, failText;
  EXPECT_EQ(issue(run, cardNo, failText), IssueResult::Failed);
  SetStatementHookForTest(nullptr);
  EXPECT_TRUE(failText.contains(QStringLiteral("新卡 V000001 無法清除，卡片與資料庫不一致"))) << failText.toStdString();
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")), 0);
  EXPECT_TRUE(readBytes(TheSettings().errorLogFile).contains("_RestoreStripe"));
}

TOLVA_DB_TEST_SUITE(CardIssueTest);
