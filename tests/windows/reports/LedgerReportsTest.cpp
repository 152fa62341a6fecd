// The liability and reconciliation reports on each dialect, over small hand-made fleets.
#include "support/ReportFixture.h"

#include "core/CodePage.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "ledger/ReportQueries.h"
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
const QString k11 = QStringLiteral("11");
// The pictures a PDF holds, as pdfimages lists them (two heading lines, then one per picture).
int pdfImageCount(const QString& file) {
  QProcess p;
  p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), file});
  p.waitForFinished(30000);
  return std::max(0, static_cast<int>(QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size()) - 2);
}
QString line(const LiabilityLine& l) {
  return QStringLiteral("%1/%2/%3").arg(l.cards).arg(l.balance.toString(), l.points.toString());
}
}  // namespace

class LiabilityTest : public ReportTest {
protected:
  // Live, erased, blacklisted, expired and not yet issued cards, seen on 2026/03/10.
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    card(QStringLiteral("V1"), k11, s1, "2026/03/09", QStringLiteral("100"), QStringLiteral("1"));  // expired
    card(QStringLiteral("V2"), QStringLiteral("01"), s1, "2026/04/09", QStringLiteral("200"), QStringLiteral("2"));
    card(QStringLiteral("V3"), QStringLiteral("12"), s2, "2026/06/08", QStringLiteral("300.5"), QStringLiteral("3"));
    card(QStringLiteral("V4"), k11, s2, "2027/03/10", QStringLiteral("400"));
    card(QStringLiteral("V5"), k11, s2, "2027/03/11", QStringLiteral("500"));
    card(QStringLiteral("V6"), QStringLiteral("81"), s1, "2027/03/11", QStringLiteral("1000"));
    card(QStringLiteral("V7"), QStringLiteral("99"), s1, "2027/03/11", QStringLiteral("1000"));
    card(QStringLiteral("V8"), k11, s1, "2027/03/11", QStringLiteral("1000"), QStringLiteral("0"), "2026/03/11 00:00:00");
  }
  const QString s1 = QStringLiteral("01"), s2 = QStringLiteral("02");
};

TEST_P(LiabilityTest, LiveCardsByStoreMonthAndExpiryBucket) {
  const Liability l = QryLiability(QDate(2026, 3, 10));
  EXPECT_EQ(line(l.total), QStringLiteral("5/1500.5/6"));
  EXPECT_EQ(line(l.byStore.value(s1)), QStringLiteral("2/300/3"));
  EXPECT_EQ(line(l.byStore.value(s2)), QStringLiteral("3/1200.5/3"));
  EXPECT_EQ(l.byMonth.keys(), (QStringList{QStringLiteral("2026/03"), QStringLiteral("2026/04"), QStringLiteral("2026/06"),
                                           QStringLiteral("2027/03")}));
  EXPECT_EQ(line(l.byMonth.value(QStringLiteral("2027/03"))), QStringLiteral("2/900/0"));
  QStringList buckets;
  for (const LiabilityLine& b : l.buckets) buckets << line(b);
  EXPECT_EQ(buckets, (QStringList{QStringLiteral("1/100/1"), QStringLiteral("1/200/2"), QStringLiteral("1/300.5/3"),
                                  QStringLiteral("1/400/0"), QStringLiteral("1/500/0")}));
}

// A past day: balances before later movements, a card blacklisted later still live, a
// replacement made later not yet there, and one erased before that day not live.
TEST_P(LiabilityTest, APastDayTakesBackWhatTheJournalMovedAfterIt) {
  txn(QStringLiteral("21"), QStringLiteral("V4"), "2026/03/11 00:00:00", QStringLiteral("100"));
  txn(QStringLiteral("99"), QStringLiteral("V7"), "2026/03/11 09:00:00", QStringLiteral("0"));
  txn(QStringLiteral("81"), QStringLiteral("V6"), "2026/03/10 23:59:59", QStringLiteral("0"));
  card(QStringLiteral("V9"), QStringLiteral("12"), s1, "2027/03/11", QStringLiteral("1000"));
  txn(QStringLiteral("12"), QStringLiteral("V9"), "2026/03/11 09:00:00", QStringLiteral("1000"));
  EXPECT_EQ(line(QryLiability(QDate(2026, 3, 10)).total), QStringLiteral("6/2400.5/6"));
  // Later: the top-up stands, V8 is issued, the blacklisted card is gone and its replacement
  // holds its value.
  EXPECT_EQ(line(QryLiability(QDate(2026, 3, 12)).total), QStringLiteral("7/3500.5/6"));
}

