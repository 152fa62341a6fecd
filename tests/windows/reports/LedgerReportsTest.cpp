// The liability and reconciliation report windows and the reconciliation job on each dialect.
#include "support/ReportFixture.h"
#include "support/Sql.h"

#include "core/CodePage.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "windows/reports/LiabilityReport.h"
#include "windows/reports/ReconcileReport.h"
#include "ui/StatusPanel.h"
#include "operations/ReportJobs.h"
#include "app/CommandLine.h"
#include "support/PrintCapture.h"
#include "support/Screenshot.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <QLineEdit>

namespace {
// The pictures a PDF holds, as pdfimages lists them (two heading lines, then one per picture).
int pdfImageCount(const QString& file) {
  QProcess p;
  p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), file});
  p.waitForFinished(30000);
  return std::max(0, static_cast<int>(QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size()) - 2);
}
}  // namespace

class LiabilityTest : public ReportTest {
protected:
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    liabilityFleet();
  }
};

TEST_P(LiabilityTest, WindowChartsBalanceByMonthAndPrintsTheTable) {
  LiabilityReport w;
  w.txtDate()->setText(QStringLiteral("2026/03/10"));
  ASSERT_TRUE(w.queryRows());
  const QList<QPair<QString, double>> expected{{QStringLiteral("2026/03"), 100}, {QStringLiteral("2026/04"), 200},
                                               {QStringLiteral("2026/06"), 300.5}, {QStringLiteral("2027/03"), 900}};
  EXPECT_EQ(w.bars(), expected);
  SaveScreenshot(&w, QStringLiteral("fmRptLiability"));
  const int last = w.fgList()->rows() - 1;
  EXPECT_EQ(w.fgList()->textMatrix(last, 0) + w.fgList()->textMatrix(last, 3), QStringLiteral("合計1500.5"));
  const QString text = PrintedText(&w, [&] { w.printList(); }, path(QStringLiteral("liability.pdf")));
  EXPECT_TRUE(text.contains(QStringLiteral("基準日期：2026/03/10"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("1500.5")));
  EXPECT_TRUE(text.contains(QStringLiteral("發卡部門：全部")));
  // The chart goes to paper with the table.
  EXPECT_EQ(pdfImageCount(path(QStringLiteral("liability.pdf"))), 1);
}

TOLVA_DB_TEST_SUITE(LiabilityTest);

class ReconcileTest : public ReportTest {
protected:
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    reconcileFleet();
  }
};

TEST_P(ReconcileTest, WindowListsPrintsAndSavesTheDisagreements) {
  ReconcileReport w;
  w.listRows();
  EXPECT_EQ(w.fgList()->rows(), 1);
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("核對無誤"));
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET BalAmt = 650 WHERE CardNo = 'V1'"));
  w.listRows();
  ASSERT_EQ(w.fgList()->rows(), 2);
  EXPECT_EQ(w.fgList()->textMatrix(1, 0) + w.fgList()->textMatrix(1, 4), QStringLiteral("V1-50.1"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("不符 1 筆"));
  const QString printed = PrintedText(&w, [&] { w.printList(); }, path(QStringLiteral("reconcile.pdf")));
  EXPECT_TRUE(printed.contains(QStringLiteral("V1"))) << printed.toStdString();
  const QString csv = path(QStringLiteral("window.csv"));
  dialogs_->fileAnswers = {csv};
  w.saveAsCsv();
  QFile f(csv);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(CodePage::fromAnsi(f.readAll()).contains(QStringLiteral("V1,餘額不符,650,700.1,-50.1")));
}

TEST_P(ReconcileTest, HeadlessJobExitCodeFollowsTheReport) {
  const QString file = path(QStringLiteral("reconcile.csv"));
  EXPECT_EQ(ReconcileJob(file), 0);
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET BalPoint = 9 WHERE CardNo = 'V1'"));
  EXPECT_EQ(ReconcileJob(file), 1);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(CodePage::fromAnsi(f.readAll()).split(QStringLiteral("\r\n")).value(1),
            QStringLiteral("V1,餘額不符,700.1,700.1,0,9,10,-1"));
}

TOLVA_DB_TEST_SUITE(ReconcileTest);
