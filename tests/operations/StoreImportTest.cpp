#include "support/ExchangeFixture.h"
#include "support/Sql.h"

#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Money.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "ledger/CardRows.h"
#include "operations/ExchangeJobs.h"
#include "operations/StoreFolder.h"
#include "ledger/StoreImport.h"
#include "ledger/ReportQueries.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <cstdio>

namespace {

QDate dateOf(const QVariant& v) {
  const auto t = ToDateTime(v);
  return t ? t->date() : QDate();
}

const QStringList kDay = {
    // Whatever the first value holds, the row belongs to the file's store.
    QStringLiteral("'999','21','V000001',#2006/01/15#,500,5,'R1',"),
    QStringLiteral(",'13','V000002',#2006/01/15#,0,0,,'x''); DELETE FROM Tolva; --'"),
    QStringLiteral("'001','22','V000002',#2006-01-15 10:30:00#,-100.5,0,,'it''s'"),
    QStringLiteral("'001','81','V000003',#2006/01/15#,0,0,,"),
};

}  // namespace

class StoreImportTest : public ExchangeTest {};

TEST_P(StoreImportTest, LoadsTheDayRefreshesItsCardsAndReplacesItOnReimport) {
  const QByteArray bytes = logFile(kDay);
  const QString file = drop(fileName(), bytes);
  for (int round = 0; round < 2; ++round) {
    const ImportOutcome o = ImportStoreFile(file);
    ASSERT_TRUE(o.ok) << o.reason.toStdString();
    EXPECT_EQ(o.alreadyImported, round == 1);
    EXPECT_EQ(o.storeID, QStringLiteral("001"));
    EXPECT_EQ(o.rows, 4);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(readBytes(QDir(ImportedFilesFolder()).filePath(fileName())), bytes);
    // The earlier import of the day is gone, the other store's day stays; no row twice.
    EXPECT_EQ(count(QStringLiteral("TxnDept = '001'")), 4);
    EXPECT_EQ(count(QStringLiteral("TxnDept = '002'")), 1);
    EXPECT_EQ(count(QStringLiteral("TxnDept = '999'")), 0);
    drop(fileName(), bytes);  // copied back for the second round
  }
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM Tolva")).toInt(), 3);
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT Remark FROM TolvaLog WHERE TxnType = '13'")).toString(),
            QStringLiteral("x'); DELETE FROM Tolva; --"));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT Remark FROM TolvaLog WHERE TxnType = '22'")).toString(), QStringLiteral("it's"));
  EXPECT_TRUE(Value(gCnn(), QStringLiteral("SELECT RefCheckNo FROM TolvaLog WHERE TxnType = '13'")).isNull());
  EXPECT_TRUE(Value(gCnn(), QStringLiteral("SELECT Remark FROM TolvaLog WHERE TxnType = '21'")).isNull());
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM TolvaImport")).toInt(), 2);

  // Top-up: balance from the whole history, good-thru a year on even though it was later.
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000001"), QStringLiteral("BalAmt"))).toString(), QStringLiteral("500"));
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000001"), QStringLiteral("BalPoint"))).toString(), QStringLiteral("5"));
  EXPECT_EQ(dateOf(cardValue(QStringLiteral("V000001"), QStringLiteral("GoodThru"))), QDate(2007, 1, 31));
  // Sale: sold on the day; the other store's issue row counts, the sale row itself does not.
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000002"), QStringLiteral("BalAmt"))).toString(), QStringLiteral("899.5"));
  EXPECT_EQ(cardValue(QStringLiteral("V000002"), QStringLiteral("Status")).toString(), QStringLiteral("11"));
  EXPECT_EQ(dateOf(cardValue(QStringLiteral("V000002"), QStringLiteral("FirstDate"))), QDate(2006, 1, 15));
  // Only a type outside the balance rule: the card keeps its balance.
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000003"), QStringLiteral("BalAmt"))).toString(), QStringLiteral("77"));
  EXPECT_EQ(dateOf(cardValue(QStringLiteral("V000003"), QStringLiteral("GoodThru"))), QDate(2030, 12, 31));
}

TEST_P(StoreImportTest, TableLineWithoutColumnsImportsNothingAndCounts) {
  // A database made before the ledger existed gets it at its first import.
  Exec(gCnn(), QStringLiteral("DROP TABLE TolvaImport"));
  const QString file = drop(fileName(), CodePage::toAnsi(QStringLiteral("TABLECSV,TolvaLog\r\n\r\n'x','y'\r\n")));
  const ImportOutcome o = ImportStoreFile(file);
  EXPECT_TRUE(o.ok) << o.reason.toStdString();
  EXPECT_EQ(o.rows, 0);
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM TolvaImport")).toInt(), 1);
}

