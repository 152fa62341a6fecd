// The void window on each database with the simulated reader: what it shows of a reversal and
// a refusal, its field check and its message file. The reversal's own rules are tested with
// the counter operations (tests/operations/CounterOperationsTest.cpp).
#include "support/IssueFixture.h"
#include "support/Sql.h"

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
class VoidTxnTest : public SoldCardTest {
protected:
  void SetUp() override {
    SoldCardTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
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
    const QStringList shown = dialogs_->texts(QStringLiteral("showMessage"));
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
    QSqlQuery q = Rows(gCnn(), 
        QStringLiteral("SELECT TxnAmt, TxnPoint, RefCheckNo, TxnDept FROM TolvaLog WHERE TxnType = '31' ORDER BY RNo"));
    QStringList rows;
    while (q.next()) {
      rows << Money::fromVariant(q.value(0)).toString() + QLatin1Char('|') + Money::fromVariant(q.value(1)).toString() +
                  QLatin1Char('|') + q.value(2).toString() + QLatin1Char('|') + q.value(3).toString();
    }
    return rows;
  }

};

TEST_P(VoidTxnTest, AReversalUsesTheEntriesUpAndARefusalIsShown) {
  VoidWindow w;
  EXPECT_EQ(press(w, QStringLiteral("400")), QString());
  expectBalance("600");
  EXPECT_EQ(reversals(), QStringList{QStringLiteral("-400|0|B-77|100")});
  // The entries are used up, so that a second press cannot repeat the reversal.
  EXPECT_TRUE(w.txtVoidAmt()->text().isEmpty());
  EXPECT_TRUE(w.txtCheckNo()->text().isEmpty());
  EXPECT_TRUE(w.elaMsg()->caption().startsWith(QStringLiteral("沖正完成，卡號：V000001，餘額：600")));
  EXPECT_EQ(press(w, QStringLiteral("601")), QStringLiteral("沖正後餘額小於零"));
  expectBalance("600");
}

TEST_P(VoidTxnTest, TheFieldAndTheButtonRefuseABadAmountBeforeAnyCard) {
  VoidWindow w;
  // Leaving the field tells at once.
  w.txtVoidAmt()->setText(QStringLiteral("abc"));
  EXPECT_FALSE(w.checkAmount());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("必需為數字"));
  w.txtVoidAmt()->setText(QStringLiteral("-100"));
  EXPECT_FALSE(w.checkAmount());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("沖正金額必需為正整數"));
  // The button refuses what the field refuses.
  EXPECT_EQ(press(w, QStringLiteral("-100")), QStringLiteral("沖正金額必需為正整數"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  EXPECT_TRUE(reversals().isEmpty());
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
  main.openOperationWindow(QStringLiteral("cmdVoidTxn"));
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
