#include "CardFixture.h"

#include "app/globals.h"
#include "card/basBorixCRW.h"
#include "card/basQDR_Rewrite.h"
#include "card/basQDR_Tolva.h"
#include "support/CardSim.h"

namespace {
CardImage toppedUp() {
  return CardImage{QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("V0001"),
                   QStringLiteral("2027/12/31"), QStringLiteral("1500"), QStringLiteral("30"),
                   QStringLiteral("msg\n"), QStringLiteral("1000"), QStringLiteral("500")};
}
}  // namespace

class RewriteCardTest : public CardTest {
protected:
  QByteArray insertIssued() {
    InsertRecordCard(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("V0001"),
                     QStringLiteral("2027/12/31"), QStringLiteral("1000"), QStringLiteral("30"));
    return slotCard().tracks[0];
  }
};

TEST_F(RewriteCardTest, NewStripeAndFaceWithPreviousBalanceAndTransaction) {
  insertIssued();
  QString msg;
  ASSERT_TRUE(Borix_InsertCard(msg));
  ASSERT_TRUE(QDR_RewriteCard(toppedUp(), msg));
  CRW_CardOut();
  QString no, store, batch, thru, bal, pts;
  ASSERT_TRUE(QDR_ReadCard(no, store, batch, thru, bal, pts, msg, true));
  EXPECT_EQ(bal, QStringLiteral("1500"));
  EXPECT_TRUE(slotCard().face.contains(QStringLiteral(" 上期餘額     1000元\n 本次交易      500元\n 目前餘額     1500元\n")));
  EXPECT_TRUE(slotCard().face.endsWith(QStringLiteral("msg\n")));
}

TEST_F(RewriteCardTest, FailedFaceGivesTheCardItsPreviousRecordBack) {
  const QByteArray before = insertIssued();
  SimCard card = slotCard();
  card.fault = QString::fromLatin1(kFaultPrintFails);
  ASSERT_TRUE(card.save(reader().slotFile()));
  QString msg;
  ASSERT_TRUE(Borix_InsertCard(msg));
  EXPECT_FALSE(QDR_RewriteCard(toppedUp(), msg));
  EXPECT_EQ(msg, QStringLiteral("列印資料失敗!"));
  EXPECT_EQ(slotCard().tracks[0], before);
}

TEST_F(RewriteCardTest, FailedStripeWriteLeavesTheCardAsItWas) {
  const QByteArray before = insertIssued();
  SimCard card = slotCard();
  card.fault = QString::fromLatin1(kFaultWriteFails);
  card.face = QStringLiteral("old face");
  ASSERT_TRUE(card.save(reader().slotFile()));
  QString msg;
  ASSERT_TRUE(Borix_InsertCard(msg));
  EXPECT_FALSE(QDR_RewriteCard(toppedUp(), msg));
  EXPECT_EQ(msg, QStringLiteral("磁條寫入失敗"));
  EXPECT_EQ(slotCard().tracks[0], before);
  EXPECT_EQ(slotCard().face, QStringLiteral("old face"));
}