TEST_P(StoreImportTest, ADayOfManyRowsLoadsEveryRow) {
  QStringList lines;
  for (int i = 0; i < 300; ++i) lines.append(QStringLiteral("'001','21','V000001',#2006/01/15#,0.1,1,'R%1',").arg(i));
  const ImportOutcome o = ImportStoreFile(drop(fileName(), logFile(lines)));
  ASSERT_TRUE(o.ok) << o.reason.toStdString();
  EXPECT_EQ(count(QStringLiteral("TxnDept = '001'")), 300);
  // Whole statements of sixteen rows and the rest: each row once.
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(DISTINCT RefCheckNo) FROM TolvaLog WHERE TxnDept = '001'")).toInt(), 300);
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000001"), QStringLiteral("BalAmt"))).toString(), QStringLiteral("30"));
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000001"), QStringLiteral("BalPoint"))).toString(), QStringLiteral("300"));
}

// This installation's own store: a day of counter work under it must survive the store's file.
TEST_P(StoreImportTest, TheWindowsRowsOfTheStoresDaySurviveItsImports) {
  QStringList own;
  for (const char* type : {"11", "12", "13", "21", "22", "23", "24", "31", "81", "99"}) {
    JournalRow rec;
    rec.TxnDept = QStringLiteral("001");
    rec.TxnType = QString::fromLatin1(type);
    rec.CardNo = QStringLiteral("V000001");
    rec.TxnDate = QDateTime(QDate(2006, 1, 15), QTime(10, 0));
    rec.TxnAmt = 1;
    ASSERT_TRUE(InsertJournalRow(rec, gCnn()));
    own << rec.RNo.toString();
  }
  const QString ownRows = QStringLiteral("RNo IN (%1)").arg(own.join(u','));
  const QByteArray bytes = logFile({QStringLiteral("'001','21','V000002',#2006/01/15#,50,0,,")});
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(ImportStoreFile(drop(fileName(), bytes)).ok);
    EXPECT_EQ(count(ownRows), 10);
    EXPECT_EQ(count(QStringLiteral("TxnDept = '001'")), 11);
    EXPECT_EQ(count(QStringLiteral("CardNo = 'V000002' AND TxnAmt = 50")), 1);
  }
  EXPECT_EQ(count(QStringLiteral("CardNo = 'V000003'")), 0);  // the earlier import's row
}

TEST_P(StoreImportTest, AReissuedCardKeepsItsCarriedOverBalance) {
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, GoodThru, BalAmt, BalPoint, OCardNo) "
                                "VALUES ('V0001', 'V', 'V000009', '12', ?, 500, 5, 'V000001')"),
                 {gCnn().dialect().dateValue(QDateTime(QDate(2030, 12, 31), QTime(0, 0)))});
  Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint) "
                                "VALUES ('002', '12', 'V000009', ?, 500, 5)"),
                 {gCnn().dialect().dateValue(QDateTime(QDate(2006, 1, 10), QTime(0, 0)))});
  ASSERT_TRUE(ImportStoreFile(drop(fileName(), logFile({QStringLiteral("'001','21','V000009',#2006/01/15#,50,0,,")}))).ok);
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000009"), QStringLiteral("BalAmt"))).toString(), QStringLiteral("550"));
  EXPECT_EQ(Money::fromVariant(cardValue(QStringLiteral("V000009"), QStringLiteral("BalPoint"))).toString(), QStringLiteral("5"));
  for (const ReconcileRow& r : Must(SelectDisagreements(gCnn()))) EXPECT_NE(r.cardNo, QStringLiteral("V000009"));
}

// Names copied from the stores' Windows machines are in the code page, not UTF-8.
TEST_P(StoreImportTest, FilesNamedInTheCodePageAreListedAndImported) {
  const auto dropRaw = [this](const QByteArray& name, const QByteArray& bytes) {
    FILE* f = std::fopen((QFile::encodeName(inbox()) + '/' + name).constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.constData(), 1, bytes.size(), f);
    std::fclose(f);
  };
  dropRaw("DD20060115_" + CodePage::toAnsi(QStringLiteral("台北店")) + "_TL.TXT",
          logFile({QStringLiteral("'001','21','V000001',#2006/01/15#,500,5,,")}));
  dropRaw("DD20060116_\x81\x30_TL.TXT", logFile({}));  // a lead byte without its trail
  const QList<ListedStoreFile> listed = ListStoreFiles(inbox());
  ASSERT_EQ(listed.size(), 2);
  EXPECT_EQ(listed[0].name, fileName());
  EXPECT_EQ(listed[1].name, QStringLiteral("DD20060116_\\x810_TL.TXT"));

  QString text;
  QTextStream out(&text);
  EXPECT_EQ(RunImportJob(inbox(), out), 1);
  const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3) << text.toStdString();
  EXPECT_EQ(lines[0], fileName() + QStringLiteral("\t轉入OK"));
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral("\t轉入失敗: 檔名無法辨識"))) << lines[1].toStdString();
  EXPECT_EQ(count(QStringLiteral("CardNo = 'V000001'")), 1);
  EXPECT_TRUE(QFile::exists(QDir(ImportedFilesFolder()).filePath(fileName())));
}

