#include "support/TestEnv.h"
#include "support/Sql.h"

#include "core/ClockSeam.h"
#include "core/Clock.h"
#include "core/CodePage.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"
#include "db/Database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSettings>

namespace {

void resetGlobals(const QString& folder) {
  Settings s;
  s.appName = QStringLiteral("tolva");
  s.appPath = folder;
  s.iniFile = folder + QStringLiteral("/tolva.INI");
  s.logFile = folder + QStringLiteral("/tolva.LOG");
  s.errorLogFile = folder + QStringLiteral("/tolva.ERR");
  s.customerName = QStringLiteral("Tolva");
  s.operatorId = QStringLiteral("tester");
  s.workstation = QStringLiteral("WS01");
  s.readerPort = QStringLiteral("COM1");
  EditSettings() = s;
  CodePage::select(QStringLiteral("CP950"));
}

}  // namespace

void AppTest::SetUp() {
  dir_ = std::make_unique<QTemporaryDir>();
  ASSERT_TRUE(dir_->isValid());
  resetGlobals(dir_->path());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_->path() + QStringLiteral("/settings"));
  SetNowForTest(QDateTime());
  dialogs_ = std::make_unique<ScriptedDialogs>();
}

void AppTest::TearDown() {
  QDir::setCurrent(QDir::tempPath());  // start-up moves into the application folder
  gCnn().close();
  gMsgCnn().close();
  dialogs_.reset();
  SetNowForTest(QDateTime());
  dir_.reset();
}

QString AppTest::path(const QString& name) const { return dir_->filePath(name); }

void AppTest::writeIni(const QString& text) {
  QFile f(TheSettings().iniFile);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text.toUtf8());
}

