#include "core/Ini.h"
#include "core/CodePage.h"
#include "core/Settings.h"
#include "support/TestEnv.h"

#include <QFile>

class IniTest : public AppTest {};

TEST_F(IniTest, ReadsLikePrivateProfile) {
  writeIni(QStringLiteral("; comment\r\n[Other]\r\nGCNT=wrong\r\n[param]\r\ngcnt = Provider=SQLite;Data Source=a.db \r\n"
                          "CustName=\"好市集\"\r\nLong=%1\r\n")
               .arg(QString(200, QLatin1Char('x'))));
  EXPECT_EQ(ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("GCNT")),
            QStringLiteral("Provider=SQLite;Data Source=a.db"));
  EXPECT_EQ(ReadIniValue(TheSettings().iniFile, QStringLiteral("Param"), QStringLiteral("CustName")), QStringLiteral("好市集"));
  EXPECT_EQ(ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("Long")).size(), 127);
  EXPECT_EQ(ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("Missing")), QString());
  EXPECT_EQ(ReadIniValue(TheSettings().iniFile, QStringLiteral("NoSection"), QStringLiteral("GCNT")), QString());
  EXPECT_EQ(ReadIniValue(path(QStringLiteral("none.ini")), QStringLiteral("PARAM"), QStringLiteral("GCNT")), QString());
}

TEST_F(IniTest, WritingCreatesFileSectionAndKeyAndKeepsTheRest) {
  const QString file = path(QStringLiteral("new.ini"));
  ASSERT_TRUE(WriteIniValue(file, QStringLiteral("PARAM"), QStringLiteral("BorixPort"), QStringLiteral("COM3")));
  EXPECT_EQ(ReadIniValue(file, QStringLiteral("PARAM"), QStringLiteral("BorixPort")), QStringLiteral("COM3"));

  writeIni(QStringLiteral("[PARAM]\r\n; keep me\r\nGCNT=x\r\n\r\n[Other]\r\nA=1\r\n"));
  ASSERT_TRUE(WriteIniValue(TheSettings().iniFile, QStringLiteral("param"), QStringLiteral("borixport"), QStringLiteral("COM2")));
  ASSERT_TRUE(WriteIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("GCNT"), QStringLiteral("y")));
  ASSERT_TRUE(WriteIniValue(TheSettings().iniFile, QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("v")));
  EXPECT_EQ(QString::fromUtf8(readBytes(TheSettings().iniFile)),
            QStringLiteral("[PARAM]\r\n; keep me\r\nGCNT=y\r\nborixport=COM2\r\n\r\n[Other]\r\nA=1\r\n\r\n[New]\r\nK=v\r\n"));
}

TEST_F(IniTest, FileInTheCodePageIsReadAndWrittenBackInIt) {
  QFile f(TheSettings().iniFile);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(CodePage::toAnsi(QStringLiteral("[PARAM]\r\nCustName=好市集\r\n")));
  f.close();
  EXPECT_EQ(ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("CustName")), QStringLiteral("好市集"));
  ASSERT_TRUE(WriteIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("BorixPort"), QStringLiteral("COM1")));
  EXPECT_EQ(readBytes(TheSettings().iniFile), CodePage::toAnsi(QStringLiteral("[PARAM]\r\nCustName=好市集\r\nBorixPort=COM1\r\n")));
}
