// The issued-card report and the three transaction detail reports on each dialect: what each
// lists for its dates and store, its count and totals, and the printed document.
#include "support/ReportFixture.h"

#include "core/ClockSeam.h"
#include "core/Clock.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "windows/counter/MainWindow.h"
#include "windows/reports/IssuedCardsReport.h"
#include "windows/reports/TransactionDetailReport.h"
#include "support/PrintCapture.h"
#include "support/Screenshot.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
const QString k01 = QStringLiteral("01");
}

class IssueCardReportTest : public ReportTest {
protected:
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    store(k01, QStringLiteral("一店"));
    store(QStringLiteral("012"), QStringLiteral("二店"));
    store(QStringLiteral("0_"), QStringLiteral("怪店"));
    // A remark too short to cut: the master row names store and good-thru when there is one.
    card(QStringLiteral("V000005"), QStringLiteral("01"), k01, "2027/03/31", QStringLiteral("80"));
    txn(QStringLiteral("11"), QStringLiteral("V000005"), "2026/03/02 09:00:00", QStringLiteral("80"), QStringLiteral("0"), k01,
        QStringLiteral("01000001"));
    txn(QStringLiteral("11"), QStringLiteral("V000004"), "2026/03/03 09:00:00", QStringLiteral("50"), QStringLiteral("0"), k01,
        QStringLiteral("ABC"));
    txn(QStringLiteral("11"), QStringLiteral("V000001"), "2026/03/04 00:00:00", QStringLiteral("500"), QStringLiteral("0"), k01,
        QStringLiteral("01202712310001"));
    txn(QStringLiteral("12"), QStringLiteral("V000002"), "2026/03/05 23:59:59", QStringLiteral("300.5"), QStringLiteral("0"), k01,
        QStringLiteral("012202712310002"));
    txn(QStringLiteral("11"), QStringLiteral("V000003"), "2026/03/06 00:00:00", QStringLiteral("100"), QStringLiteral("0"), k01,
        QStringLiteral("0_202801310003"));
    txn(QStringLiteral("21"), QStringLiteral("V000001"), "2026/03/05 10:00:00", QStringLiteral("200"), QStringLiteral("0"), k01,
        QStringLiteral("01202712310001"));
  }
};

TEST_P(IssueCardReportTest, ListsIssuingRowsByDateAndStorePrefix) {
  IssuedCardsReport w;
  EXPECT_EQ(listed(w, {}, {}, {}), (QStringList{QStringLiteral("V000005"), QStringLiteral("V000004"), QStringLiteral("V000001"),
                                               QStringLiteral("V000002"), QStringLiteral("V000003")}));
  EXPECT_EQ(w.field(QStringLiteral("txtIsuCardCnt"))->text(), QStringLiteral("5"));
  auto row = [&](int r) { return QStringList{w.fgList()->textMatrix(r, 1), w.fgList()->textMatrix(r, 2), w.fgList()->textMatrix(r, 3)}; };
  EXPECT_EQ(row(1), (QStringList{QStringLiteral("一店"), QStringLiteral("2027/03/31"), QStringLiteral("80")}));
  // Without a master row a short remark shows itself as the store, with no good-thru date.
  EXPECT_EQ(row(2), (QStringList{QStringLiteral("ABC"), QString(), QStringLiteral("50")}));
  EXPECT_EQ(row(4), (QStringList{QStringLiteral("二店"), QStringLiteral("2027/12/31"), QStringLiteral("300.5")}));
  SaveScreenshot(&w, QStringLiteral("fmRptIssueCard"));

  // "01" is a prefix of "012"; "_" in a code is no wildcard.
  EXPECT_EQ(listed(w, {}, {}, k01), (QStringList{QStringLiteral("V000005"), QStringLiteral("V000001"), QStringLiteral("V000002")}));
  EXPECT_EQ(listed(w, {}, {}, k01, 1), (QStringList(3, QStringLiteral("一店"))));
  EXPECT_EQ(listed(w, {}, {}, QStringLiteral("0_")), QStringList{QStringLiteral("V000003")});
  // Both ends of the range count, the last day up to its midnight.
  EXPECT_EQ(listed(w, QStringLiteral("2026/03/04"), QStringLiteral("2026/03/05"), {}),
            (QStringList{QStringLiteral("V000001"), QStringLiteral("V000002")}));
  EXPECT_EQ(listed(w, QStringLiteral("2026/03/06"), {}, {}), QStringList{QStringLiteral("V000003")});
  // An unknown store is refused and the list is left as it was.
  EXPECT_EQ(listed(w, {}, {}, QStringLiteral("9")), QStringList{QStringLiteral("V000003")});
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("無此店代號"));
}

