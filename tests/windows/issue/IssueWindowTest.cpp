// The issue window on each database dialect with the simulated reader: its field checks, the run
// of cards it drives (the grid, the count, the summary log row, how it stops) and its message
// file. Each card's own rules are tested in tests/operations/CardIssueTest.cpp.
#include "core/Clock.h"
#include "support/Sql.h"
#include "core/ClockSeam.h"
#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Money.h"
#include "core/Text.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "device/CurrentReader.h"
#include "device/SimulatedReader.h"
#include "device/StripeRecord.h"
#include "ui/CardMessagePanel.h"
#include "db/Connection.h"
#include "windows/counter/MainWindow.h"
#include "windows/issue/IssueWindow.h"
#include "ledger/ReportQueries.h"
#include "support/CardSim.h"
#include "support/Screenshot.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <deque>
#include <map>
#include <ostream>

// Readable failure output for the Qt values compared below.
inline void PrintTo(const QDate& d, std::ostream* os) { *os << d.toString(Qt::ISODate).toStdString(); }

namespace {

using I = std::int32_t;

// A stripe record read back by position, value fields deciphered under the test key.
struct Stripe {
  QString cardNo, store, batch, goodThru, balAmt, balPoint;
};

std::optional<Stripe> ReadStripe(const QByteArray& track) {
  if (track.size() != 57) return std::nullopt;
  auto value = [&](int from) {
    return QString::fromLatin1(Encrypt(HexToBytes(QString::fromLatin1(track.mid(from, 16))), "AB12")).trimmed();
  };
  return Stripe{CodePage::fromAnsi(track.mid(0, 7)),  CodePage::fromAnsi(track.mid(7, 3)),
                CodePage::fromAnsi(track.mid(10, 5)), QString::fromLatin1(track.mid(15, 10)),
                value(25),                            value(41)};
}

struct LogRow {
  QString msg;
  QVariant remark;
};

}  // namespace

class IsuCardTest : public CardDbTest {
protected:
  void SetUp() override {
    CardDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    SetNowForTest(QDateTime(QDate(2026, 3, 15), QTime(10, 30)));
    EditSettings().storeId = QStringLiteral("900");
    EditSettings().batchNo = QStringLiteral("B0007");
    EditSettings().defaultCardType = QStringLiteral("V");
    Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', '總店', 1)"));
    Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('002', NULL, 2)"));
    QFile msg(path(QStringLiteral("CardMsg.txt")));
    ASSERT_TRUE(msg.open(QIODevice::WriteOnly));
    msg.write(CodePage::toAnsi(QStringLiteral("歡迎光臨\r\n週年慶\r\n")));
    msg.close();
    EditSettings().cardMessageFile = path(QStringLiteral("CardMsg.txt"));
  }

  // Blank cards the operator will insert, one when each card wait comes up; `faults` gives a
  // fault per card.
  void pileCards(int n, const std::map<int, QString>& faults = {}) {
    for (int i = 0; i < n; ++i) {
      const QString file = TestReader().newBlankCard();
      ASSERT_FALSE(file.isEmpty());
      if (faults.count(i)) {
        SimCard card = SimCard::load(file).value();
        card.fault = faults.at(i);
        ASSERT_TRUE(card.save(file));
      }
      dialogs_->atCardWait.push_back([file] { TestReader().insert(file); });
    }
  }

  // The cards that left the reader, by the card number on their stripe ("" for a blank one).
  std::multimap<QString, SimCard> cardsOut() {
    TestReader().takeOut();
    std::multimap<QString, SimCard> out;
    for (const QString& f : TestReader().deckFiles()) {
      const SimCard card = SimCard::load(f).value_or(SimCard{});
      const auto stripe = ReadStripe(card.tracks[0]);
      out.emplace(stripe ? stripe->cardNo : QString(), card);
    }
    return out;
  }

