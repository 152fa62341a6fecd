#include "app/CardSettings.h"
#include "core/Text.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "support/TestEnv.h"

class InitTolvaTest : public DbTest {};

TEST_P(InitTolvaTest, StoredSettingsAreReadAndUpperCased) {
  writeIni(QStringLiteral("[PARAM]\r\nBorixPort=COM7\r\n"));
  ASSERT_TRUE(SetParamValue(QStringLiteral("CardMsgFile"), QStringLiteral("Msg2.txt")));
  ASSERT_TRUE(SetParamValue(QStringLiteral("BatchNo"), QStringLiteral("b0203")));
  ASSERT_TRUE(SetParamValue(QStringLiteral("DefCardType"), QStringLiteral("w")));
  ASSERT_TRUE(SetParamValue(QStringLiteral("StoreID"), QStringLiteral("012")));
  // The key as the key-setting window stores it: enciphered under the built-in key, in hex.
  ASSERT_TRUE(SetParamValue(QStringLiteral("BatchKey"), BytesToHex(Encrypt("K3y9", "KMPW"))));
  EditSettings().readerPort.clear();
  LoadCardSettings();
  EXPECT_EQ(TheSettings().cardMessageFile, QStringLiteral("Msg2.txt"));
  EXPECT_EQ(TheSettings().batchNo, QStringLiteral("B0203"));
  EXPECT_EQ(TheSettings().defaultCardType, QStringLiteral("W"));
  EXPECT_EQ(TheSettings().storeId, QStringLiteral("012"));
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("K3y9"));
  EXPECT_EQ(TheSettings().readerPort, QStringLiteral("COM7"));
  EXPECT_TRUE(dialogs_->shown.empty());
}

TEST_P(InitTolvaTest, MissingOrEmptyRowsGiveTheDefaults) {
  ASSERT_TRUE(SetParamValue(QStringLiteral("BatchNo"), QString()));
  EditSettings().batchNo = EditSettings().defaultCardType = EditSettings().storeId = EditSettings().cardMessageFile = EditSettings().batchKey = QStringLiteral("junk");
  LoadCardSettings();
  EXPECT_EQ(TheSettings().batchNo, QStringLiteral("V0001"));
  EXPECT_EQ(TheSettings().defaultCardType, QStringLiteral("V"));
  EXPECT_EQ(TheSettings().storeId, QStringLiteral("000"));
  EXPECT_EQ(TheSettings().cardMessageFile, QStringLiteral("CardMsg.txt"));
  EXPECT_TRUE(TheSettings().batchKey.isEmpty());
}

TEST_P(InitTolvaTest, WithoutAConnectionTheDefaultsApplySilently) {
  ASSERT_TRUE(SetParamValue(QStringLiteral("BatchNo"), QStringLiteral("X0009")));
  gCnn().close();
  LoadCardSettings();
  EXPECT_EQ(TheSettings().batchNo, QStringLiteral("V0001"));
  EXPECT_TRUE(dialogs_->shown.empty());
}

TOLVA_DB_TEST_SUITE(InitTolvaTest);