TEST_P(LiabilityTest, WindowChartsBalanceByMonthAndPrintsTheTable) {
  LiabilityReport w;
  w.txtDate()->setText(QStringLiteral("2026/03/10"));
  ASSERT_TRUE(w.QryData());
  const QList<QPair<QString, double>> expected{{QStringLiteral("2026/03"), 100}, {QStringLiteral("2026/04"), 200},
                                               {QStringLiteral("2026/06"), 300.5}, {QStringLiteral("2027/03"), 900}};
  EXPECT_EQ(w.bars(), expected);
  SaveScreenshot(&w, QStringLiteral("fmRptLiability"));
  const int last = w.fgList()->rows() - 1;
  EXPECT_EQ(w.fgList()->textMatrix(last, 0) + w.fgList()->textMatrix(last, 3), QStringLiteral("合計1500.5"));
  const QString text = PrintedText(&w, [&] { w.cmdPrint_Click(); }, path(QStringLiteral("liability.pdf")));
  EXPECT_TRUE(text.contains(QStringLiteral("基準日期：2026/03/10"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("1500.5")));
  EXPECT_TRUE(text.contains(QStringLiteral("發卡部門：全部")));
  // The chart goes to paper with the table.
  EXPECT_EQ(pdfImageCount(path(QStringLiteral("liability.pdf"))), 1);
}

TOLVA_DB_TEST_SUITE(LiabilityTest);

class ReconcileTest : public ReportTest {
protected:
  // Issued, topped up, deducted and reversed; a replacement; a blacklisted card.
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    card(QStringLiteral("V1"), k11, QStringLiteral("01"), "2027/12/31", QStringLiteral("700.1"), QStringLiteral("10"));
    txn(k11, QStringLiteral("V1"), "2026/03/01 10:00:00", QStringLiteral("500"));
    txn(QStringLiteral("13"), QStringLiteral("V1"), "2026/03/01 11:00:00", QStringLiteral("0"));
    txn(QStringLiteral("21"), QStringLiteral("V1"), "2026/03/02 10:00:00", QStringLiteral("300.1"), QStringLiteral("15"));
    txn(QStringLiteral("22"), QStringLiteral("V1"), "2026/03/03 10:00:00", QStringLiteral("-150"));
    txn(QStringLiteral("32"), QStringLiteral("V1"), "2026/03/03 11:00:00", QStringLiteral("50"));
    txn(QStringLiteral("23"), QStringLiteral("V1"), "2026/03/04 10:00:00", QStringLiteral("0"), QStringLiteral("-5"));
    card(QStringLiteral("V2"), QStringLiteral("12"), QStringLiteral("01"), "2027/12/31", QStringLiteral("400"));
    txn(QStringLiteral("12"), QStringLiteral("V2"), "2026/03/05 10:00:00", QStringLiteral("400"));
    card(QStringLiteral("V3"), QStringLiteral("99"), QStringLiteral("01"), "2027/12/31", QStringLiteral("0"));
    gCnn().execute(QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) VALUES ('V3', 'lost')"));
    txn(QStringLiteral("99"), QStringLiteral("V3"), "2026/03/05 10:00:00", QStringLiteral("0"));
  }
  static QStringList report() {
    QStringList out;
    for (const ReconcileRow& r : QryReconcile()) out << ReconcileCells(r).join(QLatin1Char('|'));
    return out;
  }
};

TEST_P(ReconcileTest, EachKindOfDisagreementShowsOnce) {
  EXPECT_EQ(report(), QStringList{});
  gCnn().execute(QStringLiteral("UPDATE Tolva SET BalAmt = 650 WHERE CardNo = 'V1'"));
  gCnn().execute(QStringLiteral("DELETE FROM TolvaLog WHERE CardNo = 'V2'"));
  card(QStringLiteral("V4"), QStringLiteral("99"), QStringLiteral("01"), "2027/12/31", QStringLiteral("0"));
  txn(QStringLiteral("21"), QStringLiteral("X9"), "2026/03/05 10:00:00", QStringLiteral("20"));
  EXPECT_EQ(report(), (QStringList{QStringLiteral("V1|餘額不符|650|700.1|-50.1|10|10|0"),
                                   QStringLiteral("V2|餘額不符|400|0|400|0|0|0"),
                                   QStringLiteral("X9|無主檔資料|0|20|-20|0|0|0"),
                                   QStringLiteral("V4|黑名單未列入VoidCard|0|0|0|0|0|0")}));
  // A withdrawn-card row for a card that is not blacklisted.
  gCnn().execute(QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) VALUES ('V1', '')"));
  EXPECT_EQ(report().last(), QStringLiteral("V1|VoidCard非黑名單卡|0|0|0|0|0|0"));
}

TEST_P(ReconcileTest, WindowListsPrintsAndSavesTheDisagreements) {
  ReconcileReport w;
  w.cmdQry_Click();
  EXPECT_EQ(w.fgList()->rows(), 1);
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("核對無誤"));
  gCnn().execute(QStringLiteral("UPDATE Tolva SET BalAmt = 650 WHERE CardNo = 'V1'"));
  w.cmdQry_Click();
  ASSERT_EQ(w.fgList()->rows(), 2);
  EXPECT_EQ(w.fgList()->textMatrix(1, 0) + w.fgList()->textMatrix(1, 4), QStringLiteral("V1-50.1"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("不符 1 筆"));
  const QString printed = PrintedText(&w, [&] { w.cmdPrint_Click(); }, path(QStringLiteral("reconcile.pdf")));
  EXPECT_TRUE(printed.contains(QStringLiteral("V1"))) << printed.toStdString();
  const QString csv = path(QStringLiteral("window.csv"));
  dialogs_->fileAnswers = {csv};
  w.cmdSave_Click();
  QFile f(csv);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(CodePage::fromAnsi(f.readAll()).contains(QStringLiteral("V1,餘額不符,650,700.1,-50.1")));
}

TEST_P(ReconcileTest, HeadlessJobExitCodeFollowsTheReport) {
  const QString file = path(QStringLiteral("reconcile.csv"));
  EXPECT_EQ(ReconcileJob(file), 0);
  gCnn().execute(QStringLiteral("UPDATE Tolva SET BalPoint = 9 WHERE CardNo = 'V1'"));
  EXPECT_EQ(ReconcileJob(file), 1);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(CodePage::fromAnsi(f.readAll()).split(QStringLiteral("\r\n")).value(1),
            QStringLiteral("V1,餘額不符,700.1,700.1,0,9,10,-1"));
  QString printed;
  QTextStream out(&printed);
  const CommandJob report = FindCommandJob(QStringLiteral("--report"));
  ASSERT_TRUE(report);
  EXPECT_EQ(report({QStringLiteral("weekly")}, out), 2);
  EXPECT_FALSE(FindCommandJob(QStringLiteral("--weekly")));
}

TOLVA_DB_TEST_SUITE(ReconcileTest);
