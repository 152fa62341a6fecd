// The erase window on each database with the simulated reader: what an erase leaves in the
// master row, the journal, the list and on the card, and what it refuses.
#include "support/IssueFixture.h"

#include "core/ErrorReport.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "windows/inquiry/EraseWindow.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>

class EraseCardTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = std::make_unique<EraseWindow>();
  }
  void TearDown() override {
    window_.reset();
    IssueTest::TearDown();
  }

  // Types the number, leaves the field and presses 清除.
  void erase(const QString& typed) {
    window_->txtCardNo()->setText(typed);
    if (window_->checkCardNumber()) window_->eraseCard();
  }
  int erasedRows(const QString& cardNo) {
    return count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnType = '81' AND CardNo = ") + QuotText(cardNo));
  }
  QStringList listed() {
    QStringList numbers;
    for (int r = 1; r < window_->fgLog()->rows(); ++r) numbers << window_->fgLog()->textMatrix(r, 0);
    return numbers;
  }

  QString lastMsg() const {
    const QStringList shown = dialogs_->texts(QStringLiteral("showMsg"));
    return shown.isEmpty() ? QString() : shown.last();
  }

  std::unique_ptr<EraseWindow> window_;
};

TEST_P(EraseCardTest, ErasesTheTypedCardWhateverItsStatusOncePerWindow) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("81"));
  addMaster(QStringLiteral("V000003"), QStringLiteral("99"));
  insertCard(QStringLiteral("V000001"));
  auto insert = dialogs_->atCardWait.back();
  bool openDuringWait = true;
  dialogs_->atCardWait.back() = [&openDuringWait, insert] {
    openDuringWait = gCnn().inTransaction();
    insert();
  };
  erase(QStringLiteral("v000001"));
  EXPECT_FALSE(openDuringWait);  // upper-cased on leaving the field
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("81"));
  EXPECT_EQ(scalar(QStringLiteral("SELECT Remark FROM Tolva WHERE CardNo = 'V000001'")).toString(), QStringLiteral("消磁"));
  // Balance and points stay in the master row for a re-issue to carry over.
  EXPECT_EQ(master(QStringLiteral("BalAmt"), QStringLiteral("V000001")), Money::fromInt(1000));
  QSqlQuery q = gCnn().query(QStringLiteral("SELECT TxnDept, TxnAmt, TxnPoint, POSID, UserID FROM TolvaLog"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("100"));
  EXPECT_EQ(Money::fromVariant(q.value(1)), Money{});
  EXPECT_EQ(Money::fromVariant(q.value(2)), Money{});
  EXPECT_EQ(q.value(3).toString() + q.value(4).toString(), QStringLiteral("POS1clerk"));
  EXPECT_EQ(SlotCard().tracks[0].trimmed(), QByteArray());
  EXPECT_TRUE(SlotCard().face.isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("清除")), QStringList{QStringLiteral("卡號：V000001|消磁")});

  // The same number again in this window is refused before a card is asked for.
  const int waits = dialogs_->texts(QStringLiteral("waitForCard")).size();
  erase(QStringLiteral("V000001"));
  EXPECT_EQ(lastMsg(), QStringLiteral("已做過清除作業"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("waitForCard")).size(), waits);
  EXPECT_EQ(erasedRows(QStringLiteral("V000001")), 1);

  // Erased and blacklisted cards are erased again; the list shows the newest first.
  window_->optClearType(1)->setChecked(true);
  for (const char* no : {"V000002", "V000003"}) {
    insertCard(QString::fromLatin1(no));
    erase(QString::fromLatin1(no));
    EXPECT_EQ(status(QString::fromLatin1(no)), QStringLiteral("81")) << no;
    EXPECT_EQ(erasedRows(QString::fromLatin1(no)), 1) << no;
  }
  EXPECT_EQ(scalar(QStringLiteral("SELECT Remark FROM Tolva WHERE CardNo = 'V000003'")).toString(), QStringLiteral("回收"));
  EXPECT_EQ(listed(), (QStringList{QStringLiteral("V000003"), QStringLiteral("V000002"), QStringLiteral("V000001")}));
}

