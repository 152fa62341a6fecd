// The roll-forward over a journal the card windows and a store file wrote over two months: each
// month and both together tie, a month's closing is the next one's opening, and a journal row
// altered by hand makes the command-line report fail naming the difference.
#include "support/CardLifeFixture.h"
#include "support/Sql.h"

#include "core/ClockSeam.h"
#include "core/CodePage.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "ledger/RollForward.h"
#include "support/PrintCapture.h"
#include "support/Screenshot.h"
#include "ui/DataGrid.h"
#include "ui/StatusPanel.h"
#include "windows/reports/AccountingReportWindow.h"

#include <QLineEdit>
#include <QTabWidget>

#include <QFile>

class RollForwardTest : public CardLifeFixture {
protected:
  // November: two cards issued, sold and used at the counter. December: the first lost and
  // replaced, the second erased, and a store's day with a top-up and a deduction on the
  // replacement.
  void liveTwoMonths() {
    SetNowForTest(QDateTime(QDate(2026, 11, 10), QTime(10, 0)));
    issueAndSell();
    if (HasFatalFailure()) return;
    counterWork();
    SetNowForTest(QDateTime(today(), QTime(10, 0)));
    loseAndReplace();
    eraseSecond();
    importStoreDay(today(), {QStringLiteral("'002','21','%1',#2026/12/08#,40,0,,").arg(replacement_),
                             QStringLiteral("'002','22','%1',#2026/12/08#,-15,0,,").arg(replacement_)});
  }
  static Money line(const RollForward& r, const QString& label) {
    for (const RollLine& l : r.lines()) {
      if (l.label == label) return l.amt;
    }
    ADD_FAILURE() << "no line " << label.toStdString();
    return {};
  }
  static std::string describe(const RollForward& r) {
    QStringList out;
    for (const RollLine& l : r.lines()) out << RollCells(l).join(u' ');
    return out.join(u'\n').toStdString();
  }
};

TEST_P(RollForwardTest, EachMonthAndBothTieAndOneMonthOpensWhereTheLastClosed) {
  liveTwoMonths();
  ASSERT_FALSE(HasFatalFailure());
  const RollForward nov = Must(ComputeRollForward(gCnn(), QDate(2026, 11, 1), QDate(2026, 11, 30)));
  const RollForward dec = Must(ComputeRollForward(gCnn(), QDate(2026, 12, 1), QDate(2026, 12, 31)));
  const RollForward both = Must(ComputeRollForward(gCnn(), QDate(2026, 11, 1), QDate(2026, 12, 31)));
  for (const RollForward* r : {&nov, &dec, &both}) EXPECT_TRUE(r->ties()) << describe(*r);
  EXPECT_EQ(nov.opening.amt, Money());
  EXPECT_EQ(dec.opening.amt, nov.closing.amt);
  EXPECT_EQ(dec.opening.points, nov.closing.points);
  EXPECT_EQ(dec.opening.count, nov.closing.count);
  EXPECT_EQ(both.closing.amt, dec.closing.amt);
  // November: 2 × 100 issued, 300 added, 500 topped up, 200 deducted, 50 and 100 reversed.
  EXPECT_EQ(line(nov, QStringLiteral("發卡")), Money::fromInt(200)) << describe(nov);
  EXPECT_EQ(line(nov, QStringLiteral("櫃檯加值")), Money::fromInt(800)) << describe(nov);
  EXPECT_EQ(nov.closing.amt, Money::fromInt(200 + 800 - 200 + 50 - 100)) << describe(nov);
  // December: the first card's value carried to its replacement, the second card's 100 gone
  // with its erasure, the store's day on the replacement.
  EXPECT_EQ(line(dec, QStringLiteral("補發轉入")), Money::fromInt(650)) << describe(dec);
  EXPECT_EQ(line(dec, QStringLiteral("補發轉出")), Money::fromInt(-650)) << describe(dec);
  EXPECT_EQ(line(dec, QStringLiteral("黑名單與清除")), Money::fromInt(-100)) << describe(dec);
  EXPECT_EQ(line(dec, QStringLiteral("門市加值")), Money::fromInt(40)) << describe(dec);
  EXPECT_EQ(dec.closing.amt, Money::fromInt(650 + 40 - 15)) << describe(dec);
  // One store's cards only: store 001 issued both cards, and the replacement carries its store.
  const RollForward issuer = Must(ComputeRollForward(gCnn(), QDate(2026, 11, 1), QDate(2026, 12, 31), QStringLiteral("001")));
  EXPECT_TRUE(issuer.ties()) << describe(issuer);
  EXPECT_EQ(issuer.closing.amt, both.closing.amt) << describe(issuer);
  const RollForward other = Must(ComputeRollForward(gCnn(), QDate(2026, 11, 1), QDate(2026, 12, 31), QStringLiteral("002")));
  EXPECT_TRUE(other.ties()) << describe(other);
  EXPECT_EQ(line(other, QStringLiteral("門市加值")), Money()) << describe(other);
}