  QList<LogRow> issueLog() {
    QList<LogRow> rows;
    QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT LogMsg, Remark FROM xxAPLOG WHERE ActionID = '發卡' ORDER BY RNo"));
    while (q.next()) rows.append({q.value(0).toString(), q.value(1)});
    return rows;
  }

  int count(const QString& sql) { return Value(gCnn(), sql).toInt(); }

  void fill(IssueWindow& w, const QString& cardType, const QString& cnt, const QString& bal, const QString& remark) {
    w.txtCardType()->setText(cardType);
    w.txtCardCnt()->setText(cnt);
    w.txtStoreID()->setText(QStringLiteral("001"));
    w.txtBalAmt()->setText(bal);
    w.txtRemark()->setText(remark);
  }

  size_t cardsLeft() const { return dialogs_->atCardWait.size(); }
};

TEST_P(IsuCardTest, RunOfThreeCards) {
  pileCards(3);
  IssueWindow w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("發卡"));
  EXPECT_EQ(w.txtCardType()->text(), QStringLiteral("V"));
  EXPECT_EQ(w.msgPanel()->line(1)->text(), QStringLiteral("週年慶"));
  w.show();
  // The field's type is the number prefix; the master row keeps the default type.
  fill(w, QStringLiteral("w"), QStringLiteral("3"), QStringLiteral("150"), QStringLiteral("AB"));
  EXPECT_TRUE(w.checkCardType());
  EXPECT_EQ(w.txtCardType()->text(), QStringLiteral("W"));
  ASSERT_TRUE(w.checkStore());
  EXPECT_EQ(w.txtStoreName()->text(), QStringLiteral("總店"));
  w.issueCards();
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty()) << dialogs_->texts(QStringLiteral("messageBox")).join(',').toStdString();

  QStringList cardNos;
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT CardNo FROM Tolva ORDER BY CardNo"));
  while (q.next()) cardNos << q.value(0).toString();
  ASSERT_EQ(cardNos, (QStringList{QStringLiteral("W000001"), QStringLiteral("W000002"), QStringLiteral("W000003")}));
  EXPECT_EQ(cardsOut().size(), 3u);

  // Grid newest first; one summary entry; the count ran down to 0.
  DataGrid* g = w.fgLog();
  EXPECT_EQ(g->textMatrix(0, 0) + '|' + g->textMatrix(0, 4), QStringLiteral("卡別|可用餘額"));
  ASSERT_EQ(g->rows(), 4);
  EXPECT_TRUE(g->item(0, 3)->textAlignment() & Qt::AlignHCenter);
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(g->textMatrix(r, 3), cardNos.at(3 - r));
    EXPECT_EQ(QStringList({g->textMatrix(r, 0), g->textMatrix(r, 1), g->textMatrix(r, 2), g->textMatrix(r, 4)}),
              (QStringList{QStringLiteral("W"), QStringLiteral("B0007"), QStringLiteral("001"), QStringLiteral("150")}));
  }
  const auto log = issueLog();
  ASSERT_EQ(log.size(), 1);
  EXPECT_EQ(log[0].msg, QStringLiteral("已發張數:3 卡號:W000001-W000003"));
  EXPECT_TRUE(log[0].remark.isNull());
  EXPECT_EQ(w.txtCardCnt()->text(), QStringLiteral("0"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("已發卡，卡號：W000003"));

  SaveScreenshot(&w, QStringLiteral("fmIsuCard-page0"));
  w.tabPage()->setCurrentIndex(1);
  SaveScreenshot(&w, QStringLiteral("fmIsuCard-page1"));
}

