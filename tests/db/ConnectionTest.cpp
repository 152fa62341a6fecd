#include "app/ErrorReport.h"
#include "app/uiQtDialogs.h"
#include "app/globals.h"
#include "db/Connection.h"
#include "db/basADODB.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QTimer>

class DialectTest : public AppTest {};

TEST_F(DialectTest, ProviderKeysAndTheDialectTable) {
  EXPECT_EQ(ProviderKey(QStringLiteral("SQLOLEDB.1"), QStringLiteral("Provider=SQLOLEDB;Data Source=x")), QStringLiteral("SQLOLED"));
  EXPECT_EQ(ProviderKey(QStringLiteral("Microsoft.Jet.OLEDB.4.0"), QString()), QStringLiteral("MICROSO"));
  EXPECT_EQ(ProviderKey(QStringLiteral("MSDASQL.1"), QStringLiteral("Provider=MSDASQL;Driver={PostgreSQL}")), QStringLiteral("POSTGRE"));
  EXPECT_EQ(ProviderKey(QStringLiteral("MSDASQL.1"), QStringLiteral("Provider=MSDASQL;DSN=x")), QStringLiteral("MSDASQL"));
  // "PostgreSQL" at the very first position does not count.
  EXPECT_EQ(ProviderKey(QStringLiteral("SQLite"), QStringLiteral("PostgreSQL")), QStringLiteral("SQLITE"));

  struct Row { const char* key; const char* dialect; const char* now; const char* quote; };
  const Row rows[] = {{"SQLOLED", "MS_SQL", "getDate()", "'"}, {"MSDAORA", "ORACLE", "SYSDATE", "TO_DATE"},
                      {"MSDASQL", "PG_SQL", "now()", "'"},     {"MICROSO", "ACCESS", "now()", "#"},
                      {"POSTGRE", "PG_SQL", "now()", "'"},     {"SQLITE", "SQLITE", "now()", "'"},
                      {"OTHERS", "SQL_DB", "getDate()", "'"}};
  for (const Row& r : rows) {
    SetDBType(nullptr, QString::fromLatin1(r.key));
    EXPECT_EQ(gDBType, QString::fromLatin1(r.dialect)) << r.key;
    EXPECT_EQ(gNowFunc, QString::fromLatin1(r.now)) << r.key;
    EXPECT_EQ(gDateQuote, QString::fromLatin1(r.quote)) << r.key;
  }
}

TEST_F(DialectTest, Quoting) {
  EXPECT_EQ(QuotText(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
  EXPECT_EQ(QuotStr(QStringLiteral("  a b  ")).toString(), QStringLiteral("'a b'"));
  EXPECT_EQ(QuotText(QString()), QStringLiteral("''"));
  EXPECT_EQ(QuotText(QVariant()), QStringLiteral("''"));

  const QDateTime t(QDate(2026, 3, 5), QTime(14, 7, 9));
  SetDBType(nullptr, QStringLiteral("SQLOLED"));
  EXPECT_EQ(QuotDate(t), QStringLiteral("'2026/03/05 14:07:09'"));
  EXPECT_EQ(QuotDate(t, QStringLiteral("MSDAORA")), QStringLiteral("TO_DATE('2026/03/05 14:07:09','YYYY/MM/DD HH24:MI:SS')"));
  SetDBType(nullptr, QStringLiteral("MICROSO"));
  EXPECT_EQ(QuotDate(QStringLiteral("2026/03/05")), QStringLiteral("#2026/03/05 00:00:00#"));
  SetDBType(nullptr, QStringLiteral("MSDAORA"));
  EXPECT_EQ(QuotDate(t), QStringLiteral("TO_DATE('2026/03/05 14:07:09','YYYY/MM/DD HH24:MI:SS')"));
  for (const char* key : {"POSTGRE", "SQLITE"}) {
    SetDBType(nullptr, QString::fromLatin1(key));
    EXPECT_EQ(QuotDate(t), QStringLiteral("'2026/03/05 14:07:09'"));
    EXPECT_EQ(QuotDate(QString()), QStringLiteral("NULL"));
    EXPECT_EQ(QuotDate(QDate()), QStringLiteral("NULL"));
    // Display text or a word is no date: an error, never a NULL that matches nothing.
    EXPECT_THROW(QuotDate(QStringLiteral("115/03/05")), TolvaError);
    EXPECT_THROW(QuotDate(QStringLiteral("word")), TolvaError);
  }
}

TEST_F(DialectTest, PasswordBoxRules) {
  const QString base = QStringLiteral("PROVIDER=SQLOLEDB;DATA SOURCE=(local);INITIAL CATALOG=TZ48MENU;USER ID=SA");
  writeIni(QStringLiteral("[PARAM]\r\nGCNT=") + base + QStringLiteral("\r\n"));
  EXPECT_FALSE(InitINIgCNT());  // no SQL Server here
  ASSERT_EQ(dialogs_->texts(QStringLiteral("inputBox")), QStringList{base});
  EXPECT_EQ(dialogs_->shown[0].title, QStringLiteral("資料庫連線密碼"));
  EXPECT_TRUE(gCNT.endsWith(QStringLiteral(";Password=;")));

  dialogs_->clear();
  writeIni(QStringLiteral("[PARAM]\r\nGCNT=") + base + QStringLiteral(";Password=\r\n"));
  InitINIgCNT();
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("inputBox")).isEmpty());

  dialogs_->clear();
  writeIni(QStringLiteral("[PARAM]\r\nGCNT=SQLOLEDB;DATA SOURCE=(local)\r\n"));
  InitINIgCNT();
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("inputBox")).isEmpty());
}

