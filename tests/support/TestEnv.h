#pragma once
// Fixtures: a fresh application folder, settings store and scripted dialogs per test, and
// database cases written once and run on each dialect.
#include "support/ScriptedDialogs.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failure output for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class Connection;

// A fresh application folder (TheSettings().appPath) with the INI file, logs and per-user settings in it,
// default process-wide settings, the real clock and scripted dialogs.
class AppTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  QString path(const QString& name) const;  // a file in the application folder
  void writeIni(const QString& text);        // replaces the INI file
  QByteArray readBytes(const QString& file) const;

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ScriptedDialogs> dialogs_;
};

// An empty schema of its own on the PostgreSQL server TOLVA_TEST_PG names, dropped with this
// object; nothing is made when no server is named.
class EmptyPgSchema {
public:
  EmptyPgSchema();
  ~EmptyPgSchema();
  EmptyPgSchema(const EmptyPgSchema&) = delete;
  EmptyPgSchema& operator=(const EmptyPgSchema&) = delete;
  bool made() const { return !name_.isEmpty(); }
  const QString& name() const { return name_; }
  // The server's connection string with the schema as its search path.
  const QString& connectionString() const { return cnt_; }

private:
  QString name_, cnt_;
};

enum class DbKind { SQLite, PostgreSQL };

// gCnn open on a new database of the dialect under test, created from the program's schema
// script: an SQLite file in the application folder, or a schema of its own on the PostgreSQL
// server named by TOLVA_TEST_PG (the test is skipped when none is named).
class DbTest : public AppTest, public ::testing::WithParamInterface<DbKind> {
protected:
  void SetUp() override;
  void TearDown() override;

  // The connection string of the database under test; a second connection to it sees the
  // same tables.
  QString connectionString() const { return cnt_; }
  bool isPostgres() const { return GetParam() == DbKind::PostgreSQL; }
  // From now on a transaction that writes to `table` is refused by the database at its COMMIT
  // (a deferred constraint fails), while every statement before it succeeds.
  void refuseCommitsWriting(const QString& table);
  // PostgreSQL: the server process of gCnn's session, and ending a session from a second
  // connection as an administrator (or a dropped network) would; it returns once the server
  // has let the session go.
  static QString sessionPid();
  void endSession(const QString& pid) const;

  QString cnt_;
  QString pgSchema_;
  std::unique_ptr<EmptyPgSchema> schema_;
};

// A DbTest whose PostgreSQL database leaves standard_conforming_strings off by default (a
// throwaway database of its own, created with that setting), so that a backslash in a
// quoted text would escape its quote on any session that does not switch it on. SQLite runs
// as in DbTest.
class NonConformingServerTest : public DbTest {
protected:
  void SetUp() override;
  void TearDown() override;
  // The server default on a plain connection that does not set anything: "off".
  QString serverDefault();

  QString database_;
};

// Runs the program (a process of its own, in application folder `home`, whose INI names the
// database `cnt`) on a machine without a display; answers its exit code and puts its output
// lines in `lines` (and what it wrote to stderr in `errors`, when given).
int RunProgram(const QString& home, const QString& cnt, const QStringList& args, QStringList& lines,
               QString* errors = nullptr);

// Runs the cases of a DbTest suite on SQLite (instances "SQLite/...") and PostgreSQL
// ("PostgreSQL/...", a CTest test of its own).
#define TOLVA_DB_TEST_SUITE(Suite)                                                    \
  INSTANTIATE_TEST_SUITE_P(SQLite, Suite, ::testing::Values(DbKind::SQLite));         \
  INSTANTIATE_TEST_SUITE_P(PostgreSQL, Suite, ::testing::Values(DbKind::PostgreSQL))
