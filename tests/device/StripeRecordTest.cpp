// The stripe record on a simulated card. Expected bytes are worked out by hand: the key
// "AB12" is 41 42 31 32, and each value byte is exclusive-ored with the key byte in turn.
#include "support/CardFixture.h"
#include "device/CurrentReaderSeam.h"
#include "support/CardSim.h"

#include "core/CodePage.h"
#include "core/Settings.h"
#include "device/CurrentReader.h"
#include "device/SimulatedReader.h"
#include "device/DeviceSession.h"
#include "device/DeviceSessionSeam.h"
#include "device/StripeRecord.h"

#include <QDate>
#include <QFile>

namespace {

using CardValues = StripeValues;

// Writes the values onto the card in the slot the way the card routines do: insert, write,
// eject.
bool writeCard(const QString& cardNo, const QString& storeNo, const QString& batchNo, const QVariant& goodThru,
               const QString& balAmt, const QString& balPoint, QString& msg) {
  if (!OpenReaderAndWaitForCard(msg)) return false;
  const bool ok = WriteCardValues(cardNo, storeNo, batchNo, goodThru, balAmt, balPoint, msg);
  EjectCard();
  return ok;
}

bool readCard(CardValues& v, QString& msg) { return ReadTestCardStripe(v, msg); }

// Blanks the stripe and the print area of the card the operator inserts, as an erase does.
bool wipeCard(QString& msg) {
  if (!OpenReaderAndWaitForCard(msg)) return false;
  const bool ok = BlankStripe(msg) && BlankFace(msg);
  EjectCard();
  return ok;
}

}  // namespace

using StripeRecord = DriverTest;
TOLVA_DRIVER_TEST_SUITE(StripeRecord);

TEST_P(StripeRecord, WrittenRecordHasTheExpectedBytesAndReadsBack) {
  insertCard();
  QString msg;
  ASSERT_TRUE(writeCard(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("V0001"), QDate(2027, 12, 31),
                        QStringLiteral("1500"), QStringLiteral("25"), msg))
      << msg.toStdString();
  // "1500    " ^ "AB12AB12" = 70 77 01 02 61 62 11 12; "25      " ^ key = 73 77 11 12 61 62 11 12.
  EXPECT_EQ(slotCard().tracks[0], QByteArray("V000001001V00012027/12/31"
                                             "7077010261621112"
                                             "7377111261621112"));
  CardValues v;
  ASSERT_TRUE(readCard(v, msg)) << msg.toStdString();
  EXPECT_EQ(v.cardNo, QStringLiteral("V000001"));
  EXPECT_EQ(v.storeNo, QStringLiteral("001"));
  EXPECT_EQ(v.batchNo, QStringLiteral("V0001"));
  EXPECT_EQ(v.goodThru, QStringLiteral("2027/12/31"));
  EXPECT_EQ(v.balAmt, QStringLiteral("1500"));
  EXPECT_EQ(v.balPoint, QStringLiteral("25"));
  // Each of the two operations waited for the card to be inserted again.
  EXPECT_EQ(dialogs_->texts(QStringLiteral("waitForCard")).size(), 2);
}

TEST_P(StripeRecord, ShortFieldsArePaddedAndComeBackWithTheirBlanks) {
  insertCard();
  QString msg;
  ASSERT_TRUE(writeCard(QStringLiteral("V00001"), QStringLiteral("1"), QStringLiteral("B1"),
                        QStringLiteral("2026-03-05"), QStringLiteral("0"), QString(), msg));
  const QByteArray record = slotCard().tracks[0];
  EXPECT_EQ(record.left(25), QByteArray("V00001 1  B1   2026/03/05"));
  CardValues v;
  ASSERT_TRUE(readCard(v, msg));
  EXPECT_EQ(v.cardNo, QStringLiteral("V00001 "));
  EXPECT_EQ(v.storeNo, QStringLiteral("1  "));
  EXPECT_EQ(v.batchNo, QStringLiteral("B1   "));
  EXPECT_EQ(v.balAmt, QStringLiteral("0"));
  EXPECT_EQ(v.balPoint, QString());
}

