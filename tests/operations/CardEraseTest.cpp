// Erasing without a window: what an erase leaves in the master row, the journal and on the card,
// what it refuses, and that a failure at any step leaves the row and the card as they were.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "operations/CardErase.h"

#include <QSqlQuery>

class CardEraseTest : public IssueTest {
protected:
  static CardOutcome erase(const QString& cardNo, const QString& reason = QStringLiteral("消磁")) {
    return EraseCard(ctx(), cardNo, reason);
  }
  int erasedRows(const QString& cardNo) const {
    return count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnType = '81' AND CardNo = ") + QuotText(cardNo));
  }
};

TEST_P(CardEraseTest, ErasesTheCardWhateverItsStatus) {
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
  EXPECT_TRUE(erase(QStringLiteral("V000001")).ok);
  EXPECT_FALSE(openDuringWait);
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("81"));
  EXPECT_EQ(scalar(QStringLiteral("SELECT Remark FROM Tolva WHERE CardNo = 'V000001'")).toString(), QStringLiteral("消磁"));
  // Balance and points stay in the master row for a re-issue to carry over.
  EXPECT_EQ(master(QStringLiteral("BalAmt"), QStringLiteral("V000001")), Money::fromInt(1000));
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT TxnDept, TxnAmt, TxnPoint, POSID, UserID FROM TolvaLog"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("100"));
  EXPECT_EQ(Money::fromVariant(q.value(1)), Money{});
  EXPECT_EQ(Money::fromVariant(q.value(2)), Money{});
  EXPECT_EQ(q.value(3).toString() + q.value(4).toString(), QStringLiteral("POS1clerk"));
  EXPECT_EQ(SlotCard().tracks[0].trimmed(), QByteArray());
  EXPECT_TRUE(SlotCard().face.isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("清除")), QStringList{QStringLiteral("卡號：V000001|消磁")});

  // Erased and blacklisted cards are erased again.
  for (const char* no : {"V000002", "V000003"}) {
    insertCard(QString::fromLatin1(no));
    EXPECT_TRUE(erase(QString::fromLatin1(no), QStringLiteral("回收")).ok) << no;
    EXPECT_EQ(status(QString::fromLatin1(no)), QStringLiteral("81")) << no;
    EXPECT_EQ(erasedRows(QString::fromLatin1(no)), 1) << no;
  }
  EXPECT_EQ(scalar(QStringLiteral("SELECT Remark FROM Tolva WHERE CardNo = 'V000003'")).toString(), QStringLiteral("回收"));
}

TEST_P(CardEraseTest, RefusesUnknownNumbersAndOtherCardsBeforeChangingAnything) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("11"));
  CardOutcome out = erase(QStringLiteral("V000009"));
  EXPECT_EQ(out.message, QStringLiteral("資料庫內無此卡號"));
  EXPECT_TRUE(out.refused);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());

  // The card in the reader is another card: refused, both rows and the card as they were.
  insertCard(QStringLiteral("V000002"));
  const QByteArray stripe = SlotCard().tracks[0];
  out = erase(QStringLiteral("V000001"));
  EXPECT_EQ(out.message, QStringLiteral("卡號不符，卡片上的卡號：V000002"));
  EXPECT_EQ(status(QStringLiteral("V000001")) + status(QStringLiteral("V000002")), QStringLiteral("1111"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(SlotCard().tracks[0], stripe);
  EXPECT_EQ(apLog(QStringLiteral("清除")),
            (QStringList{QStringLiteral("資料庫內無此卡號，卡號：V000009|作業拒絕"),
                         QStringLiteral("卡號不符，卡片上的卡號：V000002，卡號：V000001|作業拒絕")}));
}

TEST_P(CardEraseTest, DemagnetisedCardsAreErased) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("11"));
  SimCard garbled;
  garbled.tracks[0] = QByteArray("\x01\x7f?? broken");
  InsertTestCard(garbled);
  EXPECT_TRUE(erase(QStringLiteral("V000001")).ok);
  SimCard unreadable;
  unreadable.tracks[0] = record(QStringLiteral("V000009"), QStringLiteral("2027/12/31"), QStringLiteral("5"), QStringLiteral("0"));
  unreadable.fault = QString::fromLatin1(kFaultReadFails);
  InsertTestCard(unreadable);
  EXPECT_TRUE(erase(QStringLiteral("V000002")).ok);
  EXPECT_EQ(status(QStringLiteral("V000001")) + status(QStringLiteral("V000002")), QStringLiteral("8181"));
  EXPECT_EQ(SlotCard().tracks[0], QByteArray(" "));
}

TEST_P(CardEraseTest, FailureAtAnyStepLeavesTheRowAndTheCardAsTheyWere) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  const auto attempt = [&](const QString& fault, bool refuseCommit) {
    insertCard(QStringLiteral("V000001"));
    SimCard c = SlotCard();
    const SimCard before = c;
    c.fault = fault;
    SaveTestCard(c);
    if (refuseCommit) refuseCommitsWriting(QStringLiteral("TolvaLog"));
    const CardOutcome out = erase(QStringLiteral("V000001"));
    const std::string where = fault.toStdString() + (refuseCommit ? " commit" : "");
    EXPECT_FALSE(out.ok) << where;
    EXPECT_FALSE(out.message.isEmpty()) << where;
    EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("11")) << where;
    EXPECT_EQ(erasedRows(QStringLiteral("V000001")), 0) << where;
    EXPECT_EQ(SlotCard().tracks[0], before.tracks[0]) << where;
  };
  for (const char* fault : {kFaultWriteFails, kFaultEraseFails, kFaultMisinserted, kFaultIllegal}) {
    attempt(QString::fromLatin1(fault), false);
  }
  attempt(QString(), true);
  EXPECT_EQ(apLog(QStringLiteral("清除")).size(), 5);
}

TOLVA_DB_TEST_SUITE(CardEraseTest);