TEST_P(IsuCardTest, ThirdCardFailsAtPrinting) {
  pileCards(3, {{2, QString::fromLatin1(kFaultPrintFails)}});
  IssueWindow w;
  fill(w, QStringLiteral("V"), QStringLiteral("3"), QStringLiteral("100"), QString());
  w.issueCards();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("列印資料失敗!，卡片已回復原狀，卡號:V000003")});
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")), 2);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 2);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo = 'V000003'")), 0);
  const auto log = issueLog();
  ASSERT_EQ(log.size(), 2);
  EXPECT_EQ(log[0].msg, QStringLiteral("列印資料失敗!，卡片已回復原狀，卡號:V000003"));
  EXPECT_EQ(log[0].remark.toString(), QStringLiteral("系統錯誤"));
  EXPECT_EQ(log[1].msg, QStringLiteral("已發張數:2 卡號:V000001-V000002"));
  EXPECT_EQ(w.txtCardCnt()->text(), QStringLiteral("1"));
  EXPECT_EQ(w.fgLog()->rows(), 3);

  // The next run issues the rest and reuses the lost serial.
  pileCards(1);
  dialogs_->clear();
  w.issueCards();
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty());
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo = 'V000003'")), 1);
  EXPECT_EQ(w.txtCardCnt()->text(), QStringLiteral("0"));
  EXPECT_EQ(issueLog().last().msg, QStringLiteral("已發張數:1 卡號:V000003-V000003"));
}

