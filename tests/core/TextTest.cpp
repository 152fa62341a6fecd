#include "core/CodePage.h"
#include "core/Settings.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "support/TestEnv.h"

class TextUtilTest : public AppTest {};

TEST_F(TextUtilTest, PathRoutines) {
  EXPECT_EQ(WithTrailingSeparator(QString(), QStringLiteral("\\")), QString());
  EXPECT_EQ(WithTrailingSeparator(QStringLiteral("C:\\a"), QStringLiteral("\\")), QStringLiteral("C:\\a\\"));
  EXPECT_EQ(WithTrailingSeparator(QStringLiteral("C:\\a\\"), QStringLiteral("\\")), QStringLiteral("C:\\a\\"));
  EXPECT_TRUE(FolderExists(dir_->path()));
  EXPECT_FALSE(FileExists(dir_->path()));
  EXPECT_FALSE(FileExists(path(QStringLiteral("missing"))));
  EXPECT_FALSE(FolderExists(path(QStringLiteral("missing"))));
}

TEST_F(TextUtilTest, PadByteCountsBig5Bytes) {
  // Two Big5 characters take four bytes: one blank fills width 5.
  const QByteArray padded = FitToBytes(QStringLiteral("卡號"), 5);
  EXPECT_EQ(padded, CodePage::toAnsi(QStringLiteral("卡號")) + ' ');
  EXPECT_EQ(padded.size(), 5);
  EXPECT_EQ(FitToBytes(QStringLiteral("V00001"), 7), QByteArray("V00001 "));
  EXPECT_EQ(FitToBytes(QStringLiteral("123456789"), 8), QByteArray("12345678"));
  // A double-byte character that does not fit whole is left out, not cut in half.
  EXPECT_EQ(FitToBytes(QStringLiteral("卡號"), 3), CodePage::toAnsi(QStringLiteral("卡")) + ' ');
  EXPECT_EQ(FitToBytes(QString(), 3), QByteArray("   "));
}

TEST_F(TextUtilTest, HexRoutines) {
  EXPECT_EQ(BytesToHex(QByteArray("\x01 Az\xff", 5)), QStringLiteral("0120417AFF"));
  EXPECT_EQ(HexToBytes(QStringLiteral("0120417AFF")), QByteArray("\x01 Az\xff", 5));
  EXPECT_EQ(HexToBytes(QStringLiteral("414")), QByteArray("A"));  // odd digit ignored
}

TEST_F(TextUtilTest, EncryptIsItsOwnInverseAndNeedsAKey) {
  const QByteArray plain("1500    ");
  const QByteArray key("KMPW");
  const QByteArray cipher = Encrypt(plain, key);
  // '1'^'K' = 31^4B = 7A, '5'^'M' = 35^4D = 78, '0'^'P' = 30^50 = 60, '0'^'W' = 30^57 = 67,
  // then the four blanks: 20^4B = 6B, 20^4D = 6D, 20^50 = 70, 20^57 = 77.
  EXPECT_EQ(BytesToHex(cipher), QStringLiteral("7A7860676B6D7077"));
  EXPECT_EQ(Encrypt(cipher, key), plain);
  EXPECT_EQ(Encrypt(plain, QByteArray()), QByteArray());
  EXPECT_TRUE(readBytes(TheSettings().errorLogFile).contains(CodePage::toAnsi(QStringLiteral("處理程序: (Encrypt)"))));
}