TEST_P(StoreImportTest, BlacklistedCardSoldAtAStoreStaysBlacklisted) {
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Status = '99' WHERE CardNo = 'V000002'"));
  ASSERT_TRUE(ImportStoreFile(drop(fileName(), logFile(kDay))).ok);
  EXPECT_EQ(cardValue(QStringLiteral("V000002"), QStringLiteral("Status")).toString(), QStringLiteral("99"));
}

TEST_P(StoreImportTest, HostileFilesFailAndChangeNothing) {
  QByteArray noise(4096, '\0');
  for (char& c : noise) c = char(QRandomGenerator::global()->bounded(256));
  QByteArray utf16 = QByteArray("\xff\xfe");
  const QString wide = QString::fromLatin1(logFile(kDay));
  utf16.append(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2);
  const QString good = kDay[0];
  const QList<std::pair<QString, QByteArray>> files = {
      {fileName(), logFile({QStringLiteral("'001','21','V000001',#2006/01/15#,'); DELETE FROM Tolva; --,0,,")})},
      {fileName(), logFile({QStringLiteral("'001','21','V000001',#2006/01/15#,5,0,'abc,")})},
      {fileName(), CodePage::toAnsi(QStringLiteral("TABLECSV,TolvaLog\r\nTxnDept,Status\r\n'1','99'\r\n"))},
      {fileName(), CodePage::toAnsi(QStringLiteral("TABLECSV,TolvaLog\r\nTxnDept,1=1\r\n'1',1\r\n"))},
      {fileName(), CodePage::toAnsi(QStringLiteral("TABLECSV,Tolva\r\nTxnDept,CardNo\r\n'1','V000001'\r\n"))},
      {fileName(), logFile({good, good + QString(10000, u',')})},
      {fileName(), logFile({good, QStringLiteral("'") + QString(1 << 20, u'A') + QStringLiteral("'")})},
      {fileName(), noise},
      {fileName(), utf16},
      {fileName(), (ExchangeTest::logFile({}) + QStringLiteral("'001','21','V000001',#2006/01/15#,5,0,,'台北門市加值'\r\n").toUtf8())},
      {fileName(), logFile({good, QStringLiteral("'001','21','V000001',#2006/01/16#,5,0,,")})},
      {fileName(), logFile({good, QStringLiteral("'001','21','V000001','2006/01/15',5,0,,")})},
      {fileName(), logFile({good, QStringLiteral("'001','21','V000001',#2006/01/15#,'5',0,,")})},
      {fileName(), CodePage::toAnsi(QStringLiteral("'001','21'\r\nTABLECSV,TolvaLog\r\n"))},
      {QStringLiteral("DD20060115_無此店_TL.TXT"), logFile({good})},
  };
  const QString before = checksum();
  for (const auto& [name, bytes] : files) {
    const QString file = drop(name, bytes);
    const ImportOutcome o = ImportStoreFile(file);
    EXPECT_FALSE(o.ok) << name.toStdString() << ": " << bytes.left(120).toStdString();
    EXPECT_FALSE(o.reason.isEmpty());
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(checksum(), before) << bytes.left(120).toStdString();
    QFile::remove(file);
  }
}

TEST_P(StoreImportTest, AFailedStatementOrCommitLeavesTheDatabaseAsItWas) {
  const QString before = checksum();
  for (const QString& failing : {QStringLiteral("UPDATE Tolva SET GoodThru"), QStringLiteral("INSERT INTO TolvaImport")}) {
    SetStatementHookForTest([failing](Connection&, const QString& sql) {
      if (sql.startsWith(failing)) throw TolvaError(QStringLiteral("1"), QStringLiteral("refused"));
    });
    const QString file = drop(fileName(), logFile(kDay));
    const ImportOutcome o = ImportStoreFile(file);
    SetStatementHookForTest(nullptr);
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(checksum(), before);
  }
  refuseCommitsWriting(QStringLiteral("TolvaLog"));
  const QString after = checksum();
  const QString file = drop(fileName(), logFile(kDay));
  EXPECT_FALSE(ImportStoreFile(file).ok);
  EXPECT_TRUE(QFile::exists(file));
  EXPECT_EQ(checksum(), after);
}

TOLVA_DB_TEST_SUITE(StoreImportTest);
