#include "support/IssueFixture.h"

#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "windows/counter/MainWindow.h"
#include "windows/issue/SaleWindow.h"
#include "support/Screenshot.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

class SaleCardTest : public IssueTest {
protected:
  // Queues a card with this stripe for the next card wait.
  void queue(OperatorAtReader& op, const QString& cardNo, const QString& goodThru = QStringLiteral("2027/12/31"),
             const QString& bal = QStringLiteral("1000")) {
    op.cards.push_back([this, cardNo, goodThru, bal] { insertCard(cardNo, goodThru, bal); });
  }
  QStringList gridRows(const SaleWindow& w) const {
    QStringList rows;
    for (int r = 1; r < w.fgList()->rows(); ++r) {
      rows << w.fgList()->textMatrix(r, 0) + QLatin1Char('|') + w.fgList()->textMatrix(r, 1) + QLatin1Char('|') +
                  w.fgList()->textMatrix(r, 2);
    }
    return rows;
  }
};

TEST_P(SaleCardTest, TwoCardsInOneLoopAreSoldNewestOnTop) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("01"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("01"));
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000001"), QStringLiteral("2027/12/31"), QStringLiteral("500"));
  queue(op, QStringLiteral("V000002"), QStringLiteral("2028/01/31"), QStringLiteral("800"));
  SaleWindow w;
  w.txtRefNo()->setText(QStringLiteral("AB-1234"));
  w.sellCards();

  EXPECT_EQ(gridRows(w), (QStringList{QStringLiteral("V000002|800|2028/01/31"), QStringLiteral("V000001|500|2027/12/31")}));
  EXPECT_EQ(apLog(QStringLiteral("售出")),
            (QStringList{QStringLiteral("卡號：V000001，帳單號：AB-1234|"), QStringLiteral("卡號：V000002，帳單號：AB-1234|")}));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("售出QDR卡，卡號V000002"));
  for (const QString& no : {QStringLiteral("V000001"), QStringLiteral("V000002")}) {
    EXPECT_EQ(status(no), QStringLiteral("11"));
    EXPECT_FALSE(scalar(QStringLiteral("SELECT FirstDate FROM Tolva WHERE CardNo = '") + no + QLatin1Char('\'')).isNull());
    EXPECT_EQ(scalar(QStringLiteral("SELECT UpdUserID FROM Tolva WHERE CardNo = '") + no + QLatin1Char('\'')).toString(),
              QStringLiteral("clerk"));
  }
  QSqlQuery q = gCnn().query(QStringLiteral(
      "SELECT CardNo, TxnType, TxnDept, RefCheckNo, TxnAmt, TxnPoint, POSID, TxnDate FROM TolvaLog ORDER BY RNo"));
  for (const char* no : {"V000001", "V000002"}) {
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QString::fromLatin1(no));
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("13"));
    EXPECT_EQ(q.value(2).toString(), QStringLiteral("001"));  // the issuing store on the card
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("AB-1234"));
    EXPECT_EQ(Money::fromVariant(q.value(4)), Money());
    EXPECT_EQ(Money::fromVariant(q.value(5)), Money());
    EXPECT_EQ(q.value(6).toString(), QStringLiteral("POS1"));
    EXPECT_TRUE(q.value(7).toString().startsWith(QStringLiteral("2026"))) << q.value(7).toString().toStdString();
  }
  EXPECT_FALSE(q.next());
  // The stripe and the face are the ones the card came with; it left the reader.
  EXPECT_TRUE(TestReader().slotFile().isEmpty());
  EXPECT_EQ(SlotCard().tracks[0], record(QStringLiteral("V000002"), QStringLiteral("2028/01/31"), QStringLiteral("800"), QStringLiteral("30")));
  EXPECT_TRUE(SlotCard().face.isEmpty());
  SaveScreenshot(&w, QStringLiteral("fmSaleCard"));
}

TEST_P(SaleCardTest, EveryRefusalIsLoggedAndLeavesTheMasterRowAlone) {
  addMaster(QStringLiteral("V000010"), QStringLiteral("01"));  // good thru today: sold
  addMaster(QStringLiteral("V000011"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000012"), QStringLiteral("12"));
  addMaster(QStringLiteral("V000081"), QStringLiteral("81"));
  addMaster(QStringLiteral("V000099"), QStringLiteral("01"));
  blacklist(QStringLiteral("V000099"));
  addMaster(QStringLiteral("V000111"), QStringLiteral("11"));  // sold and blacklisted: reported as sold
  blacklist(QStringLiteral("V000111"));
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000010"), QStringLiteral("2026/12/08"));
  queue(op, QStringLiteral("V000077"), QStringLiteral("2026/12/07"));  // expired, and not in the database either
  queue(op, QStringLiteral("V000011"));
  queue(op, QStringLiteral("V000012"));
  queue(op, QStringLiteral("V000081"));
  queue(op, QStringLiteral("V000055"));  // not in the database
  queue(op, QStringLiteral("V000099"));
  queue(op, QStringLiteral("V000111"));
  SaleWindow w;
  w.txtRefNo()->setText(QStringLiteral("INV9"));
  w.sellCards();

  const QString fail = QStringLiteral("|作業拒絕");
  EXPECT_EQ(apLog(QStringLiteral("售出")),
            (QStringList{QStringLiteral("卡號：V000010，帳單號：INV9|"),
                         QStringLiteral("超出有效期限，卡號：V000077") + fail,
                         QStringLiteral("此卡已售出，卡號：V000011") + fail,
                         QStringLiteral("此卡已售出，卡號：V000012") + fail,
                         QStringLiteral("此卡已被清除，卡號：V000081") + fail,
                         QStringLiteral("資料庫中無此卡號，卡號：V000055") + fail,
                         QStringLiteral("此張卡片已列入黑名單中，卡號：V000099") + fail,
                         QStringLiteral("此卡已售出，卡號：V000111") + fail}));
  EXPECT_EQ(status(QStringLiteral("V000010")), QStringLiteral("11"));
  EXPECT_EQ(status(QStringLiteral("V000081")), QStringLiteral("81"));
  EXPECT_EQ(status(QStringLiteral("V000099")), QStringLiteral("01"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 1);
  EXPECT_EQ(gridRows(w), QStringList{QStringLiteral("V000010|1000|2026/12/08")});
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("此張QDR卡有問題，卡號V000111"));
  EXPECT_TRUE(TestReader().slotFile().isEmpty());  // every card was ejected and the loop went on
}

TEST_P(SaleCardTest, CancelledWaitEndsTheLoopSilently) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("01"));
  OperatorAtReader op(*dialogs_);
  SaleWindow w;
  w.sellCards();
  EXPECT_EQ(op.waits, 1);
  EXPECT_TRUE(w.elaMsg()->caption().isEmpty());
  EXPECT_TRUE(apLog(QStringLiteral("售出")).isEmpty());
  EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isEnabled());
}