TEST_P(StripeRecord, NineDigitAmountIsCutToEightBeforeEnciphering) {
  insertCard();
  QString msg;
  ASSERT_TRUE(writeCard(QStringLiteral("V000002"), QStringLiteral("001"), QStringLiteral("V0001"), QDate(2027, 1, 1),
                        QStringLiteral("123456789"), QStringLiteral("0"), msg));
  // "12345678" ^ "AB12AB12" = 70 70 02 06 74 74 06 0A.
  EXPECT_EQ(slotCard().tracks[0].mid(25, 16), QByteArray("707002067474060A"));
  CardValues v;
  ASSERT_TRUE(readCard(v, msg));
  EXPECT_EQ(v.balAmt, QStringLiteral("12345678"));
}

TEST_P(StripeRecord, DigitsAndBlanksUnderALettersAndDigitsKeyStayBelow80) {
  EditSettings().batchKey = QStringLiteral("Zq7Kx2");
  const QStringList values = {QStringLiteral("0"), QStringLiteral("99999999"), QStringLiteral("12 34"),
                              QStringLiteral("5005"), QString()};
  for (const QString& value : values) {
    insertCard();
    QString msg;
    ASSERT_TRUE(writeCard(QStringLiteral("V000003"), QStringLiteral("002"), QStringLiteral("V0002"),
                          QDate(2028, 6, 30), value, value, msg));
    const QByteArray record = slotCard().tracks[0];
    ASSERT_EQ(record.size(), 57);
    for (int i = 25; i < 57; i += 2) {
      bool ok = false;
      const int byte = record.mid(i, 2).toInt(&ok, 16);
      EXPECT_TRUE(ok && byte < 0x80) << value.toStdString() << " at " << i << ": " << record.mid(i, 2).toStdString();
    }
    CardValues v;
    ASSERT_TRUE(readCard(v, msg));
    EXPECT_EQ(v.balAmt, value.trimmed());
  }
}

TEST_P(StripeRecord, DoubleByteTextIsFittedByBytes) {
  insertCard();
  QString msg;
  // "台" takes two bytes (A5 78) of the three the store number has.
  ASSERT_TRUE(writeCard(QStringLiteral("卡號12345"), QStringLiteral("台"), QStringLiteral("V0001"), QDate(2027, 1, 1),
                        QStringLiteral("1"), QStringLiteral("2"), msg));
  const QByteArray record = slotCard().tracks[0];
  ASSERT_EQ(record.size(), 57);
  EXPECT_EQ(record.mid(7, 3), QByteArray("\xA5\x78 "));
  CardValues v;
  ASSERT_TRUE(readCard(v, msg));
  EXPECT_EQ(v.cardNo, QStringLiteral("卡號123"));
  EXPECT_EQ(v.storeNo, QStringLiteral("台 "));
  EXPECT_EQ(v.batchNo, QStringLiteral("V0001"));
  EXPECT_EQ(v.balAmt, QStringLiteral("1"));
}

TEST_P(StripeRecord, ErasedCardIsBlankAndRefused) {
  SimCard card;
  card.face = QStringLiteral(" 卡號: V000001-001\n");
  insertCard(card);
  QString msg;
  ASSERT_TRUE(writeCard(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("V0001"), QDate(2027, 1, 1),
                        QStringLiteral("100"), QStringLiteral("1"), msg));
  ASSERT_TRUE(wipeCard(msg)) << msg.toStdString();
  EXPECT_EQ(slotCard().tracks[0], QByteArray(" "));
  EXPECT_TRUE(slotCard().face.isEmpty());
  CardValues v;
  EXPECT_FALSE(readCard(v, msg));
  EXPECT_EQ(msg, QStringLiteral("卡片資料有誤"));
}

TEST_P(StripeRecord, EraseReportsWhichStepFailed) {
  SimCard card;
  card.fault = QLatin1String(kFaultWriteFails);
  insertCard(card);
  QString msg;
  EXPECT_FALSE(wipeCard(msg));
  EXPECT_EQ(msg, QStringLiteral("清除磁條資料失敗"));

  card.fault = QLatin1String(kFaultEraseFails);
  card.face = QStringLiteral("FACE");
  insertCard(card);
  EXPECT_FALSE(wipeCard(msg));
  EXPECT_EQ(msg, QStringLiteral("列印視窗無法清除!"));
  EXPECT_EQ(slotCard().face, QStringLiteral("FACE"));

  card.fault = QLatin1String(kFaultIllegal);
  insertCard(card);
  EXPECT_FALSE(wipeCard(msg));
  EXPECT_EQ(msg, QStringLiteral("非法卡"));
}

