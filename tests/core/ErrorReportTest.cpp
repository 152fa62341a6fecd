#include "core/Clock.h"
#include "core/ClockSeam.h"
#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "support/TestEnv.h"

#include <QFile>

class ErrorReportTest : public AppTest {};

TEST_F(ErrorReportTest, RecordIsStampedAppendedInTheCodePageAndShown) {
  SetNowForTest(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
  try {
    throw TolvaError(QStringLiteral("3704"), QStringLiteral("資料庫未連線"));
  } catch (...) {
    ReportError(QStringLiteral("LookUpAndShowCard"));
  }
  LogError(QStringLiteral("WriteActivityLog"), QStringLiteral("5"), QStringLiteral("silent"));

  const QString first = QStringLiteral(
      "**記錄時間 - 26/03/05, 14:07:09 \r\n"
      "處理程序: (LookUpAndShowCard)\r\n執行錯誤, 代碼: 3704\r\n訊息: \r\n     資料庫未連線\r\n\r\n");
  const QString second = QStringLiteral(
      "**記錄時間 - 26/03/05, 14:07:09 \r\n"
      "處理程序: (WriteActivityLog)\r\n執行錯誤, 代碼: 5\r\n訊息: \r\n     silent\r\n\r\n");
  EXPECT_EQ(readBytes(TheSettings().errorLogFile), CodePage::toAnsi(first + second));

  // Only the report shows a box and beeps; the silent record does neither.
  ASSERT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_EQ(dialogs_->shown[0].text, first.mid(first.indexOf(QStringLiteral("處理程序"))));
  EXPECT_EQ(dialogs_->shown[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(dialogs_->beeps, 1);
}

TEST_F(ErrorReportTest, SessionsFirstRecordNamesTheApplicationFolder) {
  BeginErrorLogSession(QStringLiteral("/srv/tolva"));
  LogError(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("x"));
  LogError(QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("y"));
  const QStringList lines = CodePage::fromAnsi(readBytes(TheSettings().errorLogFile)).split(QStringLiteral("\r\n"));
  EXPECT_EQ(lines.first(), QStringLiteral("**應用程式資料夾 - /srv/tolva"));
  EXPECT_TRUE(lines.value(1).startsWith(QStringLiteral("**記錄時間 - ")));
  EXPECT_EQ(lines.filter(QStringLiteral("應用程式資料夾")).size(), 1);
}

TEST_F(ErrorReportTest, UnwritableLogStillShowsTheBox) {
  EditSettings().errorLogFile = path(QStringLiteral("no/such/folder/tolva.ERR"));
  ReportError(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("y"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
}

TEST_F(ErrorReportTest, LogTrimmingKeepsExactlyTheLimit) {
  auto make = [&](const QString& name, int size) {
    QFile f(path(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
    return path(name);
  };
  const QString kept = make(QStringLiteral("a.LOG"), 102400);
  const QString deleted = make(QStringLiteral("b.LOG"), 102401);
  TrimLogFile(kept);
  TrimLogFile(deleted);
  TrimLogFile(path(QStringLiteral("missing.LOG")));
  EXPECT_TRUE(QFile::exists(kept));
  EXPECT_FALSE(QFile::exists(deleted));
}

namespace {
struct Window {
  QString handler() { return ErrorLabel(); }
  QString fromLambda() {
    return [] { return ErrorLabel(); }();
  }
};
}  // namespace

TEST(ErrorLabel, NamesTheFunctionItIsCalledIn) {
  Window w;
  EXPECT_EQ(w.handler(), QStringLiteral("{anonymous}::Window::handler"));
  EXPECT_EQ(w.fromLambda(), QStringLiteral("{anonymous}::Window::fromLambda"));
}