TEST_P(RollForwardTest, AJournalRowAlteredByHandFailsTheCommandLineReport) {
  liveTwoMonths();
  ASSERT_FALSE(HasFatalFailure());
  const QString csv = path(QStringLiteral("rf.csv"));
  const QStringList args{QStringLiteral("--report"), QStringLiteral("rollforward"), QStringLiteral("2026/11/01"),
                         QStringLiteral("2026/12/31"), csv};
  QStringList lines;
  QString errors;
  ASSERT_EQ(RunProgram(dir_->path(), cnt_, args, lines, &errors), 0) << errors.toStdString();
  EXPECT_TRUE(readBytes(csv).contains(CodePage::toAnsi(QStringLiteral("期初餘額"))));
  Exec(gCnn(), QStringLiteral("UPDATE TolvaLog SET TxnAmt = TxnAmt + 5 WHERE TxnType = '21' AND ImportNo IS NOT NULL"));
  EXPECT_EQ(RunProgram(dir_->path(), cnt_, args, lines, &errors), 1);
  EXPECT_TRUE(errors.contains(QStringLiteral("核對差額 金額 5"))) << errors.toStdString();
}

// The window's pages on the same journal: the roll-forward ties, the replacement is the one card
// holding value, and the redemption chart draws a line per window.
TEST_P(RollForwardTest, TheAccountingWindowShowsEachPageAndPrintsIt) {
  liveTwoMonths();
  ASSERT_FALSE(HasFatalFailure());
  AccountingReportWindow w;
  w.show();
  w.field(QStringLiteral("txtDateB"))->setText(QStringLiteral("2026/11/01"));
  w.field(QStringLiteral("txtDateE"))->setText(QStringLiteral("2026/12/31"));
  ASSERT_TRUE(w.queryPage());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("期初餘額、本期異動與期末餘額相符"));
  const DataGrid* rf = w.grid(QStringLiteral("fgRollForward"));
  EXPECT_EQ(rf->textMatrix(rf->rows() - 4, 0), QStringLiteral("期末餘額"));
  EXPECT_EQ(rf->textMatrix(rf->rows() - 4, 2), QStringLiteral("675"));
  // A statement the database refuses: the operator is told, the grid keeps what it showed.
  SetStatementHookForTest([](Connection&, const QString& sql) {
    if (sql.startsWith(QStringLiteral("Select C0"))) throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
  });
  EXPECT_FALSE(w.queryPage());
  SetStatementHookForTest(nullptr);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).join(u' ').contains(QStringLiteral("refused by the test")));
  EXPECT_EQ(rf->textMatrix(rf->rows() - 4, 2), QStringLiteral("675"));
  w.field(QStringLiteral("txtStoreID"))->setText(QStringLiteral("XYZ"));
  EXPECT_FALSE(w.queryPage());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("無此店代號"));

  w.tabReports()->setCurrentIndex(AccountingReportWindow::DormancyPage);
  ASSERT_TRUE(w.queryPage());
  const DataGrid* dormant = w.grid(QStringLiteral("fgDormant"));
  ASSERT_EQ(dormant->rows(), 2);
  EXPECT_EQ(dormant->textMatrix(1, 0), replacement_);
  EXPECT_EQ(dormant->textMatrix(1, 5), QStringLiteral("675"));

  w.tabReports()->setCurrentIndex(AccountingReportWindow::RedemptionPage);
  ASSERT_TRUE(w.queryPage());
  EXPECT_EQ(w.grid(QStringLiteral("fgRedemption"))->textMatrix(1, 0), QStringLiteral("2026/11"));
  EXPECT_EQ(w.chartLines().size(), 4);
  const QString printed = PrintedText(&w, [&w] { w.printPage(); }, path(QStringLiteral("redemption.pdf")));
  EXPECT_TRUE(printed.contains(QStringLiteral("兌用比率"))) << printed.toStdString();
  SaveScreenshot(&w, QStringLiteral("fmRptAccounting"));
}

TOLVA_DB_TEST_SUITE(RollForwardTest);
