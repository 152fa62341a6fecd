// The sale window: card after card until the operator stops, newest on top, a refused card
// shown and the loop going on. The sale's own rules are tested in
// tests/operations/CardSaleTest.cpp.
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
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("售出QDR卡，卡號V000002"));
  EXPECT_EQ(status(QStringLiteral("V000001")) + status(QStringLiteral("V000002")), QStringLiteral("1111"));
  EXPECT_TRUE(TestReader().slotFile().isEmpty());
  SaveScreenshot(&w, QStringLiteral("fmSaleCard"));
}

TEST_P(SaleCardTest, ARefusedCardIsShownAndTheLoopGoesOn) {
  addMaster(QStringLiteral("V000011"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000012"), QStringLiteral("01"));
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000011"));
  queue(op, QStringLiteral("V000055"));  // not in the database
  queue(op, QStringLiteral("V000012"));
  SaleWindow w;
  w.sellCards();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")),
            (QStringList{QStringLiteral("此卡已售出"), QStringLiteral("資料庫中無此卡號")}));
  EXPECT_EQ(gridRows(w), QStringList{QStringLiteral("V000012|1000|2027/12/31")});
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("售出QDR卡，卡號V000012"));
  EXPECT_EQ(op.waits, 4);
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
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")),
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

TEST_P(SaleCardTest, ExitEmptiesTheWindowAndTheMenuOpensIt) {
  MainWindow main;
  ASSERT_TRUE(main.button(QStringLiteral("cmdSaleCard"))->isEnabled());
  main.openOperationWindow(QStringLiteral("cmdSaleCard"));
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
  main.openOperationWindow(QStringLiteral("cmdSaleCard"));
  EXPECT_EQ(main.currentWindow(), w);  // kept loaded and reused
  delete w;
}

TOLVA_DB_TEST_SUITE(SaleCardTest);
