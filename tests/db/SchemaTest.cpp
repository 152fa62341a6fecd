#include "core/AppFolder.h"
#include "support/Sql.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "app/Startup.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"
#include "db/Database.h"
#include "db/Parameters.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QWidget>

namespace {
const QStringList kTables{"Tolva", "TolvaLog", "VoidCard", "Store", "xxPARAM", "xxCODE", "xxAPLOG", "xxNO", "TolvaImport"};
}

TEST(SplitSqlScriptTest, SemicolonsInsideLiteralsCommentsAndBodiesDoNotSplit) {
  const QString script = QStringLiteral(
      "-- heading; with a semicolon\n"
      "CREATE TABLE a (x VARCHAR(5)); /* block; comment */\n"
      "INSERT INTO a VALUES ('it''s; here');\n"
      "INSERT INTO a VALUES (\"q;\");\n"
      "CREATE FUNCTION f(p int) RETURNS int AS $$ SELECT $1; SELECT 2 $$ LANGUAGE sql;\n"
      "CREATE FUNCTION g() RETURNS int AS $body$ SELECT 1; $$ inner $$; $body$ LANGUAGE sql;\n"
      "-- trailing comment only\n;\n");
  const QStringList parts = SplitSqlScript(script);
  ASSERT_EQ(parts.size(), 5) << parts.join(QStringLiteral("\n|\n")).toStdString();
  EXPECT_TRUE(parts[0].endsWith(QStringLiteral("CREATE TABLE a (x VARCHAR(5))")));
  EXPECT_TRUE(parts[1].endsWith(QStringLiteral("INSERT INTO a VALUES ('it''s; here')")));
  EXPECT_EQ(parts[2], QStringLiteral("INSERT INTO a VALUES (\"q;\")"));
  EXPECT_EQ(parts[3], QStringLiteral("CREATE FUNCTION f(p int) RETURNS int AS $$ SELECT $1; SELECT 2 $$ LANGUAGE sql"));
  EXPECT_EQ(parts[4], QStringLiteral("CREATE FUNCTION g() RETURNS int AS $body$ SELECT 1; $$ inner $$; $body$ LANGUAGE sql"));
}

TEST(SplitSqlScriptTest, BuiltInScriptsAreThere) {
  for (const char* name : {"sqlite.sql", "postgresql.sql", "sqlserver.sql"}) {
    const QString text = Must(SchemaScriptText(QString::fromLatin1(name)));
    for (const QString& table : kTables) {
      EXPECT_TRUE(text.contains(QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" ("))) << name << " " << table.toStdString();
    }
    EXPECT_TRUE(text.contains(QStringLiteral("'TolvaWorkingType', '補發卡'"))) << name;
  }
  EXPECT_FALSE(SchemaScriptText(QStringLiteral("oracle.sql")));
}

class SchemaTest : public DbTest {
protected:
  // Checks the schema on the open main connection: tables, codes, numbering, unique cards.
  void expectWorkingSchema() {
    for (const QString& table : kTables) EXPECT_TRUE(Must(HasTable(gCnn(), table))) << table.toStdString();
    EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxCODE")).toInt(), 35);
    EXPECT_EQ(CodeDescription(QStringLiteral("TolvaStatus"), QStringLiteral("01")), QStringLiteral("已發卡"));
    qint64 n = 0;
    QString text;
    ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text));
    EXPECT_EQ(text, QStringLiteral("000001"));
    Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo) VALUES ('V000001')"));
    EXPECT_FALSE(gCnn().execute(QStringLiteral("INSERT INTO Tolva (CardNo) VALUES ('V000001')")));
    EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT Len(CardNo) FROM Tolva")).toInt(), 7);
  }
};

TEST_P(SchemaTest, BuiltInScriptGivesAWorkingSchema) {
  EXPECT_FALSE(Must(HasTable(gCnn(), QStringLiteral("NoSuchTable"))));
  expectWorkingSchema();
}

TEST_P(SchemaTest, AFailingScriptLeavesNothingBehind) {
  const QString script = QStringLiteral("CREATE TABLE Extra1 (x INTEGER);\nINSERT INTO NoSuchTable VALUES (1);\n");
  EXPECT_FALSE(RunSqlScript(gCnn(), script));
  EXPECT_FALSE(gCnn().inTransaction());
  EXPECT_FALSE(Must(HasTable(gCnn(), QStringLiteral("Extra1"))));
}

