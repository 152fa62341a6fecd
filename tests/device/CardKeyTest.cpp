#include "core/Text.h"
#include "device/CardKey.h"

#include <gtest/gtest.h>

TEST(BatchKeyTest, StoredFormRoundTrips) {
  EXPECT_EQ(BatchKeyToStored(QStringLiteral("K3y9")), BytesToHex(Encrypt("K3y9", "KMPW")));
  EXPECT_EQ(BatchKeyToStored(QStringLiteral("AB")), QStringLiteral("0A0F"));  // 'A'^'K', 'B'^'M'
  EXPECT_EQ(BatchKeyFromStored(BatchKeyToStored(QStringLiteral("Key-12345"))), QStringLiteral("Key-12345"));
  EXPECT_TRUE(BatchKeyFromStored(QString()).isEmpty());
}
