#include "support/CardFixture.h"

#include "core/Settings.h"
#include "device/DeviceSession.h"
#include "device/CardFace.h"
#include "device/StripeRecord.h"
#include "support/CardSim.h"

namespace {
// The face of a card with the given value lines, written out by hand.
QString face(const QString& l4, const QString& l5, const QString& l6, const QString& l7) {
  return QStringLiteral(" 卡號: V000001-001\n 效期: 2027/12/31\n -----------------\n") + l4 + QLatin1Char('\n') + l5 +
         QLatin1Char('\n') + l6 + QLatin1Char('\n') + l7 + QStringLiteral("\n -----------------\n");
}

}  // namespace

class CardFaceTest : public CardTest {};

TEST_F(CardFaceTest, FaceTextLayout) {
  const auto plain = CardFaceText(QStringLiteral("V000001"), QStringLiteral("001"), QDate(2027, 12, 31),
                                  QStringLiteral("350"), QStringLiteral("12"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(*plain, face(QStringLiteral(" 上期餘額 "), QStringLiteral(" 本次交易 "), QStringLiteral(" 目前餘額      350元"),
                         QStringLiteral(" 紅利點數       12點")));
  const auto full = CardFaceText(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("2027/12/31"),
                                 QStringLiteral("12345678"), QStringLiteral("0"), QStringLiteral("歡迎\n"),
                                 QStringLiteral("12345178"), QStringLiteral("500"));
  ASSERT_TRUE(full);
  EXPECT_EQ(*full, face(QStringLiteral(" 上期餘額 12345178元"), QStringLiteral(" 本次交易      500元"),
                        QStringLiteral(" 目前餘額 12345678元"), QStringLiteral(" 紅利點數        0點")) +
                       QStringLiteral("歡迎\n"));
  EXPECT_FALSE(CardFaceText(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("2027/12/31"),
                            QStringLiteral("123456789"), QStringLiteral("0")));
}

TEST_F(CardFaceTest, PrintCardErasesAndPrintsTheFaceOnTheCardInTheReader) {
  SimCard old;
  old.face = QStringLiteral("old face");
  insertCard(old);
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
  ASSERT_TRUE(PrintCardFace(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("2027/12/31"),
                            QStringLiteral("350"), QStringLiteral("0"), msg, QStringLiteral("第一行\n")));
  EXPECT_EQ(slotCard().face, face(QStringLiteral(" 上期餘額 "), QStringLiteral(" 本次交易 "), QStringLiteral(" 目前餘額      350元"),
                                  QStringLiteral(" 紅利點數        0點")) +
                                 QStringLiteral("第一行\n"));
  // A value longer than eight characters prints nothing (the area is already erased).
  EXPECT_FALSE(PrintCardFace(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("2027/12/31"),
                             QStringLiteral("123456789"), QStringLiteral("0"), msg));
  EXPECT_TRUE(slotCard().face.isEmpty());
  EXPECT_TRUE(readBytes(TheSettings().errorLogFile).contains("(PrintCardFace)"));
}