// The script files as a database administrator runs them: sqlite3 < sqlite.sql, psql -f postgresql.sql.
TEST_P(SchemaTest, ScriptFileRunsInTheDialectsOwnTool) {
  const QString file = QStringLiteral(TOLVA_SOURCE_DIR "/src/db/schema/") + (isPostgres() ? "postgresql.sql" : "sqlite.sql");
  QProcess tool;
  QString target;
  QString schema;
  if (!isPostgres()) {
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    ASSERT_FALSE(sqlite3.isEmpty()) << "sqlite3 not installed";
    const QString db = path(QStringLiteral("admin.db"));
    tool.setStandardInputFile(file);
    tool.start(sqlite3, {QStringLiteral("-bail"), db});
    target = QStringLiteral("Provider=SQLite;Data Source=") + db;
  } else {
    QString psql = QStandardPaths::findExecutable(QStringLiteral("psql"));
    if (psql.isEmpty()) {
      const QStringList found = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
      if (!found.isEmpty()) psql = QStringLiteral("/usr/lib/postgresql/") + found.last() + QStringLiteral("/bin/psql");
    }
    ASSERT_TRUE(QFile::exists(psql)) << "psql not installed";
    const auto kv = ParseConnectionString(qEnvironmentVariable("TOLVA_TEST_PG"));
    schema = QStringLiteral("a%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
    Exec(gCnn(), QStringLiteral("CREATE SCHEMA ") + schema);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c search_path=") + schema);
    env.insert(QStringLiteral("PGPASSWORD"), kv.value(QStringLiteral("password")));
    tool.setProcessEnvironment(env);
    tool.start(psql, {QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
                      kv.value(QStringLiteral("host")), QStringLiteral("-p"), kv.value(QStringLiteral("port")),
                      QStringLiteral("-U"), kv.value(QStringLiteral("user id")), QStringLiteral("-d"),
                      kv.value(QStringLiteral("database")), QStringLiteral("-f"), file});
    target = qEnvironmentVariable("TOLVA_TEST_PG") + QStringLiteral(";Search Path=") + schema;
  }
  ASSERT_TRUE(tool.waitForFinished(60000));
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  ASSERT_TRUE(OpenConnection(target, gCnn()));
  expectWorkingSchema();
  if (!schema.isEmpty()) {
    Exec(gCnn(), QStringLiteral("SET client_min_messages TO warning"));
    Exec(gCnn(), QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
  }
}

TOLVA_DB_TEST_SUITE(SchemaTest);

// A fresh install: the first start creates the embedded database with its schema and codes.
class FreshStartTest : public AppTest {};

TEST_F(FreshStartTest, FirstStartCreatesTheEmbeddedDatabase) {
  ASSERT_EQ(PrepareApplicationFolder(dir_->path(), QStringLiteral("tolva")), QString());
  ASSERT_FALSE(QFile::exists(path(QStringLiteral("tolva.db"))));
  qputenv("TOLVA_HOME", dir_->path().toUtf8());
  ASSERT_TRUE(StartUp());
  qunsetenv("TOLVA_HOME");
  EXPECT_TRUE(dialogs_->shown.empty()) << dialogs_->shown.front().text.toStdString();
  delete StartedMainWindow();
  ASSERT_TRUE(gCnn().isOpen());
  for (const QString& table : kTables) EXPECT_TRUE(Must(HasTable(gCnn(), table))) << table.toStdString();
  EXPECT_EQ(CodeDescription(QStringLiteral("TolvaLogType"), QStringLiteral("13")), QStringLiteral("售卡"));
  // The card settings were read: defaults on a new database.
  EXPECT_EQ(TheSettings().batchNo, QStringLiteral("V0001"));
  EXPECT_EQ(TheSettings().readerPort, QStringLiteral("COM1"));

  // A second start keeps what the first one stored.
  ASSERT_TRUE(SetParamValue(QStringLiteral("BatchNo"), QStringLiteral("v0002")));
  gCnn().close();
  qputenv("TOLVA_HOME", dir_->path().toUtf8());
  ASSERT_TRUE(StartUp());
  qunsetenv("TOLVA_HOME");
  delete StartedMainWindow();
  EXPECT_EQ(TheSettings().batchNo, QStringLiteral("V0002"));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxCODE WHERE CodeType = 'TolvaStatus'")).toInt(), 5);
}
