#include "db/SchemaUpgrade.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "db/Database.h"
#include "db/SchemaScript.h"
#include "db/SchemaSetup.h"
#include "support/Sql.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

// A database made by the first scripts, with cards and a journal in it, brought up to date.
class SchemaUpgradeTest : public DbTest {
protected:
  // Tables with their columns and the indexes, as one sorted text per line.
  QStringList describe() const {
    QStringList lines;
    const QString tables = isPostgres()
        ? QStringLiteral("SELECT table_name || '.' || column_name || ' ' || data_type FROM information_schema.columns "
                         "WHERE table_schema = current_schema() UNION ALL SELECT 'index ' || indexname FROM pg_indexes "
                         "WHERE schemaname = current_schema()")
        : QStringLiteral("SELECT m.name || '.' || p.name || ' ' || p.type FROM sqlite_master m, pragma_table_info(m.name) p "
                         "WHERE m.type = 'table' UNION ALL SELECT 'index ' || name FROM sqlite_master WHERE type = 'index'");
    QSqlQuery q = Rows(gCnn(), tables + QStringLiteral(" UNION ALL SELECT 'code ' || CodeType || ' ' || Code FROM xxCODE"));
    while (q.next()) lines << q.value(0).toString().toLower();
    lines.sort();
    return lines;
  }

  // The database again, empty, and made by the version-1 script of its dialect.
  void makeVersionOne() {
    gCnn().close();
    if (isPostgres()) {
      Connection admin;
      Must(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")));
      Exec(admin, QStringLiteral("SET client_min_messages TO warning"));
      Exec(admin, QStringLiteral("DROP SCHEMA ") + pgSchema_ + QStringLiteral(" CASCADE"));
      Exec(admin, QStringLiteral("CREATE SCHEMA ") + pgSchema_);
    } else {
      for (const char* end : {"", "-wal", "-shm"}) QFile::remove(path(QStringLiteral("tolva.db")) + QString::fromLatin1(end));
    }
    ASSERT_TRUE(OpenConnection(cnt_, gCnn(), [](const QString&) { return true; }));
    QFile script(QStringLiteral(TOLVA_TESTS_DIR "/db/schema-v1/") +
                 (isPostgres() ? QStringLiteral("postgresql.sql") : QStringLiteral("sqlite.sql")));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    ASSERT_TRUE(RunSqlScript(gCnn(), QString::fromUtf8(script.readAll())));
    Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status, BalAmt, BalPoint) VALUES ('V000001', '11', 1500, 30), "
                                "('V000002', '12', 250.5, 7)"));
    Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnAmt, TxnPoint) VALUES "
                                "('001', '21', 'V000001', 1500, 30), ('001', '12', 'V000002', 250.5, 7), "
                                "('002', '22', 'V000001', -100, 3)"));
  }

  QString sums() const {
    return Value(gCnn(), QStringLiteral("SELECT CAST(SUM(BalAmt) AS VARCHAR(30)) || '/' || CAST(SUM(BalPoint) AS VARCHAR(30)) "
                                        "|| '/' || CAST((SELECT SUM(TxnAmt) FROM TolvaLog) AS VARCHAR(30)) FROM Tolva"))
        .toString();
  }

  QStringList upgradeLog() const {
    QStringList rows;
    QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT LogMsg FROM xxAPLOG WHERE ActionID = '資料庫升級' ORDER BY RNo"));
    while (q.next()) rows << q.value(0).toString();
    return rows;
  }
};