TEST_P(EraseCardTest, RefusesLongUnknownAndOtherCardsBeforeChangingAnything) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("11"));
  window_->txtCardNo()->setText(QStringLiteral("V0000011"));
  EXPECT_FALSE(window_->checkCardNumber());
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("卡號長度不可大於7碼"));
  window_->eraseCard();  // the button does not get round the field
  window_->txtCardNo()->setText(QStringLiteral("V000001"));
  EXPECT_TRUE(window_->checkCardNumber());
  erase(QStringLiteral("V000009"));
  EXPECT_EQ(lastMsg(), QStringLiteral("資料庫內無此卡號"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());

  // The card in the reader is another card: refused, both rows and the card as they were.
  insertCard(QStringLiteral("V000002"));
  const QByteArray stripe = SlotCard().tracks[0];
  erase(QStringLiteral("V000001"));
  EXPECT_EQ(lastMsg(), QStringLiteral("卡號不符，卡片上的卡號：V000002"));
  EXPECT_EQ(status(QStringLiteral("V000001")) + status(QStringLiteral("V000002")), QStringLiteral("1111"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0], stripe);
  EXPECT_TRUE(listed().isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("清除")),
            (QStringList{QStringLiteral("卡號長度不可大於7碼，卡號：V0000011|作業拒絕"),
                         QStringLiteral("資料庫內無此卡號，卡號：V000009|作業拒絕"),
                         QStringLiteral("卡號不符，卡片上的卡號：V000002，卡號：V000001|作業拒絕")}));
}

TEST_P(EraseCardTest, DemagnetisedCardsAreErased) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("11"));
  SimCard garbled;
  garbled.tracks[0] = QByteArray("\x01\x7f?? broken");
  InsertTestCard(garbled);
  erase(QStringLiteral("V000001"));
  SimCard unreadable;
  unreadable.tracks[0] = record(QStringLiteral("V000009"), QStringLiteral("2027/12/31"), QStringLiteral("5"), QStringLiteral("0"));
  unreadable.fault = QString::fromLatin1(kFaultReadFails);
  InsertTestCard(unreadable);
  erase(QStringLiteral("V000002"));
  EXPECT_EQ(status(QStringLiteral("V000001")) + status(QStringLiteral("V000002")), QStringLiteral("8181"));
  EXPECT_EQ(SlotCard().tracks[0], QByteArray(" "));
  EXPECT_EQ(listed(), (QStringList{QStringLiteral("V000002"), QStringLiteral("V000001")}));
}

TEST_P(EraseCardTest, FailureAtAnyStepLeavesTheRowAndTheCardAsTheyWere) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  const auto attempt = [&](const QString& fault, bool refuseCommit) {
    insertCard(QStringLiteral("V000001"));
    SimCard c = SlotCard();
    const SimCard before = c;
    c.fault = fault;
    SaveTestCard(c);
    if (refuseCommit) refuseCommitsWriting(QStringLiteral("TolvaLog"));
    dialogs_->clear();
    erase(QStringLiteral("V000001"));
    const std::string where = fault.toStdString() + (refuseCommit ? " commit" : "");
    EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("11")) << where;
    EXPECT_EQ(erasedRows(QStringLiteral("V000001")), 0) << where;
    EXPECT_EQ(SlotCard().tracks[0], before.tracks[0]) << where;
    EXPECT_FALSE(dialogs_->texts(QStringLiteral("showMsg")).isEmpty()) << where;
  };
  for (const char* fault : {kFaultWriteFails, kFaultEraseFails, kFaultMisinserted, kFaultIllegal}) {
    attempt(QString::fromLatin1(fault), false);
  }
  attempt(QString(), true);
  EXPECT_TRUE(listed().isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("清除")).size(), 5);
}

TOLVA_DB_TEST_SUITE(EraseCardTest);