QByteArray AppTest::readBytes(const QString& file) const {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void DbTest::SetUp() {
  AppTest::SetUp();
  if (GetParam() == DbKind::SQLite) {
    cnt_ = QStringLiteral("Provider=SQLite;Data Source=") + path(QStringLiteral("tolva.db"));
  } else {
    if (qEnvironmentVariable("TOLVA_TEST_PG").isEmpty()) GTEST_SKIP() << "TOLVA_TEST_PG names no PostgreSQL server";
    schema_ = std::make_unique<EmptyPgSchema>();
    pgSchema_ = schema_->name();
    cnt_ = schema_->connectionString();
  }
  // The SQLite file is new: created without asking.
  ASSERT_TRUE(OpenConnection(cnt_, gCnn(), [](const QString&) { return true; }));
  SetDBType();
  // Every database case starts from the real schema of its dialect.
  ASSERT_TRUE(CreateSchema(gCnn()));
}

void DbTest::TearDown() {
  gCnn().close();
  schema_.reset();
  AppTest::TearDown();
}

EmptyPgSchema::EmptyPgSchema() {
  const QString server = qEnvironmentVariable("TOLVA_TEST_PG");
  if (server.isEmpty()) return;
  name_ = QStringLiteral("t%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
  Connection admin;
  Must(admin.open(server));
  Exec(admin, QStringLiteral("CREATE SCHEMA ") + name_);
  cnt_ = server + (server.endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";")) + QStringLiteral("Search Path=") +
         name_ + QStringLiteral(";");
}

EmptyPgSchema::~EmptyPgSchema() {
  if (name_.isEmpty()) return;
  Connection admin;
  Must(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")));
  Exec(admin, QStringLiteral("SET client_min_messages TO warning"));
  Exec(admin, QStringLiteral("DROP SCHEMA ") + name_ + QStringLiteral(" CASCADE"));
}

void NonConformingServerTest::SetUp() {
  DbTest::SetUp();
  if (IsSkipped() || HasFatalFailure() || !isPostgres()) return;
  gCnn().close();
  const QString server = qEnvironmentVariable("TOLVA_TEST_PG");
  database_ = QStringLiteral("tolva_nc_%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
  {
    Connection admin;
    Must(admin.open(server));
    Exec(admin, QStringLiteral("CREATE DATABASE ") + database_);
    Exec(admin, QStringLiteral("ALTER DATABASE ") + database_ + QStringLiteral(" SET standard_conforming_strings = off"));
  }
  QString cnt = server;
  cnt.replace(QRegularExpression(QStringLiteral("(?i)Database=[^;]*")), QStringLiteral("Database=") + database_);
  cnt_ = cnt;
  ASSERT_TRUE(OpenConnection(cnt_, gCnn()));
  SetDBType();
  ASSERT_TRUE(CreateSchema(gCnn()));
}

void NonConformingServerTest::TearDown() {
  gCnn().close();
  if (!database_.isEmpty()) {
    Connection admin;
    Must(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")));
    Exec(admin, QStringLiteral("DROP DATABASE ") + database_ + QStringLiteral(" WITH (FORCE)"));
  }
  DbTest::TearDown();
}

QString NonConformingServerTest::serverDefault() {
  const auto kv = ParseConnectionString(cnt_);
  const QString name = QStringLiteral("plain-%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
  QString value;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(kv.value(QStringLiteral("host")));
    db.setPort(kv.value(QStringLiteral("port")).toInt());
    db.setDatabaseName(kv.value(QStringLiteral("database")));
    db.setUserName(kv.value(QStringLiteral("user id")));
    db.setPassword(kv.value(QStringLiteral("password")));
    if (db.open()) {
      QSqlQuery q(db);
      if (q.exec(QStringLiteral("SHOW standard_conforming_strings")) && q.next()) value = q.value(0).toString();
      q.finish();
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(name);
  return value;
}

QString DbTest::sessionPid() { return Value(gCnn(), QStringLiteral("SELECT pg_backend_pid()")).toString(); }

void DbTest::endSession(const QString& pid) const {
  Connection admin;
  Must(admin.open(cnt_));
  // Waits up to five seconds for the server process to end.
  const bool ended = Value(admin, QStringLiteral("SELECT pg_terminate_backend(") + pid + QStringLiteral(", 5000)")).toBool();
  ASSERT_TRUE(ended) << "session " << pid.toStdString() << " still there";
}

void DbTest::refuseCommitsWriting(const QString& table) {
  Connection& cnn = gCnn();
  if (!isPostgres()) Exec(cnn, QStringLiteral("PRAGMA foreign_keys = ON"));
  Exec(cnn, QStringLiteral("CREATE TABLE CommitGate (Id INTEGER PRIMARY KEY)"));
  Exec(cnn, QStringLiteral("CREATE TABLE CommitBlock (GateId INTEGER REFERENCES CommitGate (Id) DEFERRABLE INITIALLY DEFERRED)"));
  if (isPostgres()) {
    Exec(cnn, QStringLiteral("CREATE FUNCTION block_commit() RETURNS trigger AS $$ BEGIN "
                               "INSERT INTO CommitBlock VALUES (1); RETURN NULL; END $$ LANGUAGE plpgsql"));
    Exec(cnn, QStringLiteral("CREATE TRIGGER block_commit AFTER INSERT OR UPDATE OR DELETE ON ") + table +
                QStringLiteral(" FOR EACH STATEMENT EXECUTE FUNCTION block_commit()"));
    return;
  }
  for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
    Exec(cnn, QStringLiteral("CREATE TRIGGER block_commit_%1 AFTER %1 ON ").arg(QString::fromLatin1(event)) + table +
                QStringLiteral(" BEGIN INSERT INTO CommitBlock VALUES (1); END"));
  }
}

int RunProgram(const QString& home, const QString& cnt, const QStringList& args, QStringList& lines, QString* errors) {
  QFile ini(QDir(home).filePath(QStringLiteral("tolva.INI")));
  EXPECT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ini.write(("[PARAM]\r\nGCNT=" + cnt + "\r\n").toUtf8());
  ini.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TOLVA_HOME"), home);
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  // A window would need this platform, and it has no display to open.
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  QProcess program;
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(TOLVA_BIN_DIR "/tolva"), args);
  EXPECT_TRUE(program.waitForFinished(60000));
  lines = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  if (errors) *errors = QString::fromUtf8(program.readAllStandardError());
  return program.exitCode();
}