TEST_P(SaleCardTest, SoldCardLeavesTheReaderAndIsNotSoldAgain) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("01"));
  OperatorAtReader op(*dialogs_);
  op.takeOutOnBeep = false;
  queue(op, QStringLiteral("V000001"));
  SaleWindow w;
  w.sellCards();
  EXPECT_EQ(apLog(QStringLiteral("售出")).size(), 1);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 1);
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("11"));
  EXPECT_EQ(SlotCard().tracks[0], record(QStringLiteral("V000001"), QStringLiteral("2027/12/31"), QStringLiteral("1000"), QStringLiteral("30")));
}

TEST_P(SaleCardTest, BadlyInsertedCardIsLoggedAndUnreadableCardEndsTheLoop) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("01"));
  OperatorAtReader op(*dialogs_);
  op.cards.push_back([] {
    SimCard c;
    c.fault = QString::fromLatin1(kFaultMisinserted);
    InsertTestCard(c);
  });
  queue(op, QStringLiteral("V000001"));
  op.cards.push_back([] {
    SimCard blank;
    blank.tracks[0] = " ";
    InsertTestCard(blank);
  });
  queue(op, QStringLiteral("V000001"));  // never reached
  SaleWindow w;
  w.sellCards();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMsg")),
            (QStringList{QStringLiteral("卡片沒插好"), QStringLiteral("卡片資料有誤")}));
  EXPECT_EQ(apLog(QStringLiteral("售出")), (QStringList{QStringLiteral("卡片沒插好|系統錯誤"),
                                                      QStringLiteral("卡號：V000001，帳單號：|"),
                                                      QStringLiteral("卡片資料有誤|系統錯誤")}));
  EXPECT_EQ(op.cards.size(), 1u);
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("售出QDR卡，卡號V000001"));
}

TEST_P(SaleCardTest, RefusedCardIsEjectedAndNotRefusedAgain) {
  OperatorAtReader op(*dialogs_);
  op.takeOutOnBeep = false;
  op.cards.push_back([] {
    SimCard c;
    c.fault = QString::fromLatin1(kFaultMisinserted);
    InsertTestCard(c);
  });
  SaleWindow w;
  w.sellCards();  // the next wait finds no card and the operator ends the loop
  EXPECT_EQ(apLog(QStringLiteral("售出")).size(), 1);
  EXPECT_EQ(op.waits, 2);
}

TEST_P(SaleCardTest, FailedJournalRollsTheStatusBack) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("01"));
  gCnn().execute(QStringLiteral("DROP TABLE TolvaLog"));
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000001"));
  SaleWindow w;
  w.sellCards();
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("01"));
  EXPECT_TRUE(scalar(QStringLiteral("SELECT FirstDate FROM Tolva WHERE CardNo = 'V000001'")).isNull());
  EXPECT_EQ(apLog(QStringLiteral("售出")), QStringList{QStringLiteral("Tolva記錄檔寫入失敗，卡號：V000001|系統錯誤")});
  EXPECT_EQ(w.fgList()->rows(), 1);
}

TEST_P(SaleCardTest, ExitEmptiesTheWindowAndTheMenuOpensIt) {
  MainWindow main;
  ASSERT_TRUE(main.button(QStringLiteral("cmdSaleCard"))->isEnabled());
  main.OpenWindow(QStringLiteral("cmdSaleCard"));
  auto* w = qobject_cast<SaleWindow*>(main.currentWindow());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("售出卡片"));
  w->txtRefNo()->setText(QStringLiteral("X1"));
  w->fgList()->insertRowUnderHeading({QStringLiteral("V000001"), QStringLiteral("1"), QStringLiteral("2027/12/31")});
  w->elaMsg()->setCaption(QStringLiteral("old"));
  w->close();
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(w->txtRefNo()->text().isEmpty());
  EXPECT_EQ(w->fgList()->rows(), 1);
  EXPECT_TRUE(w->elaMsg()->caption().isEmpty());
  main.OpenWindow(QStringLiteral("cmdSaleCard"));
  EXPECT_EQ(main.currentWindow(), w);  // kept loaded and reused
  delete w;
}

TOLVA_DB_TEST_SUITE(SaleCardTest);
