// Selling an issued card without a window: the master row and the sale's journal row change
// together, the card keeps its stripe and face, and every refusal is logged.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "operations/CardSale.h"

#include <QSqlQuery>

class CardSaleTest : public IssueTest {
protected:
  CardOutcome sell(const QString& cardNo, const QString& goodThru = QStringLiteral("2027/12/31"),
                   const QString& refNo = QStringLiteral("INV9")) {
    insertCard(cardNo, goodThru);
    return SellIssuedCard(ctx(), refNo);
  }
};

TEST_P(CardSaleTest, SellsTheCardOnceAndLeavesItsStripeAndFace) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("01"));
  const CardOutcome out = sell(QStringLiteral("V000001"), QStringLiteral("2027/12/31"), QStringLiteral("AB-1234"));
  ASSERT_TRUE(out.ok) << out.message.toStdString();
  EXPECT_EQ(out.card.image.cardNo.trimmed(), QStringLiteral("V000001"));
  EXPECT_EQ(out.card.image.balAmt, QStringLiteral("1000"));
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("11"));
  EXPECT_FALSE(scalar(QStringLiteral("SELECT FirstDate FROM Tolva WHERE CardNo = 'V000001'")).isNull());
  EXPECT_EQ(scalar(QStringLiteral("SELECT UpdUserID FROM Tolva WHERE CardNo = 'V000001'")).toString(), QStringLiteral("clerk"));
  QSqlQuery q = Rows(gCnn(), 
      QStringLiteral("SELECT CardNo, TxnType, TxnDept, RefCheckNo, TxnAmt, TxnPoint, POSID, UserID, TxnDate FROM TolvaLog"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("V000001"));
  EXPECT_EQ(q.value(1).toString(), QStringLiteral("13"));
  EXPECT_EQ(q.value(2).toString(), QStringLiteral("001"));  // the issuing store on the card
  EXPECT_EQ(q.value(3).toString(), QStringLiteral("AB-1234"));
  EXPECT_EQ(Money::fromVariant(q.value(4)), Money());
  EXPECT_EQ(Money::fromVariant(q.value(5)), Money());
  EXPECT_EQ(q.value(6).toString(), QStringLiteral("POS1"));
  EXPECT_EQ(q.value(7).toString(), QStringLiteral("clerk"));
  EXPECT_TRUE(q.value(8).toString().startsWith(QStringLiteral("2026"))) << q.value(8).toString().toStdString();
  EXPECT_FALSE(q.next());
  // The stripe and the face are the ones the card came with; it left the reader.
  EXPECT_TRUE(TestReader().slotFile().isEmpty());
  EXPECT_EQ(SlotCard().tracks[0], record(QStringLiteral("V000001"), QStringLiteral("2027/12/31"), QStringLiteral("1000"),
                                         QStringLiteral("30")));
  EXPECT_TRUE(SlotCard().face.isEmpty());

  EXPECT_FALSE(sell(QStringLiteral("V000001")).ok);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 1);
  EXPECT_EQ(apLog(QStringLiteral("售出")), (QStringList{QStringLiteral("卡號：V000001，帳單號：AB-1234|"),
                                                      QStringLiteral("此卡已售出，卡號：V000001|作業拒絕")}));
}

TEST_P(CardSaleTest, EveryRefusalIsLoggedAndLeavesTheMasterRowAlone) {
  addMaster(QStringLiteral("V000010"), QStringLiteral("01"));
  addMaster(QStringLiteral("V000011"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000012"), QStringLiteral("12"));
  addMaster(QStringLiteral("V000081"), QStringLiteral("81"));
  addMaster(QStringLiteral("V000099"), QStringLiteral("01"));
  blacklist(QStringLiteral("V000099"));
  addMaster(QStringLiteral("V000111"), QStringLiteral("11"));  // sold and blacklisted: reported as sold
  blacklist(QStringLiteral("V000111"));
  const struct {
    const char* cardNo;
    const char* goodThru;
    QString refused;  // empty: sold
  } cases[] = {
      {"V000010", "2026/12/08", QString()},  // good thru today
      {"V000077", "2026/12/07", QStringLiteral("超出有效期限")},  // expired, and not in the database either
      {"V000011", "2027/12/31", QStringLiteral("此卡已售出")},
      {"V000012", "2027/12/31", QStringLiteral("此卡已售出")},
      {"V000081", "2027/12/31", QStringLiteral("此卡已被清除")},
      {"V000055", "2027/12/31", QStringLiteral("資料庫中無此卡號")},
      {"V000099", "2027/12/31", QStringLiteral("此張卡片已列入黑名單中")},
      {"V000111", "2027/12/31", QStringLiteral("此卡已售出")},
  };
  QStringList expected;
  for (const auto& c : cases) {
    const CardOutcome out = sell(QString::fromLatin1(c.cardNo), QString::fromLatin1(c.goodThru));
    EXPECT_EQ(out.ok, c.refused.isEmpty()) << c.cardNo;
    EXPECT_TRUE(TestReader().slotFile().isEmpty()) << c.cardNo;
    expected << (c.refused.isEmpty() ? QStringLiteral("卡號：%1，帳單號：INV9|").arg(QString::fromLatin1(c.cardNo))
                                     : c.refused + QStringLiteral("，卡號：%1|作業拒絕").arg(QString::fromLatin1(c.cardNo)));
  }
  EXPECT_EQ(apLog(QStringLiteral("售出")), expected);
  EXPECT_EQ(status(QStringLiteral("V000010")), QStringLiteral("11"));
  EXPECT_EQ(status(QStringLiteral("V000081")), QStringLiteral("81"));
  EXPECT_EQ(status(QStringLiteral("V000099")), QStringLiteral("01"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 1);
}

TEST_P(CardSaleTest, BadCardsAndAFailedJournalRowSellNothing) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("01"));
  SimCard misinserted;
  misinserted.fault = QString::fromLatin1(kFaultMisinserted);
  InsertTestCard(misinserted);
  CardOutcome out = SellIssuedCard(ctx(), QString());
  EXPECT_EQ(out.message, QStringLiteral("卡片沒插好"));
  EXPECT_NE(out.waitCode, 0);
  SimCard blank;
  blank.tracks[0] = " ";
  InsertTestCard(blank);
  out = SellIssuedCard(ctx(), QString());
  EXPECT_EQ(out.message, QStringLiteral("卡片資料有誤"));
  EXPECT_FALSE(out.card.valid);

  // The status goes back with the journal row.
  Exec(gCnn(), QStringLiteral("DROP TABLE TolvaLog"));
  EXPECT_FALSE(sell(QStringLiteral("V000001")).ok);
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("01"));
  EXPECT_TRUE(scalar(QStringLiteral("SELECT FirstDate FROM Tolva WHERE CardNo = 'V000001'")).isNull());
  EXPECT_EQ(apLog(QStringLiteral("售出")),
            (QStringList{QStringLiteral("卡片沒插好|系統錯誤"), QStringLiteral("卡片資料有誤|系統錯誤"),
                         QStringLiteral("Tolva記錄檔寫入失敗，卡號：V000001|系統錯誤")}));
}

TOLVA_DB_TEST_SUITE(CardSaleTest);