TEST_P(StripeRecord, CardWrittenUnderOneKeyIsWrongUnderAnother) {
  insertCard();
  QString msg;
  ASSERT_TRUE(writeCard(QStringLiteral("V000004"), QStringLiteral("001"), QStringLiteral("V0001"), QDate(2027, 1, 1),
                        QStringLiteral("1500"), QStringLiteral("25"), msg));
  EditSettings().batchKey = QStringLiteral("XY34");
  // The record is still 57 bytes, so it is taken; the values are garbage:
  // 70 77 01 02 61 62 11 12 ^ "XY34XY34" (58 59 33 34) = 28 2E 32 36 39 3B 22 26.
  CardValues v;
  ASSERT_TRUE(readCard(v, msg)) << msg.toStdString();
  EXPECT_EQ(v.cardNo, QStringLiteral("V000004"));
  EXPECT_EQ(v.balAmt, QStringLiteral("(.269;\"&"));
  EXPECT_NE(v.balPoint, QStringLiteral("25"));
}

TEST_P(StripeRecord, NoCardIsWrittenWithoutAKey) {
  SimCard card;
  card.tracks[0] = "PREVIOUS";
  insertCard(card);
  EditSettings().batchKey.clear();
  QString msg;
  EXPECT_FALSE(writeCard(QStringLiteral("V000005"), QStringLiteral("001"), QStringLiteral("V0001"), QDate(2027, 1, 1),
                         QStringLiteral("1500"), QStringLiteral("25"), msg));
  EXPECT_EQ(msg, QStringLiteral("磁條寫入失敗"));
  EXPECT_EQ(slotCard().tracks[0], QByteArray("PREVIOUS"));
  EXPECT_EQ(BuildStripeRecord(QStringLiteral("V000005"), QStringLiteral("001"), QStringLiteral("V0001"),
                            QDate(2027, 1, 1), QStringLiteral("1500"), QStringLiteral("25")),
            QByteArray("V000005001V00012027/01/01"));
  EXPECT_TRUE(QFile(TheSettings().errorLogFile).size() > 0);  // the cipher logged the missing key

  // A card holding such a short record is refused.
  card.tracks[0] = "V000005001V00012027/01/01";
  insertCard(card);
  CardValues v;
  EXPECT_FALSE(readCard(v, msg));
  EXPECT_EQ(msg, QStringLiteral("卡片資料有誤"));
}

TEST_P(StripeRecord, FailedStripeWriteIsReported) {
  SimCard card;
  card.fault = QLatin1String(kFaultWriteFails);
  insertCard(card);
  QString msg;
  EXPECT_FALSE(writeCard(QStringLiteral("V000006"), QStringLiteral("001"), QStringLiteral("V0001"), QDate(2027, 1, 1),
                         QStringLiteral("1"), QStringLiteral("1"), msg));
  EXPECT_EQ(msg, QStringLiteral("磁條寫入失敗"));
}

TEST_F(CardTest, CardsPersistForTheNextRun) {
  insertCard();
  QString msg;
  ASSERT_TRUE(writeCard(QStringLiteral("V000007"), QStringLiteral("003"), QStringLiteral("V0003"), QDate(2029, 2, 28),
                        QStringLiteral("320"), QStringLiteral("8"), msg));
  // A new run: a simulator that knows nothing of the first one, on the same folder.
  SimulatedReader nextRun([] { return TheSettings().appPath + QStringLiteral("/CardSim"); });
  SetReaderDriverForTest(&nextRun);
  ForgetReaderSessionForTest();
  CardValues v;
  ASSERT_TRUE(readCard(v, msg)) << msg.toStdString();
  EXPECT_EQ(v.cardNo, QStringLiteral("V000007"));
  EXPECT_EQ(v.goodThru, QStringLiteral("2029/02/28"));
  EXPECT_EQ(v.balAmt, QStringLiteral("320"));
  EXPECT_EQ(v.balPoint, QStringLiteral("8"));
}
