#include "support/ExchangeFixture.h"
#include "support/Sql.h"

#include "core/CodePage.h"
#include "db/Connection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>

void ExchangeTest::SetUp() {
  DbTest::SetUp();
  Connection& cnn = gCnn();
  Exec(cnn, QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', '台北店', 1)"));
  Exec(cnn, QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('002', '台中店', 2)"));
  for (const char* no : {"V000001", "V000002", "V000003"})
    Exec(cnn, QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, GoodThru, BalAmt, BalPoint) "
                               "VALUES ('V0001', 'V', ?, '01', ?, 77, 7)"),
                {QString::fromLatin1(no), cnn.dialect().dateValue(QDateTime(QDate(2030, 12, 31), QTime(0, 0)))});
  // A sale at another store on another day, and an earlier import of the file's own day.
  Exec(cnn, QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint) "
                             "VALUES ('002', '11', 'V000002', ?, 1000, 10)"),
              {cnn.dialect().dateValue(QDateTime(QDate(2006, 1, 2), QTime(0, 0)))});
  Exec(cnn, QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, ImportNo) "
                             "VALUES ('001', '21', 'V000003', ?, 5, 0, 0)"),
              {cnn.dialect().dateValue(QDateTime(QDate(2006, 1, 15), QTime(0, 0)))});
  QDir().mkpath(inbox());
}

QString ExchangeTest::drop(const QString& name, const QByteArray& bytes) const {
  const QString file = QDir(inbox()).filePath(name);
  QFile f(file);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
  return file;
}

QByteArray ExchangeTest::logFile(const QStringList& dataLines) {
  QString text = QStringLiteral("TABLECSV,TolvaLog\r\nTxnDept,TxnType,CardNo,TxnDate,TxnAmt,TxnPoint,RefCheckNo,Remark\r\n");
  for (const QString& l : dataLines) text += l + QStringLiteral("\r\n");
  return CodePage::toAnsi(text);
}

QString ExchangeTest::checksum() {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const char* table : {"Tolva", "TolvaLog", "VoidCard", "Store", "xxPARAM", "xxCODE", "xxAPLOG", "xxNO", "TolvaImport"}) {
    QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT * FROM ") + QString::fromLatin1(table));
    QStringList rows;
    while (q.next()) {
      QStringList fields;
      for (int i = 0; i < q.record().count(); ++i) fields.append(q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
      rows.append(fields.join(u'|'));
    }
    rows.sort();
    hash.addData(QString::fromLatin1(table).toUtf8() + rows.join(u'\n').toUtf8());
  }
  return QString::fromLatin1(hash.result().toHex());
}

QVariant ExchangeTest::cardValue(const QString& cardNo, const QString& column) {
  return Value(gCnn(), QStringLiteral("SELECT %1 FROM Tolva WHERE CardNo = ?").arg(column), {cardNo});
}

int ExchangeTest::count(const QString& sqlWhere) {
  return Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE ") + sqlWhere).toInt();
}

int ExchangeTest::run(const QStringList& args, QStringList& lines) { return RunProgram(dir_->path(), cnt_, args, lines); }