TEST_F(DialectTest, PasswordTypedIntoTheRealBoxIsHidden) {
  QtOperatorDialogs qt;
  SetDialogs(&qt);
  QLineEdit::EchoMode echo = QLineEdit::Normal;
  QString prefilled;
  // The operator types once the box is up.
  QTimer typist;
  typist.setInterval(20);
  QObject::connect(&typist, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      typist.stop();
      echo = box->textEchoMode();
      prefilled = box->textValue();
      box->setTextValue(QStringLiteral("pw"));
      box->accept();
    }
  });
  typist.start();
  const QString answer = Dialogs().inputBox(QStringLiteral("PROVIDER=SQLOLEDB"), QStringLiteral("資料庫連線密碼"),
                                            QStringLiteral("****"));
  SetDialogs(dialogs_.get());
  EXPECT_EQ(answer, QStringLiteral("pw"));
  EXPECT_EQ(prefilled, QStringLiteral("****"));
  EXPECT_EQ(echo, QLineEdit::Password);
}

TEST_F(DialectTest, FailedConnectionMasksThePasswordEverywhere) {
  writeIni(QStringLiteral("[PARAM]\r\nGCNT=Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;User ID=u;Password=s3cret\r\n"));
  EXPECT_FALSE(InitINIgCNT());
  const QStringList boxes = dialogs_->texts(QStringLiteral("messageBox"));
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("連線失敗!\r\nProvider=PostgreSQL;")));
  EXPECT_TRUE(boxes[0].contains(QStringLiteral("Password=****")));
  EXPECT_TRUE(boxes[0].endsWith(QStringLiteral("\r\n請檢查GCNT設定:") + gIniFile));
  EXPECT_FALSE(boxes[0].contains(QStringLiteral("s3cret")));
  EXPECT_FALSE(readBytes(gErrFile).contains("s3cret"));
  EXPECT_FALSE(gCnn().isOpen());
  // Every later statement fails into its caller's trap.
  EXPECT_THROW(gCnn().execute(QStringLiteral("SELECT 1")), TolvaError);
}