TEST_P(IsuCardTest, FirstCardFailureAndRunsThatIssueNothing) {
  IssueWindow w;
  // The operator cancels the wait for the first card.
  dialogs_->cancelWaitAfterPolls = 0;
  fill(w, QStringLiteral("V"), QStringLiteral("2"), QStringLiteral("50"), QString());
  w.issueCards();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("取消作業")});
  auto log = issueLog();
  ASSERT_EQ(log.size(), 1);
  EXPECT_EQ(log[0].remark.toString(), QStringLiteral("系統錯誤"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")) + count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), 0);
  EXPECT_EQ(w.txtCardCnt()->text(), QStringLiteral("2"));
  EXPECT_EQ(w.fgLog()->rows(), 1);

  // A count of 0 does nothing at all, not even draw an issue-batch serial.
  dialogs_->clear();
  w.txtCardCnt()->setText(QStringLiteral("0"));
  w.issueCards();
  EXPECT_TRUE(dialogs_->shown.empty());
  EXPECT_EQ(issueLog().size(), 1);
  EXPECT_EQ(count(QStringLiteral("SELECT NoNext FROM xxNO WHERE NoCode = 'TL'")), 2);

  // Without the card data key nothing starts.
  EditSettings().batchKey.clear();
  w.txtCardCnt()->setText(QStringLiteral("1"));
  w.issueCards();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("未設定資料加密碼"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  EXPECT_EQ(issueLog().size(), 1);
}

TEST_P(IsuCardTest, EmptyBalanceIssuesZero) {
  pileCards(1);
  IssueWindow w;
  fill(w, QStringLiteral("V"), QStringLiteral("1"), QString(), QString());
  w.issueCards();
  EXPECT_EQ(w.txtBalAmt()->text(), QStringLiteral("0"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE BalAmt = 0")), 1);
}

// A run that cannot start says why and asks for no card.
TEST_P(IsuCardTest, ARunThatCannotStartIsToldAndKeepsItsCount) {
  pileCards(1);
  IssueWindow w;
  Exec(gCnn(), QStringLiteral("DROP TABLE xxNO") + (isPostgres() ? QStringLiteral(" CASCADE") : QString()));
  fill(w, QStringLiteral("V"), QStringLiteral("1"), QStringLiteral("10"), QString());
  w.issueCards();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")),
            QStringList{QStringLiteral("編號程序錯誤-NoCode:TL/NoBy:20270331")});
  EXPECT_EQ(cardsLeft(), 1u);
  EXPECT_EQ(w.txtCardCnt()->text(), QStringLiteral("1"));
}

TEST_P(IsuCardTest, FieldChecksAndStartCheck) {
  IssueWindow w;
  w.show();
  // Required fields, in order, before anything else.
  w.txtCardType()->setText(QStringLiteral(" "));
  EXPECT_FALSE(w.fieldsAllowRun());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("請輸入卡別"));
  w.txtCardType()->setText(QStringLiteral("v"));
  EXPECT_FALSE(w.fieldsAllowRun());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("請輸入發卡張數"));
  w.txtCardCnt()->setText(QStringLiteral("2"));
  EXPECT_FALSE(w.fieldsAllowRun());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("請輸入店代號"));

  auto refused = [&](QLineEdit* f, const QString& text, bool (IssueWindow::*check)(), const QString& expected) {
    f->setText(text);
    EXPECT_FALSE((w.*check)()) << text.toStdString();
    EXPECT_EQ(w.elaMsg()->caption(), expected) << text.toStdString();
    EXPECT_FALSE(w.fieldsAllowRun()) << text.toStdString();  // the button does not get round it
  };
  refused(w.txtStoreID(), QStringLiteral("1234"), &IssueWindow::checkStore, QStringLiteral("不可超過3碼"));
  refused(w.txtStoreID(), QStringLiteral("999"), &IssueWindow::checkStore, QStringLiteral("無此店代號"));
  EXPECT_TRUE(w.txtStoreName()->text().isEmpty());
  w.txtStoreID()->setText(QStringLiteral("002"));  // a store without a name
  EXPECT_TRUE(w.checkStore());
  EXPECT_TRUE(w.txtStoreName()->text().isEmpty());
  w.txtStoreID()->setText(QStringLiteral("001"));
  EXPECT_TRUE(w.checkStore());
  EXPECT_EQ(w.txtStoreName()->text(), QStringLiteral("總店"));
  w.txtStoreID()->clear();
  EXPECT_TRUE(w.txtStoreName()->text().isEmpty());
  w.txtStoreID()->setText(QStringLiteral("001"));

  refused(w.txtCardCnt(), QStringLiteral("abc"), &IssueWindow::checkCardCount, QStringLiteral("必需為數字"));
  refused(w.txtCardCnt(), QStringLiteral("1.5"), &IssueWindow::checkCardCount, QStringLiteral("必需為數字"));
  refused(w.txtCardCnt(), QStringLiteral("-1"), &IssueWindow::checkCardCount, QStringLiteral("張數不可小於0"));
  // A number all the same, too large to hold, is not "not a number".
  refused(w.txtCardCnt(), QString(20, u'9'), &IssueWindow::checkCardCount, QStringLiteral("數字超過可輸入的範圍"));
  // A run of no cards is refused aloud, not ended in silence.
  w.txtCardCnt()->setText(QStringLiteral("0"));
  EXPECT_TRUE(w.checkCardCount());
  EXPECT_FALSE(w.fieldsAllowRun());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("發卡張數必需大於0"));
  w.txtCardCnt()->setText(QStringLiteral(" 2 "));
  EXPECT_TRUE(w.checkCardCount());
  refused(w.txtBalAmt(), QStringLiteral("1O0"), &IssueWindow::checkBalance, QStringLiteral("必需為數字"));
  refused(w.txtBalAmt(), QStringLiteral("-5"), &IssueWindow::checkBalance, QStringLiteral("金額不可小於0"));
  refused(w.txtBalAmt(), QStringLiteral("123456789"), &IssueWindow::checkBalance,
          QStringLiteral("金額超過卡片可記錄的位數"));
  w.txtBalAmt()->setText(QStringLiteral("12345678"));
  EXPECT_TRUE(w.checkBalance());
  w.txtBalAmt()->setText(QStringLiteral("12.5"));
  EXPECT_TRUE(w.checkBalance());

  // The remark: three characters pass, four are refused in the message window.
  w.txtRemark()->setText(QStringLiteral("卡A1"));
  EXPECT_TRUE(w.checkRemark());
  w.txtRemark()->setText(QStringLiteral("ABCD"));
  EXPECT_FALSE(w.checkRemark());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), QStringList{QStringLiteral("卡片備註碼不可超過三碼")});
  EXPECT_FALSE(w.fieldsAllowRun());
  w.txtRemark()->setText(QStringLiteral("ABC"));
  EXPECT_TRUE(w.fieldsAllowRun());
  EXPECT_EQ(w.txtCardType()->text(), QStringLiteral("V"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")) + count(QStringLiteral("SELECT COUNT(*) FROM xxAPLOG")), 0);
}

TEST_P(IsuCardTest, MessageFileAndLifecycle) {
  EditSettings().cardMessageFile = path(QStringLiteral("missing.txt"));
  IssueWindow w;
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("訊息檔不存在"));
  EXPECT_EQ(w.txtFile()->text(), TheSettings().cardMessageFile);
  EXPECT_EQ(w.tabPage()->tabText(0) + '|' + w.tabPage()->tabText(1), QStringLiteral("發卡|作業訊息"));
  // Another file chosen with the file dialog fills the lines.
  dialogs_->fileAnswers.push_back(path(QStringLiteral("CardMsg.txt")));
  w.chooseMessageFile();
  EXPECT_EQ(w.txtFile()->text(), path(QStringLiteral("CardMsg.txt")));
  EXPECT_EQ(w.msgPanel()->line(0)->text(), QStringLiteral("歡迎光臨"));

  // Leaving keeps the fields: the exit button and the title bar both only hide the window.
  w.show();
  w.txtCardCnt()->setText(QStringLiteral("5"));
  w.closeWindow();
  EXPECT_FALSE(w.isVisible());
  w.show();
  w.close();
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(w.elaMsg()->caption().isEmpty());
  EXPECT_EQ(w.txtCardCnt()->text(), QStringLiteral("5"));
  EXPECT_TRUE(w.txtStoreName()->isReadOnly());
}

