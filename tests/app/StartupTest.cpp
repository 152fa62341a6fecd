#include "core/AppFolder.h"
#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/SettingsFile.h"
#include "core/Settings.h"
#include "app/Startup.h"
#include "db/Connection.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QWidget>

class StartupTest : public AppTest {};

TEST_F(StartupTest, InitGlobalNamesFilesAfterTheProgramAndReadsDefaults) {
  EditSettings().appName = QStringLiteral("Y");
  qputenv("USER", "abcdefghijklmnopqrstuvwxy");  // 25 characters
  LoadSettings(QStringLiteral("Y.INI"), dir_->path());
  EXPECT_EQ(TheSettings().iniFile, path(QStringLiteral("Y.INI")));
  EXPECT_EQ(TheSettings().logFile, path(QStringLiteral("Y.LOG")));
  EXPECT_EQ(TheSettings().errorLogFile, path(QStringLiteral("Y.ERR")));
  EXPECT_EQ(TheSettings().calendar, QStringLiteral("YYYY/MM/DD"));
  EXPECT_EQ(TheSettings().dateSeparator, QStringLiteral("/"));
  EXPECT_EQ(TheSettings().operatorId, QStringLiteral("abcdefghijklmnopqrst"));
  EXPECT_EQ(TheSettings().dateQuote, QStringLiteral("'"));
}

TEST_F(StartupTest, InitGlobalReadsTheIniAndSelectsTheCodePage) {
  writeIni(QStringLiteral("[PARAM]\r\nCustName=好市集\r\nCalendar=CC/MM/DD\r\nDateSep=-\r\nDefUserID=clerk\r\n"
                          "CodePage=UTF-8\r\n"));
  LoadSettings(QStringLiteral("tolva.INI"), dir_->path());
  EXPECT_EQ(TheSettings().customerName, QStringLiteral("好市集"));
  EXPECT_EQ(TheSettings().calendar, QStringLiteral("CC/MM/DD"));
  EXPECT_EQ(TheSettings().dateSeparator, QStringLiteral("-"));
  EXPECT_EQ(TheSettings().operatorId, QStringLiteral("clerk"));
  EXPECT_EQ(CodePage::toAnsi(QStringLiteral("卡")), QStringLiteral("卡").toUtf8());
}

TEST_F(StartupTest, LoadMsgJoinsLinesAndReportsAMissingFile) {
  QFile f(path(QStringLiteral("CardMsg.txt")));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(CodePage::toAnsi(QStringLiteral("歡迎光臨\r\n\r\n第三行\r\n")));
  f.close();
  QString text;
  ASSERT_TRUE(ReadMessageFile(path(QStringLiteral("CardMsg.txt")), text));
  EXPECT_EQ(text, QStringLiteral("歡迎光臨||第三行"));
  const quint64 mark = ReportsToShowCount();
  EXPECT_FALSE(ReadMessageFile(path(QStringLiteral("none.txt")), text));
  // Kept for the window to show; the reader shows nothing itself.
  EXPECT_TRUE(dialogs_->shown.empty());
  ASSERT_EQ(ReportsToShowSince(mark).size(), 1);
  EXPECT_TRUE(ReportsToShowSince(mark)[0].contains(QStringLiteral("(ReadMessageFile)")));
}

namespace {
QString binary() { return QStringLiteral(TOLVA_BIN_DIR "/tolva"); }

void prepareHome(const QString& home) { ASSERT_EQ(PrepareApplicationFolder(home, QStringLiteral("tolva")), QString()); }
}  // namespace

TEST_F(StartupTest, FolderWhereNoLockCanBeMadeDoesNotEndTheStartSilently) {
  // The application folder lies below a plain file, so nothing can be created in it.
  QFile blocker(path(QStringLiteral("plain")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TOLVA_HOME"), path(QStringLiteral("plain/home")));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  QProcess program;
  program.setProcessEnvironment(env);
  program.start(binary(), {});
  ASSERT_TRUE(program.waitForStarted());
  // Start-up goes on to its messages (which wait for the operator) instead of ending at once.
  EXPECT_FALSE(program.waitForFinished(3000));
  EXPECT_EQ(program.state(), QProcess::Running);
  program.kill();
  program.waitForFinished();
}

TEST_F(StartupTest, FreshInstallOpensTheMainWindowWithoutAnyBox) {
  prepareHome(dir_->path());
  qputenv("TOLVA_HOME", dir_->path().toUtf8());
  ASSERT_TRUE(StartUp());
  qunsetenv("TOLVA_HOME");
  EXPECT_TRUE(dialogs_->shown.empty()) << dialogs_->shown.front().text.toStdString();
  auto* main = StartedMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->windowTitle(), QStringLiteral("QDR卡管理作業"));
  EXPECT_TRUE(gCnn().isOpen());
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("tolva.db"))));
  // The folder's first start used up the marker ./run left; the message database was only read.
  EXPECT_FALSE(QFile::exists(path(QStringLiteral("tolva.new"))));
  EXPECT_FALSE(QFile::exists(path(QStringLiteral("IDMSG.MDB-wal"))));
  delete main;
}

TEST_F(StartupTest, SecondInstanceEndsSilently) {
  prepareHome(dir_->path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TOLVA_HOME"), dir_->path());
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(binary(), {});
  ASSERT_TRUE(first.waitForStarted());
  // The first instance holds its lock once its start-up has run.
  for (int i = 0; i < 200 && !QFile::exists(path(QStringLiteral("tolva.lck"))); ++i) QThread::msleep(50);
  ASSERT_TRUE(QFile::exists(path(QStringLiteral("tolva.lck"))));

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(binary(), {});
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
  EXPECT_EQ(first.state(), QProcess::Running);
  first.kill();
  first.waitForFinished();
}
