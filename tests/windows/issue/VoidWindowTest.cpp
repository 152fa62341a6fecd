// The void window on each database with the simulated reader: the card, its master row and its
// journal move together, and only what the journal holds can be taken back.
#include "support/IssueFixture.h"

#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "device/StripeRecord.h"
#include "ui/CardMessagePanel.h"
#include "ui/MessageFileRow.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "windows/counter/MainWindow.h"
#include "windows/issue/VoidWindow.h"
#include "support/Screenshot.h"

#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSqlQuery>

// Card V000001 sold with a top-up of 1000 and 30 points, in the reader.
class VoidTxnTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    addMaster(card_, QStringLiteral("11"));
    insertCard(card_);
    JournalRow rec;
    rec.TxnDept = QStringLiteral("001");
    rec.TxnType = QStringLiteral("21");
    rec.CardNo = card_;
    rec.TxnDate = today();
    rec.TxnAmt = QStringLiteral("1000");
    ASSERT_TRUE(InsertJournalRow(rec, gCnn()));
    ReinsertTestCardAtEveryWait();
  }
  // Presses 沖正 and answers what the message window showed (empty on success).
  QString press(VoidWindow& w, const QString& amount, const QString& checkNo = QStringLiteral("B-77")) {
    w.txtCheckNo()->setText(checkNo);
    w.txtVoidAmt()->setText(amount);
    dialogs_->clear();
    w.voidTransaction();
    const QStringList shown = dialogs_->texts(QStringLiteral("showMsg"));
    return shown.isEmpty() ? QString() : shown.join(QLatin1Char(';'));
  }
  std::optional<Money> cardBal() const {
    QString no, store, batch, thru, bal, pts, msg;
    if (!DecodeStripeRecord(SlotCard().tracks[0], no, store, batch, thru, bal, pts, msg)) return std::nullopt;
    return Money::val(bal);
  }
  Money journalSum() const {
    return Money::fromVariant(scalar(QStringLiteral("SELECT SUM(TxnAmt) FROM TolvaLog WHERE CardNo = 'V000001'")));
  }
  // The card, the master row and the journal all hold `bal`.
  void expectBalance(const char* bal) const {
    const Money expected = Money::val(QString::fromLatin1(bal));
    EXPECT_EQ(cardBal(), expected);
    EXPECT_EQ(master(QStringLiteral("BalAmt"), card_), expected);
    EXPECT_EQ(journalSum(), expected);
  }
  // The reversal rows as "amount|points|bill|store".
  QStringList reversals() const {
    QSqlQuery q = gCnn().query(
        QStringLiteral("SELECT TxnAmt, TxnPoint, RefCheckNo, TxnDept FROM TolvaLog WHERE TxnType = '31' ORDER BY RNo"));
    QStringList rows;
    while (q.next()) {
      rows << Money::fromVariant(q.value(0)).toString() + QLatin1Char('|') + Money::fromVariant(q.value(1)).toString() +
                  QLatin1Char('|') + q.value(2).toString() + QLatin1Char('|') + q.value(3).toString();
    }
    return rows;
  }

  const QString card_ = QStringLiteral("V000001");
};

TEST_P(VoidTxnTest, ReversingTheWholeBalanceLeavesZeroAndOneMoreIsRefused) {
  VoidWindow w;
  EXPECT_EQ(press(w, QStringLiteral("400")), QString());
  expectBalance("600");
  EXPECT_EQ(press(w, QStringLiteral("600"), QStringLiteral("B-78")), QString());
  expectBalance("0");
  // The entries are used up, so that a second press cannot repeat the reversal.
  EXPECT_TRUE(w.txtVoidAmt()->text().isEmpty());
  EXPECT_TRUE(w.txtCheckNo()->text().isEmpty());
  EXPECT_EQ(press(w, QStringLiteral("1")), QStringLiteral("沖正後餘額小於零"));
  expectBalance("0");
  EXPECT_EQ(reversals(), (QStringList{QStringLiteral("-400|0|B-77|100"), QStringLiteral("-600|0|B-78|100")}));
  EXPECT_EQ(master(QStringLiteral("BalPoint"), card_), Money::val(QStringLiteral("30")));
  EXPECT_EQ(apLog(QStringLiteral("沖正")),
            (QStringList{QStringLiteral("卡號：V000001，餘額：600，紅利點數：30|"),
                         QStringLiteral("卡號：V000001，餘額：0，紅利點數：30|"),
                         QStringLiteral("沖正後餘額小於零，卡號：V000001|作業拒絕")}));
  EXPECT_TRUE(TestReader().slotFile().isEmpty());
}

TEST_P(VoidTxnTest, EmptyAmountReversesZeroAndRewritesTheCard) {
  VoidWindow w;
  SaveTestCard([] {
    SimCard c = SlotCard();
    c.face = QStringLiteral("old face");
    return c;
  }());
  EXPECT_EQ(press(w, QString()), QString());
  expectBalance("1000");
  EXPECT_EQ(reversals(), QStringList{QStringLiteral("0|0|B-77|100")});
  EXPECT_NE(SlotCard().face, QStringLiteral("old face"));
  EXPECT_TRUE(w.txtVoidAmt()->text().isEmpty());
  EXPECT_TRUE(w.elaMsg()->caption().startsWith(QStringLiteral("沖正完成，卡號：V000001，餘額：1000")));
}

