#include "support/ExchangeFixture.h"
#include "support/Sql.h"

#include "ledger/BlacklistFileSeam.h"
#include "db/Connection.h"
#include "ledger/BlacklistFile.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>

class VoidCardExportTest : public ExchangeTest {
protected:
  QString target() const { return QDir(inbox()).filePath(kVoidCardFileName); }
  void blacklist(const QString& cardNo, const QVariant& remark) {
    Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Status = '99', Remark = ? WHERE CardNo = ?"), {remark, cardNo});
    Exec(gCnn(), QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) VALUES (?, ?)"), {cardNo, remark});
  }
  // The old file is still the only file of the folder, as it was.
  void expectOldFileOnly() {
    EXPECT_EQ(readBytes(target()), QByteArray("old"));
    EXPECT_EQ(QDir(inbox()).entryList(QDir::Files).size(), 1);
  }
};

TEST_P(VoidCardExportTest, ListsEachBlacklistedCardOnceFromTheMaster) {
  drop(kVoidCardFileName, "old");
  EXPECT_EQ(ExportVoidCards(inbox()).result, ExportOutcome::Result::NoCards);
  expectOldFileOnly();

  blacklist(QStringLiteral("V000001"), QStringLiteral(" it's "));
  blacklist(QStringLiteral("V000002"), QVariant());
  blacklist(QStringLiteral("V000002"), QVariant());  // twice in the list
  blacklist(QStringLiteral("V000003"), QStringLiteral("遺失"));
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Status = '81' WHERE CardNo = 'V000003'"));  // erased since
  const ExportOutcome o = ExportVoidCards(inbox());
  ASSERT_EQ(o.result, ExportOutcome::Result::Written) << o.reason.toStdString();
  EXPECT_EQ(o.count, 2);
  EXPECT_EQ(readBytes(target()), QByteArray("TABLECSV_VoidCard\r\nCardNo,Remark\r\n'V000001','it''s'\r\n'V000002',''\r\n"));
  EXPECT_EQ(QDir(inbox()).entryList(QDir::Files).size(), 1);
}

TEST_P(VoidCardExportTest, AFailedWriteOrAValueTheCodePageLacksKeepsTheOldFile) {
  drop(kVoidCardFileName, "old");
  blacklist(QStringLiteral("V000001"), QStringLiteral("ok"));
  SetVoidCardWriteHookForTest([](QFileDevice&) { return false; });
  ExportOutcome o = ExportVoidCards(inbox());
  SetVoidCardWriteHookForTest(nullptr);
  EXPECT_EQ(o.result, ExportOutcome::Result::Failed);
  EXPECT_FALSE(o.reason.isEmpty());
  expectOldFileOnly();

  blacklist(QStringLiteral("V000002"), QStringLiteral("卡片😀遺失"));
  o = ExportVoidCards(inbox());
  EXPECT_EQ(o.result, ExportOutcome::Result::Failed);
  EXPECT_TRUE(o.reason.contains(QStringLiteral("V000002")));
  expectOldFileOnly();
}

TOLVA_DB_TEST_SUITE(VoidCardExportTest);