TEST_F(DialectTest, FileThatIsNotADatabaseLeavesTheConnectionClosed) {
  QFile junk(path(QStringLiteral("junk.db")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write(QByteArray(4096, 'j'));
  junk.close();
  writeIni(QStringLiteral("[PARAM]\r\nGCNT=Provider=SQLite;Data Source=junk.db\r\n"));
  EXPECT_FALSE(InitINIgCNT());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  // A failed connection is closed, not left half set up as if it worked.
  EXPECT_FALSE(gCnn().isOpen());
  EXPECT_THROW(gCnn().execute(QStringLiteral("SELECT 1")), TolvaError);
  EXPECT_EQ(readBytes(path(QStringLiteral("junk.db"))), QByteArray(4096, 'j'));
}

TEST(GeneratedKeyTest, EachProviderAsksForThisSessionsKeyInAStatementOfItsOwn) {
  EXPECT_EQ(GeneratedKeyQuery(QStringLiteral("SQLite")), QStringLiteral("SELECT last_insert_rowid()"));
  EXPECT_EQ(GeneratedKeyQuery(QStringLiteral("PostgreSQL")), QStringLiteral("SELECT lastval()"));
  // ODBC is the PostgreSQL dialect; its statements would fail on anything else anyway.
  EXPECT_EQ(GeneratedKeyQuery(QStringLiteral("MSDASQL.1")), QStringLiteral("SELECT lastval()"));
  // On SQL Server the key query is a batch of its own, where SCOPE_IDENTITY() answers NULL
  // and every writer would fail.
  for (const char* provider : {"SQLOLEDB", "SQLOLEDB.1"}) {
    const QString sql = GeneratedKeyQuery(QString::fromLatin1(provider));
    EXPECT_TRUE(sql.contains(QStringLiteral("@@IDENTITY"))) << sql.toStdString();
    EXPECT_FALSE(sql.contains(QStringLiteral("SCOPE_IDENTITY"), Qt::CaseInsensitive)) << sql.toStdString();
  }
}

TEST_F(DialectTest, UnknownProviderAndEmptyGcntFail) {
  Connection c;
  EXPECT_FALSE(ConnectADO(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb"), c));
  EXPECT_FALSE(ConnectADO(QString(), c));
  // SQLite without a file (or with the file under another key) would run on a throwaway
  // database: refused like any other failed connection.
  EXPECT_FALSE(ConnectADO(QStringLiteral("Provider=SQLite"), c));
  EXPECT_FALSE(ConnectADO(QStringLiteral("Provider=SQLite;Database=tolva.db"), c));
  EXPECT_FALSE(c.isOpen());
  EXPECT_TRUE(readBytes(gErrFile).contains("(ConnectADO)"));
}

TEST_F(DialectTest, MessageDatabaseMissingOrPresent) {
  EXPECT_FALSE(InitMsgDB());
  ASSERT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("Error Open MSGDB:") + path(QStringLiteral("IDMSG.MDB"))});
  EXPECT_EQ(dialogs_->shown[0].icon, MsgIcon::Information);

  {
    Connection c;
    c.open(QStringLiteral("Provider=SQLite;Data Source=") + path(QStringLiteral("msg.db")));
    c.execute(QStringLiteral("CREATE TABLE Msg (MsgID VARCHAR(30) PRIMARY KEY, Msg VARCHAR(255))"));
  }
  writeIni(QStringLiteral("[PARAM]\r\nIDMSG=msg.db\r\n"));
  dialogs_->clear();
  EXPECT_TRUE(InitMsgDB());
  EXPECT_TRUE(dialogs_->shown.empty());

  // A file that is not a database gets the same message as a missing one.
  QFile junk(path(QStringLiteral("junk.mdb")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write(QByteArray(4096, 'j'));
  junk.close();
  writeIni(QStringLiteral("[PARAM]\r\nIDMSG=junk.mdb\r\n"));
  EXPECT_FALSE(InitMsgDB());
}

TEST_F(DialectTest, SqliteRunsTheStatementFunctions) {
  ASSERT_TRUE(ConnectADO(QStringLiteral("Provider=SQLite;Data Source=f.db"), gCnn()));
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("f.db"))));  // relative to the application folder
  gCnn().execute(QStringLiteral("CREATE TABLE TolvaLog (TxnType VARCHAR(2), Remark VARCHAR(20))"));
  gCnn().execute(QStringLiteral("INSERT INTO TolvaLog VALUES ('21', 'left(x'), ('11', '卡號'), ('99', NULL)"));
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE ( left(TxnType,1) = '2' or LEFT (TxnType,1) = '1')")).toInt(), 2);
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT TxnType FROM TolvaLog WHERE Remark = 'left(x'")).toString(), QStringLiteral("21"));
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT Len(Remark) FROM TolvaLog WHERE TxnType = '11'")).toInt(), 2);
  EXPECT_TRUE(gCnn().scalar(QStringLiteral("SELECT Len(Remark) FROM TolvaLog WHERE TxnType = '99'")).isNull());
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT right('V000123', 6)")).toString(), QStringLiteral("000123"));
}

TEST(ConnectionStringTest, MaskAndParse) {
  EXPECT_EQ(MaskPassword(QStringLiteral("A=1;Password=abc;PWD=x;B=2")), QStringLiteral("A=1;Password=****;PWD=****;B=2"));
  EXPECT_EQ(MaskPassword(QStringLiteral("Password=;")), QStringLiteral("Password=****;"));
  const auto kv = ParseConnectionString(QStringLiteral("Provider=SQLite; Data Source = a b.db ;junk"));
  EXPECT_EQ(kv.value(QStringLiteral("provider")), QStringLiteral("SQLite"));
  EXPECT_EQ(kv.value(QStringLiteral("data source")), QStringLiteral("a b.db"));
}

// Cases on a real database of each dialect.
class ConnectionTest : public DbTest {};

TEST_P(ConnectionTest, OpensAndSetsTheDialect) {
  EXPECT_TRUE(gCnn().isOpen());
  EXPECT_EQ(gDBType, isPostgres() ? QStringLiteral("PG_SQL") : QStringLiteral("SQLITE"));
  EXPECT_EQ(gNowFunc, QStringLiteral("now()"));
  gCnn().execute(QStringLiteral("CREATE TABLE t (id INTEGER, name VARCHAR(20), d TIMESTAMP)"));
  EXPECT_EQ(gCnn().execute(QStringLiteral("INSERT INTO t VALUES (1, ") + QuotText(QStringLiteral("O'Brien")) +
                           QStringLiteral(", ") + QuotDate(QStringLiteral("2026/03/05 14:07:09")) + QStringLiteral(")")),
            1);
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT name FROM t WHERE d >= ") + QuotDate(QStringLiteral("2026/03/05")) +
                          QStringLiteral(" AND d < ") + QuotDate(QStringLiteral("2026/03/06")))
                .toString(),
            QStringLiteral("O'Brien"));
  // The database's own time is a date the program can read.
  EXPECT_FALSE(gCnn().scalar(QStringLiteral("SELECT ") + gNowFunc).toString().isEmpty());
}