TEST_P(IssueCardReportTest, PrintsConditionsRowsCountAndSignatureLine) {
  IssuedCardsReport w;
  w.field(QStringLiteral("txtIssueDateB"))->setText(QStringLiteral("2026/03/04"));
  w.field(QStringLiteral("txtIssueDateE"))->setText(QStringLiteral("2026/03/05"));
  w.field(QStringLiteral("txtStoreID"))->setText(k01);
  const QString text = PrintedText(&w, [&] { w.printList(); }, path(QStringLiteral("issue.pdf")));
  for (const char* expected : {"製卡明細表", "製卡日期：2026/03/04-2026/03/05", "銷售部門：01-一店", "有效日", "V000001",
                               "V000002", "2027/12/31", "300.5", "發卡張數：2", "簽收人："}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
  EXPECT_FALSE(text.contains(QStringLiteral("V000003")));
}

TOLVA_DB_TEST_SUITE(IssueCardReportTest);

class TxnDetailReportTest : public ReportTest {
protected:
  void SetUp() override {
    ReportTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    store(k01, QStringLiteral("一店"));
    store(QStringLiteral("02"), QStringLiteral("二店"));
    const QString v1 = QStringLiteral("V000001"), v2 = QStringLiteral("V000002"), zero = QStringLiteral("0");
    txn(QStringLiteral("11"), v1, "2026/03/04 08:00:00", QStringLiteral("500"));
    // Written before V000002's sale on the same day and time: part of what was sold.
    txn(QStringLiteral("11"), v2, "2026/03/05 09:00:00", QStringLiteral("300"), QStringLiteral("20"), QStringLiteral("02"));
    txn(QStringLiteral("21"), v1, "2026/03/04 00:00:00", QStringLiteral("200"));
    txn(QStringLiteral("21"), v2, "2026/03/05 23:59:59", QStringLiteral("100.25"), zero, QStringLiteral("02"));
    txn(QStringLiteral("21"), v1, "2026/03/06 00:00:00", QStringLiteral("50"));
    txn(QStringLiteral("22"), v1, "2026/03/05 12:00:00", QStringLiteral("-80"));
    txn(QStringLiteral("23"), v1, "2026/03/05 12:30:00", zero, QStringLiteral("-5"));
    txn(QStringLiteral("32"), v1, "2026/03/05 13:00:00", QStringLiteral("80"));
    txn(QStringLiteral("13"), v1, "2026/03/04 09:00:00", zero);
    txn(QStringLiteral("24"), v2, "2026/03/05 09:00:00", zero, zero, QStringLiteral("02"));
    // Written after V000001's sale on its day and time: not part of what was sold.
    txn(QStringLiteral("31"), v1, "2026/03/04 09:00:00", QStringLiteral("-200"));
  }
  QStringList run(TransactionDetailReport::Kind kind, const QString& store, QString& totals) {
    TransactionDetailReport w(kind);
    QStringList out;
    for (const QString& card : listed(w, QStringLiteral("2026/03/04"), QStringLiteral("2026/03/05"), store, 1)) out << card;
    totals = w.totalText();
    EXPECT_EQ(w.field(QStringLiteral("txtTxnCnt"))->text(), QString::number(out.size()));
    return out;
  }
};

TEST_P(TxnDetailReportTest, EachReportListsItsTypesInRangeAndStoreWithTotals) {
  using K = TransactionDetailReport::Kind;
  const QString v1 = QStringLiteral("V000001"), v2 = QStringLiteral("V000002");
  QString totals;
  EXPECT_EQ(run(K::TopUp, {}, totals), (QStringList{v1, v2}));
  EXPECT_EQ(totals, QStringLiteral("金額合計：300.25　點數合計：0"));
  EXPECT_EQ(run(K::TopUp, QStringLiteral("02"), totals), QStringList{v2});
  EXPECT_EQ(totals, QStringLiteral("金額合計：100.25　點數合計：0"));
  EXPECT_EQ(run(K::Deduct, {}, totals), (QStringList{v1, v1}));
  EXPECT_EQ(totals, QStringLiteral("金額合計：-80　點數合計：-5"));
  EXPECT_EQ(run(K::Sale, {}, totals), (QStringList{v1, v2}));
  EXPECT_EQ(run(K::Sale, k01, totals), QStringList{v1});
}

TEST_P(TxnDetailReportTest, SalesReportTotalsTheValueOfTheCardsSold) {
  // A sale row moves nothing: each card counts with the balance and points it held when sold
  // (V000001: issued with 500 and topped up by 200 before its sale; V000002: issued with 300
  // and 20 points), never with what the journal moved afterwards.
  TransactionDetailReport w(TransactionDetailReport::Kind::Sale);
  EXPECT_EQ(listed(w, QStringLiteral("2026/03/04"), QStringLiteral("2026/03/05"), {}, 4),
            (QStringList{QStringLiteral("700"), QStringLiteral("300")}));
  EXPECT_EQ(w.totalText(), QStringLiteral("金額合計：1000　點數合計：20"));
  EXPECT_EQ(w.field(QStringLiteral("txtTxnCnt"))->text(), QStringLiteral("2"));
  EXPECT_EQ(listed(w, {}, {}, QStringLiteral("02"), 5), QStringList{QStringLiteral("20")});
}

TEST_P(TxnDetailReportTest, PrintsTheListWithItsConditionsTotalsAndPrintTime) {
  SetNowForTest(QDateTime(QDate(2026, 3, 9), QTime(10, 30, 15)));
  TransactionDetailReport w(TransactionDetailReport::Kind::Deduct);
  const QString text = PrintedText(&w, [&] { w.printList(); }, path(QStringLiteral("deduct.pdf")));
  for (const char* expected : {"抵扣明細表", "列印時間：2026/03/09 10:30", "交易日期：全部", "交易部門：全部", "V000001",
                               "-80", "筆數：2", "金額合計：-80"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
}

TEST_P(TxnDetailReportTest, MainWindowButtonsOpenTheirReports) {
  MainWindow main;
  const std::pair<const char*, const char*> buttons[] = {
      {"cmdRptIssueCard", "fmRptIssueCard"}, {"Command4", "fmRptAddAmt"}, {"Command5", "fmRptDeduct"},
      {"Command6", "fmRptSale"}, {"cmdRptLiability", "fmRptLiability"}, {"cmdRptReconcile", "fmRptReconcile"}};
  for (const auto& [button, form] : buttons) {
    ASSERT_TRUE(main.button(QString::fromLatin1(button))->isEnabled()) << button;
    main.button(QString::fromLatin1(button))->click();
    ASSERT_NE(main.currentWindow(), nullptr);
    EXPECT_EQ(main.currentWindow()->objectName(), QString::fromLatin1(form));
    delete main.currentWindow();
  }
}

TOLVA_DB_TEST_SUITE(TxnDetailReportTest);
