// The card operation under a counter top-up, without a window: no transaction during the card
// wait, and a commit that fails, or a session that is lost, while the card is still in the reader.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "operations/CounterOperations.h"

#include <QElapsedTimer>

class CardOperationTest : public SoldCardTest {
protected:
  void SetUp() override {
    SoldCardTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    before_ = SlotCard();
  }

  // A counter top-up of 500 on the card in the reader.
  CounterOutcome topUp() {
    return TopUp(ctx(), QStringLiteral("500"));
  }
  // Master row, journal and card as they were before the operation.
  void expectUntouched() {
    EXPECT_EQ(master(QStringLiteral("BalAmt"), card_), Money::fromInt(1000));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
    EXPECT_EQ(SlotCard().tracks[0], before_.tracks[0]);
    EXPECT_TRUE(SlotCard().face.contains(QStringLiteral(" 目前餘額     1000元\n"))) << SlotCard().face.toStdString();
  }
  // Makes the commit fail; `alsoFault` is put on the card at that moment.
  void failCommit(const QString& alsoFault = QString()) {
    SetStatementHookForTest([alsoFault](Connection&, const QString& sql) {
      if (sql != QLatin1String("COMMIT")) return;
      if (!alsoFault.isEmpty()) {
        SimCard c = SlotCard();
        c.fault = alsoFault;
        SaveTestCard(c);
      }
      throw TolvaError(QStringLiteral("5"), QStringLiteral("database is locked"));
    });
  }

  SimCard before_;
};

TEST_P(CardOperationTest, FailedCommitPutsThePreviousCardBack) {
  refuseCommitsWriting(QStringLiteral("TolvaLog"));  // the database itself refuses the commit
  const CounterOutcome out = topUp();
  EXPECT_FALSE(out.ok);
  expectUntouched();
  const QString told = out.message;
  EXPECT_TRUE(told.startsWith(QStringLiteral("資料庫存檔失敗，卡片已回復原狀"))) << told.toStdString();
  EXPECT_EQ(apLog(QStringLiteral("加值")).size(), 1);
  EXPECT_TRUE(apLog(QStringLiteral("加值")).first().endsWith(QStringLiteral("|系統錯誤")));
}

TEST_P(CardOperationTest, CardThatCannotBePutBackIsNamedWithBothValues) {
  failCommit(QString::fromLatin1(kFaultWriteFails));
  const CounterOutcome out = topUp();
  SetStatementHookForTest(nullptr);
  EXPECT_FALSE(out.ok);
  EXPECT_TRUE(out.message.contains(QStringLiteral("卡號 V000001 的卡片與資料庫不一致：卡片餘額 1500、點數 30，資料庫餘額 1000、點數 30")))
      << out.message.toStdString();
  EXPECT_TRUE(readBytes(TheSettings().errorLogFile).contains("_RestoreStripe"));
  EXPECT_EQ(master(QStringLiteral("BalAmt"), card_), Money::fromInt(1000));
}

TEST_P(CardOperationTest, LostConnectionAtTheCommitLeavesTheCardAsItWas) {
  if (!isPostgres()) GTEST_SKIP() << "a server connection";
  const QString pid = sessionPid();
  SetStatementHookForTest([this, pid](Connection&, const QString& sql) {
    if (sql == QLatin1String("COMMIT")) endSession(pid);
  });
  const CounterOutcome out = topUp();
  SetStatementHookForTest(nullptr);
  EXPECT_TRUE(out.message.startsWith(QStringLiteral("資料庫存檔失敗，卡片已回復原狀"))) << out.message.toStdString();
  // The transaction went with the session; the program's own connection is back without a
  // restart, and the failed operation's log row was written on it.
  expectUntouched();
  EXPECT_NE(sessionPid(), pid);
  const QStringList logged = apLog(QStringLiteral("加值"));
  ASSERT_EQ(logged.size(), 1);
  EXPECT_TRUE(logged[0].endsWith(QStringLiteral("|系統錯誤"))) << logged[0].toStdString();
}

TEST_P(CardOperationTest, OperationAfterALostSessionRunsWithoutARestart) {
  if (!isPostgres()) GTEST_SKIP() << "a server connection";
  ReinsertTestCardAtEveryWait();
  ASSERT_TRUE(topUp().ok);
  endSession(sessionPid());
  topUp();
  EXPECT_EQ(master(QStringLiteral("BalAmt"), card_), Money::fromInt(2000));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 2);
  QString no, store, batch, thru, bal, pts, m;
  ASSERT_TRUE(DecodeStripeRecord(SlotCard().tracks[0], no, store, batch, thru, bal, pts, m));
  EXPECT_EQ(Money::val(bal), Money::fromInt(2000));
  const QStringList logged = apLog(QStringLiteral("加值"));
  ASSERT_EQ(logged.size(), 2);
  EXPECT_FALSE(logged[1].endsWith(QStringLiteral("|系統錯誤"))) << logged[1].toStdString();
}

TEST_P(CardOperationTest, SecondConnectionWritesWhileTheCardIsAwaited) {
  // The operator is slow to insert the card; another workstation saves meanwhile.
  qint64 writeMs = -1;
  const QString cnt = connectionString();
  dialogs_->atCardWait.clear();
  dialogs_->atCardWait.push_back([&writeMs, cnt] {
    Connection other;
    Must(other.open(cnt));
    QElapsedTimer clock;
    clock.start();
    TransactionGuard tx(other);
    Exec(other, QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('777', 'other', 7)"));
    Must(tx.commit());
    writeMs = clock.elapsed();
    TestReader().insert(TestReader().deckFolder() + QStringLiteral("/card-0001.card"));
  });
  EXPECT_TRUE(topUp().ok);
  ASSERT_GE(writeMs, 0);
  EXPECT_LT(writeMs, 1000);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Store WHERE StoreID = '777'")), 1);
}

TOLVA_DB_TEST_SUITE(CardOperationTest);