TEST_P(ConnectionTest, StatementErrorReachesTheCallersTrap) {
  bool trapped = false;
  try {
    gCnn().execute(QStringLiteral("SELECT * FROM NoSuchTable"));
  } catch (...) {
    trapped = true;
    ReportError(QStringLiteral("fmTest_cmdQry_Click"));
  }
  EXPECT_TRUE(trapped);
  const QStringList boxes = dialogs_->texts(QStringLiteral("messageBox"));
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("處理程序: (fmTest_cmdQry_Click)\r\n執行錯誤, 代碼: ")));
  EXPECT_TRUE(boxes[0].contains(QStringLiteral("NoSuchTable"), Qt::CaseInsensitive));
}

TEST_P(ConnectionTest, GuardRollsBackWhatWasNotCommitted) {
  gCnn().execute(QStringLiteral("CREATE TABLE t (id INTEGER)"));
  try {
    TransactionGuard tx(gCnn());
    gCnn().execute(QStringLiteral("INSERT INTO t VALUES (1)"));
    throw TolvaError(QStringLiteral("1"), QStringLiteral("card failed"));
  } catch (const TolvaError&) {
  }
  EXPECT_FALSE(gCnn().inTransaction());
  {
    TransactionGuard tx(gCnn());
    gCnn().execute(QStringLiteral("INSERT INTO t VALUES (2)"));
    tx.commit();
  }
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toInt(), 1);
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT id FROM t")).toInt(), 2);
}

TEST_P(ConnectionTest, ASecondTransactionCannotStartInsideTheFirst) {
  gCnn().execute(QStringLiteral("CREATE TABLE t (id INTEGER)"));
  TransactionGuard outer(gCnn());
  gCnn().execute(QStringLiteral("INSERT INTO t VALUES (1)"));
  EXPECT_THROW(TransactionGuard inner(gCnn()), TolvaError);
  // The first one goes on untouched.
  EXPECT_TRUE(gCnn().inTransaction());
  outer.commit();
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toInt(), 1);
}

TEST_P(ConnectionTest, GeneratedKeyIsThisConnectionsOwn) {
  const QString serial = isPostgres() ? QStringLiteral("RNo SERIAL PRIMARY KEY") : QStringLiteral("RNo INTEGER PRIMARY KEY AUTOINCREMENT");
  gCnn().execute(QStringLiteral("CREATE TABLE t (") + serial + QStringLiteral(", v INTEGER)"));
  Connection other;
  other.open(connectionString());
  gCnn().execute(QStringLiteral("INSERT INTO t (v) VALUES (1)"));
  other.execute(QStringLiteral("INSERT INTO t (v) VALUES (2)"));
  EXPECT_EQ(gCnn().lastInsertId().toInt(), 1);
  EXPECT_EQ(other.lastInsertId().toInt(), 2);
}

TOLVA_DB_TEST_SUITE(ConnectionTest);
