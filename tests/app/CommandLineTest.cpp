#include "support/ExchangeFixture.h"
#include "support/Sql.h"

#include "db/Connection.h"

#include <QDir>
#include <QFile>

class CommandLineTest : public ExchangeTest {};

TEST_P(CommandLineTest, ImportAndExportRunWithoutADisplay) {
  const QString good = drop(fileName(), logFile({QStringLiteral("'001','21','V000001',#2006/01/15#,500,5,,")}));
  const QString bad = drop(QStringLiteral("DD20060116_台北店_TL.TXT"), logFile({QStringLiteral("'001','21','V000001',#2006/01/15#,5,0,,")}));
  QStringList lines;
  EXPECT_EQ(run({QStringLiteral("--import"), inbox()}, lines), 1);
  ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
  EXPECT_TRUE(lines[0].startsWith(fileName() + QStringLiteral("\t轉入OK")));
  EXPECT_TRUE(lines[1].contains(QStringLiteral("轉入失敗")));
  EXPECT_FALSE(QFile::exists(good));
  EXPECT_TRUE(QFile::exists(bad));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxAPLOG WHERE ActionID = 'QDR卡交易檔轉入'")).toInt(), 2);
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT FileName FROM TolvaImport")).toString(), fileName());

  QFile::remove(bad);
  EXPECT_EQ(run({QStringLiteral("--import"), inbox()}, lines), 0);
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(run({QStringLiteral("--import"), path(QStringLiteral("none"))}, lines), 1);
  EXPECT_EQ(run({QStringLiteral("--import")}, lines), 2);

  EXPECT_EQ(run({QStringLiteral("--export-blacklist"), inbox()}, lines), 0);
  EXPECT_FALSE(QFile::exists(QDir(inbox()).filePath(QStringLiteral("VoidCard.txt"))));
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Status = '99' WHERE CardNo = 'V000001'"));
  EXPECT_EQ(run({QStringLiteral("--export-blacklist"), inbox()}, lines), 0);
  EXPECT_TRUE(QFile::exists(QDir(inbox()).filePath(QStringLiteral("VoidCard.txt"))));
  EXPECT_EQ(run({QStringLiteral("--export-blacklist"), path(QStringLiteral("none"))}, lines), 1);
}

TOLVA_DB_TEST_SUITE(CommandLineTest);