TEST_P(SchemaUpgradeTest, AFirstVersionDatabaseEndsLikeAFreshOneWithItsRowsKept) {
  EXPECT_EQ(Must(StoredSchemaVersion(gCnn())), kSchemaVersion);
  const QStringList fresh = describe();
  makeVersionOne();
  ASSERT_EQ(Must(StoredSchemaVersion(gCnn())), 1);
  const QString before = sums();

  QString report;
  ASSERT_TRUE(UpgradeSchemaIfOlder(report)) << report.toStdString();
  // The operator was told while the copy and the upgrade held the program.
  EXPECT_EQ(dialogs_->notices, (QStringList{QStringLiteral("資料庫升級中，請稍候..."), QString()}));
  EXPECT_EQ(Must(StoredSchemaVersion(gCnn())), kSchemaVersion);
  EXPECT_EQ(describe(), fresh);
  EXPECT_TRUE(describe().contains(QStringLiteral("index ix_tolvalog_txndate")));
  EXPECT_EQ(sums(), before);
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM TolvaLog")).toInt(), 3);
  EXPECT_TRUE(describe().contains(QStringLiteral("index ix_tolvalog_cardhistory")));
  EXPECT_FALSE(describe().contains(QStringLiteral("index ix_tolvalog_cardno")));
  EXPECT_EQ(upgradeLog(), (QStringList{QStringLiteral("版本 2：交易檔轉入記錄、交易日索引"), QStringLiteral("版本 3：資料庫還原的作業代碼"),
                                      QStringLiteral("版本 4：卡片交易索引含金額與點數")}));
  // The embedded file was copied first, as it stood.
  const QStringList copies = QDir(path(QStringLiteral("backup"))).entryList({QStringLiteral("tolva-v1-*.db")});
  EXPECT_EQ(copies.size(), isPostgres() ? 0 : 1);

  // Up to date: nothing more happens.
  ASSERT_TRUE(UpgradeSchemaIfOlder(report));
  EXPECT_EQ(upgradeLog().size(), 3);
  EXPECT_EQ(dialogs_->notices.size(), 2);
}

TEST_P(SchemaUpgradeTest, ADatabaseOfANewerProgramIsRefusedNamingBothVersions) {
  for (const QString& statement : gCnn().dialect().schemaVersionStatements(kSchemaVersion + 7)) Exec(gCnn(), statement);
  const QStringList before = describe();
  QString report;
  EXPECT_FALSE(UpgradeSchemaIfOlder(report));
  EXPECT_TRUE(report.contains(QStringLiteral("版本為 %1").arg(kSchemaVersion + 7))) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("版本 %1").arg(kSchemaVersion))) << report.toStdString();
  EXPECT_EQ(describe(), before);
}

TEST_P(SchemaUpgradeTest, AStepThatFailsLeavesTheFirstVersionWhole) {
  makeVersionOne();
  const QStringList v1 = describe();
  SetStatementHookForTest([](Connection&, const QString& sql) {
    if (sql.contains(QStringLiteral("IX_TolvaLog_TxnDate"))) throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
  });
  QString report;
  EXPECT_FALSE(UpgradeSchemaIfOlder(report));
  SetStatementHookForTest(nullptr);
  EXPECT_TRUE(report.contains(QStringLiteral("refused by the test")));
  EXPECT_EQ(Must(StoredSchemaVersion(gCnn())), 1);
  EXPECT_EQ(describe(), v1);
  EXPECT_TRUE(upgradeLog().isEmpty());
  // The next start tries again and succeeds.
  EXPECT_TRUE(UpgradeSchemaIfOlder(report));
  EXPECT_EQ(Must(StoredSchemaVersion(gCnn())), kSchemaVersion);
}

TEST_P(SchemaUpgradeTest, TwoProgramsStartedTogetherUpgradeOnce) {
  makeVersionOne();
  QFile ini(path(QStringLiteral("tolva.INI")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ini.write((QStringLiteral("[PARAM]\r\nGCNT=") + cnt_ + QStringLiteral("\r\n")).toUtf8());
  ini.close();
  ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("out"))));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TOLVA_HOME"), dir_->path());
  env.remove(QStringLiteral("DISPLAY"));
  QProcess programs[2];
  for (QProcess& p : programs) {
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TOLVA_BIN_DIR "/tolva"), {QStringLiteral("--export-blacklist"), path(QStringLiteral("out"))});
  }
  for (QProcess& p : programs) {
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  }
  EXPECT_EQ(Must(StoredSchemaVersion(gCnn())), kSchemaVersion);
  EXPECT_EQ(upgradeLog().size(), 3);
}

TOLVA_DB_TEST_SUITE(SchemaUpgradeTest);