TEST_P(VoidTxnTest, NegativeFractionalOrUncoveredAmountsAreRefused) {
  VoidWindow w;
  // Leaving the field tells at once.
  w.txtVoidAmt()->setText(QStringLiteral("abc"));
  EXPECT_FALSE(w.checkAmount());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("必需為數字"));
  w.txtVoidAmt()->setText(QStringLiteral("-100"));
  EXPECT_FALSE(w.checkAmount());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("沖正金額必需為正整數"));
  // The button refuses what the field refuses, before any card is asked for.
  EXPECT_EQ(press(w, QStringLiteral("-100")), QStringLiteral("沖正金額必需為正整數"));
  EXPECT_EQ(press(w, QStringLiteral("12.5")), QStringLiteral("沖正金額必需為正整數"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  // More than the journal's top-ups, though the card carries it.
  gCnn().execute(QStringLiteral("UPDATE Tolva SET BalAmt = 2000"));
  insertCard(card_, QStringLiteral("2027/12/31"), QStringLiteral("2000"));
  EXPECT_EQ(press(w, QStringLiteral("1001")), QStringLiteral("沖正金額超過可沖正的金額1000"));
  EXPECT_TRUE(reversals().isEmpty());
  EXPECT_EQ(cardBal(), Money::val(QStringLiteral("2000")));
  EXPECT_EQ(apLog(QStringLiteral("沖正")).size(), 3);
}

TEST_P(VoidTxnTest, ExpiredBlacklistedAndUnknownCardsAreRefused) {
  VoidWindow w;
  blacklist(card_);
  EXPECT_EQ(press(w, QStringLiteral("100")), QStringLiteral("此張卡片已列入黑名單中"));
  gCnn().execute(QStringLiteral("DELETE FROM VoidCard"));
  insertCard(card_, QStringLiteral("2026/12/07"));
  EXPECT_EQ(press(w, QStringLiteral("100")), QStringLiteral("超出有效期限"));
  // A card the master table does not hold: its row cannot follow the card.
  gCnn().execute(QStringLiteral("DELETE FROM Tolva"));
  insertCard(card_);
  EXPECT_EQ(press(w, QStringLiteral("100")), QStringLiteral("資料庫中無此卡號"));
  EXPECT_TRUE(reversals().isEmpty());
  EXPECT_EQ(cardBal(), Money::val(QStringLiteral("1000")));
  EXPECT_EQ(apLog(QStringLiteral("沖正")),
            (QStringList{QStringLiteral("此張卡片已列入黑名單中，卡號：V000001|作業拒絕"),
                         QStringLiteral("超出有效期限，卡號：V000001|作業拒絕"),
                         QStringLiteral("資料庫中無此卡號，卡號：V000001|作業拒絕")}));
}

TEST_P(VoidTxnTest, WithNoFileKeptTheFaceGetsTheInstallationsMessageLines) {
  const QString lines = UseCardMessageFile();
  VoidWindow w;
  EXPECT_EQ(press(w, QStringLiteral("10")), QString());
  EXPECT_TRUE(SlotCard().face.endsWith(lines)) << SlotCard().face.toStdString();
}

TEST_P(VoidTxnTest, MessageFileIsKeptForTheWindowAndTypingDoesNotLoadIt) {
  const QString file = TheSettings().appPath + QStringLiteral("/Promo.txt");
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("Line A\r\nLine B\r\n");
  out.close();
  SaveSetting(QStringLiteral("fmVoidTxn"), QStringLiteral("MsgFile"), file);
  MainWindow main;
  main.OpenWindow(QStringLiteral("cmdVoidTxn"));
  auto* w = qobject_cast<VoidWindow*>(main.currentWindow());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("沖正"));
  EXPECT_EQ(w->msgPanel()->line(1)->text(), QStringLiteral("Line B"));
  EXPECT_EQ(press(*w, QStringLiteral("10")), QString());
  EXPECT_TRUE(SlotCard().face.endsWith(QStringLiteral("Line A\nLine B\n\n\n\n\n")));
  // A typed path waits for the file dialog; the exit keeps it for the next run.
  w->txtFile()->setText(TheSettings().appPath + QStringLiteral("/none.txt"));
  QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(w->txtFile(), &leave);
  EXPECT_EQ(w->msgPanel()->line(0)->text(), QStringLiteral("Line A"));
  dialogs_->fileAnswers = {TheSettings().appPath + QStringLiteral("/none.txt")};
  w->fileRow()->chooseMessageFile();
  EXPECT_EQ(w->elaMsg()->caption(), QStringLiteral("訊息檔不存在"));
  w->closeWindow();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(GetSetting(QStringLiteral("fmVoidTxn"), QStringLiteral("MsgFile")), TheSettings().appPath + QStringLiteral("/none.txt"));
  SaveScreenshot(w, QStringLiteral("fmVoidTxn"));
  delete w;
}

TOLVA_DB_TEST_SUITE(VoidTxnTest);
