// One card operation at a time: while the counter's top-up runs, another window cannot save nor
// read a card. The card operation's own rules are tested in tests/operations/CardOperationTest.cpp.
#include "support/IssueFixture.h"

#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "operations/CardOperation.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "windows/counter/MainWindow.h"
#include "windows/settings/StoreWindow.h"

#include <QLineEdit>
#include <QTimer>

class CardOperationTest : public SoldCardTest {
protected:
  void SetUp() override {
    SoldCardTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
  }

  // A counter top-up of 500 on the card in the reader.
  bool topUp(MainWindow& w) {
    w.field(QStringLiteral("txtAmt"))->setText(QStringLiteral("500"));
    w.topUpCard();
    return count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")) == 1;
  }

};

TEST_P(CardOperationTest, NothingElseRunsInsideARunningOperation) {
  MainWindow w;
  StoreWindow stores;
  QString readCaption;
  // While the card is being written (its transaction open), events run: a timer lets the store
  // window save and the main window read a card.
  bool armed = false;
  SetStatementHookForTest([&](Connection&, const QString& sql) {
    if (armed || !sql.contains(QStringLiteral("TolvaLog"), Qt::CaseInsensitive)) return;
    armed = true;
    QTimer::singleShot(0, &w, [&] {
      stores.addStore();
      stores.txtStoreID()->setText(QStringLiteral("555"));
      stores.txtStoreName()->setText(QStringLiteral("inside"));
      stores.saveStore();
      w.readCard();
      readCaption = w.findChild<StatusPanel*>(QStringLiteral("elaMsg"))->caption();
    });
  });
  EXPECT_TRUE(topUp(w));
  SetStatementHookForTest(nullptr);
  EXPECT_EQ(stores.findChild<StatusPanel*>(QStringLiteral("elaMsg"))->caption(), QStringLiteral("存檔失敗"));
  EXPECT_EQ(readCaption, CardOperation::busyText());
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Store WHERE StoreID = '555'")), 0);
  EXPECT_EQ(master(QStringLiteral("BalAmt"), card_), Money::fromInt(1500));
}

TOLVA_DB_TEST_SUITE(CardOperationTest);
