#include "ExchangeFixture.h"

#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QProcess>

class CommandLineTest : public ExchangeTest {
protected:
  // Runs the program with the arguments on a machine without a display; answers its exit
  // code and puts its output lines in `lines`.
  int run(const QStringList& args, QStringList& lines) {
    QFile ini(path(QStringLiteral("tolva.INI")));
    EXPECT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(("[PARAM]\r\nGCNT=" + cnt_ + "\r\n").toUtf8());
    ini.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOLVA_HOME"), dir_->path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // A window would need this platform, and it has no display to open.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TOLVA_BIN_DIR "/tolva"), args);
    EXPECT_TRUE(program.waitForFinished(60000));
    lines = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return program.exitCode();
  }
};

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
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT COUNT(*) FROM xxAPLOG WHERE ActionID = 'QDR卡交易檔轉入'")).toInt(), 2);
  EXPECT_EQ(gCnn().scalar(QStringLiteral("SELECT FileName FROM TolvaImport")).toString(), fileName());

  QFile::remove(bad);
  EXPECT_EQ(run({QStringLiteral("--import"), inbox()}, lines), 0);
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(run({QStringLiteral("--import"), path(QStringLiteral("none"))}, lines), 1);
  EXPECT_EQ(run({QStringLiteral("--import")}, lines), 2);

  EXPECT_EQ(run({QStringLiteral("--export-blacklist"), inbox()}, lines), 0);
  EXPECT_FALSE(QFile::exists(QDir(inbox()).filePath(QStringLiteral("VoidCard.txt"))));
  gCnn().execute(QStringLiteral("UPDATE Tolva SET Status = '99' WHERE CardNo = 'V000001'"));
  EXPECT_EQ(run({QStringLiteral("--export-blacklist"), inbox()}, lines), 0);
  EXPECT_TRUE(QFile::exists(QDir(inbox()).filePath(QStringLiteral("VoidCard.txt"))));
  EXPECT_EQ(run({QStringLiteral("--export-blacklist"), path(QStringLiteral("none"))}, lines), 1);
}

TOLVA_DB_TEST_SUITE(CommandLineTest);