TEST_P(IsuCardTest, MainWindowButtonOpensOneWindow) {
  MainWindow main;
  main.show();
  QPushButton* button = main.button(QStringLiteral("cmdIsuCard"));
  ASSERT_TRUE(button->isEnabled());
  button->click();
  QWidget* w = main.currentWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->objectName(), QStringLiteral("fmIsuCard"));
  EXPECT_TRUE(w->isVisible());
  qobject_cast<IssueWindow*>(w)->closeWindow();
  button->click();
  EXPECT_EQ(main.currentWindow(), w);  // reused, not created again
  delete w;
}

TEST_P(IsuCardTest, EachCardOfARunNeedsABlankCardOfItsOwn) {
  // A sold card: issuing must not write over it.
  SimCard sold;
  sold.tracks[0] = BuildStripeRecord(QStringLiteral("V000042"), QStringLiteral("001"), QStringLiteral("V0001"),
                                   QStringLiteral("2027/12/31"), QStringLiteral("500"), QStringLiteral("905"));
  sold.face = QStringLiteral("sold card");
  const QString soldFile = TestReader().deckFolder() + QStringLiteral("/sold.card");
  ASSERT_TRUE(TestReader().ensure() && sold.save(soldFile));
  pileCards(1);
  QString slotAtSecondWait = QStringLiteral("unset");
  dialogs_->atCardWait.push_back([&] {
    // The card just issued left the reader: this wait is for a new card.
    slotAtSecondWait = TestReader().slotFile();
    TestReader().insert(soldFile);
  });
  pileCards(2);
  IssueWindow w;
  fill(w, QStringLiteral("V"), QStringLiteral("3"), QStringLiteral("100"), QString());
  w.issueCards();
  EXPECT_TRUE(slotAtSecondWait.isEmpty()) << slotAtSecondWait.toStdString();
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty());
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")), 3);
  EXPECT_EQ(w.txtCardCnt()->text(), QStringLiteral("0"));
  const SimCard after = SimCard::load(soldFile).value_or(SimCard{});
  EXPECT_EQ(after.tracks[0], sold.tracks[0]);
  EXPECT_EQ(after.face, sold.face);
  // Three physical cards, one number each.
  const auto cards = cardsOut();
  for (const char* no : {"V000001", "V000002", "V000003"}) EXPECT_EQ(cards.count(QString::fromLatin1(no)), 1u) << no;
}

TOLVA_DB_TEST_SUITE(IsuCardTest);
