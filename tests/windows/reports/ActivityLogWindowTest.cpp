// The application log viewer on each dialect: every filter narrows the list as it says, the
// last day of a range counts to its midnight, and the list leaves as CSV in the code page.
#include "core/CodePage.h"
#include "support/Sql.h"
#include "ui/LongListGrid.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"
#include "windows/reports/ActivityLogWindow.h"
#include "ui/PrintPreviewWindow.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

namespace {

void addLog(const char* at, const QString& action, const QString& user, const QString& ws, const QString& prog,
            const QString& msg, const QVariant& remark = QVariant()) {
  const QDateTime t = QDateTime::fromString(QString::fromLatin1(at), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
  Exec(gCnn(), QStringLiteral("INSERT INTO xxAPLOG (UserID, LoginWS, ProgID, ActionID, LogMsg, Remark, FileDate) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {user, ws, prog, action, msg, remark, gCnn().dialect().dateValue(t)});
}

}  // namespace

class LogViewerTest : public DbTest {
protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const QString clerk = QStringLiteral("clerk"), topUp = QStringLiteral("加值"), tolva = QStringLiteral("tolva");
    addLog("2026/03/03 23:59:59", topUp, clerk, QStringLiteral("POS1"), tolva, QStringLiteral("before"));
    addLog("2026/03/04 00:00:00", topUp, clerk, QStringLiteral("POS1"), tolva, QStringLiteral("first"));
    addLog("2026/03/05 12:00:00", QStringLiteral("發卡"), QStringLiteral("boss"), QStringLiteral("POS2"), tolva,
           QStringLiteral("卡號 V000001, \"壞卡\""), QStringLiteral("系統錯誤"));
    addLog("2026/03/05 23:59:59", QStringLiteral("售出"), clerk, QStringLiteral("POS2"), QStringLiteral("other"),
           QStringLiteral("last"), kApRefusedRemark);
    addLog("2026/03/06 00:00:00", topUp, clerk, QStringLiteral("POS1"), tolva, QStringLiteral("after"));
  }

  // The messages listed after a query with these fields set (others empty), top to bottom.
  // `outcome`: the index of the outcome filter (all, failures, refusals).
  QStringList listed(ActivityLogWindow& w, const QMap<QString, QString>& fields, int outcome = 0) {
    for (const char* f : {"txtActionID", "txtProgID", "txtUserID", "txtLoginWS"}) w.field(QString::fromLatin1(f))->clear();
    w.field(QStringLiteral("txtDateB"))->setText(QStringLiteral("2026/03/04"));
    w.field(QStringLiteral("txtDateE"))->setText(QStringLiteral("2026/03/05"));
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) w.field(it.key())->setText(it.value());
    w.cboOutcome()->setCurrentIndex(outcome);
    w.listRows();
    QStringList out;
    for (int r = 1; r < w.fgLog()->rows(); ++r) out << w.fgLog()->textMatrix(r, 3);
    return out;
  }
};

TEST_P(LogViewerTest, EachFilterNarrowsTheList) {
  ActivityLogWindow w;
  EXPECT_EQ(w.cboOutcome()->currentText(), QStringLiteral("全部記錄"));
  const QString bad = QStringLiteral("卡號 V000001, \"壞卡\"");
  EXPECT_EQ(listed(w, {}), (QStringList{QStringLiteral("last"), bad, QStringLiteral("first")}));
  EXPECT_EQ(w.fgLog()->textMatrix(3, 2), QStringLiteral("加值作業"));
  EXPECT_EQ(w.fgLog()->textMatrix(1, 0), QStringLiteral("2026/03/05 23:59:59"));
  SaveScreenshot(&w, QStringLiteral("fmLog"));
  EXPECT_EQ(listed(w, {{QStringLiteral("txtActionID"), QStringLiteral("加值")}}), QStringList{QStringLiteral("first")});
  EXPECT_EQ(listed(w, {{QStringLiteral("txtProgID"), QStringLiteral("other")}}), QStringList{QStringLiteral("last")});
  EXPECT_EQ(listed(w, {{QStringLiteral("txtUserID"), QStringLiteral("boss")}}), QStringList{bad});
  EXPECT_EQ(listed(w, {{QStringLiteral("txtLoginWS"), QStringLiteral("POS2")}}), (QStringList{QStringLiteral("last"), bad}));
  // Failures and refusals apart: each remark only under its own choice.
  EXPECT_EQ(listed(w, {}, 1), QStringList{bad});
  EXPECT_EQ(listed(w, {}, 2), QStringList{QStringLiteral("last")});
  EXPECT_EQ(listed(w, {{QStringLiteral("txtUserID"), QStringLiteral("boss")}}, 2), QStringList{});
  EXPECT_EQ(listed(w, {{QStringLiteral("txtUserID"), QStringLiteral("x' OR '1'='1")}}), QStringList{});
  // An open start reaches back to the first row; an end before the start is refused.
  EXPECT_EQ(listed(w, {{QStringLiteral("txtDateB"), QString()}}).size(), 4);
  EXPECT_EQ(listed(w, {{QStringLiteral("txtDateB"), QStringLiteral("2026/03/06")}}).size(), 4);  // kept from before
}

TEST_P(LogViewerTest, TheListIsSavedAsCsvInTheCodePageAndPrinted) {
  ActivityLogWindow w;
  ASSERT_EQ(listed(w, {}, 1).size(), 1);
  const QString file = path(QStringLiteral("log.csv"));
  dialogs_->fileAnswers.push_back(file);
  w.saveAsCsv();
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  const QString text = CodePage::fromAnsi(bytes);
  EXPECT_EQ(bytes, CodePage::toAnsi(text));
  EXPECT_NE(bytes, text.toUtf8());
  EXPECT_EQ(text, QStringLiteral("記錄時間,作業代號,作業說明,記錄內容,備註,使用者,工作站,程式\r\n"
                                 "2026/03/05 12:00:00,發卡,批次發卡,\"卡號 V000001, \"\"壞卡\"\"\",系統錯誤,boss,POS2,tolva\r\n"));

  int pages = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &w, [&] {
    auto* preview = w.findChild<PrintPreviewWindow*>();
    if (!preview || !preview->isVisible()) return;
    poll.stop();
    pages = preview->pageCount();
    preview->accept();
  });
  poll.start(50);
  w.printList();
  EXPECT_EQ(pages, 1);
}

TOLVA_DB_TEST_SUITE(LogViewerTest);
