// The card query window on each dialect: what it shows of a card and its history, what it says
// about a card whose stripe and record disagree, and that it changes nothing.
#include "core/ErrorReport.h"
#include "support/Sql.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/TextTable.h"
#include <QPushButton>
#include <QKeyEvent>
#include <QApplication>
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "windows/inquiry/CardQueryWindow.h"
#include "support/CardSim.h"
#include "support/Screenshot.h"

#include <QLineEdit>

namespace {

QVariant day(const char* text) {
  return gCnn().dialect().dateValue(QDateTime(QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy/MM/dd")), QTime(9, 30)));
}

void addCard(const QString& cardNo, const QVariant& bal = QStringLiteral("1000"), const QVariant& points = QStringLiteral("30"),
             const QString& status = QStringLiteral("11"), const QVariant& goodThru = day("2027/12/31")) {
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, IssueDate, GoodThru, BalAmt, BalPoint, "
                                "IssueDept, OCardNo, UserID) VALUES ('V0001', 'V', ?, ?, ?, ?, ?, ?, '001', 'V000000', 'clerk')"),
                 {cardNo, status, day("2026/01/05"), goodThru, bal, points});
}

void addTxn(const QString& cardNo, const QString& store, const QString& type, const char* fileDate, int amount) {
  Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, FileDate) "
                                "VALUES (?, ?, ?, ?, ?, 0, ?)"),
                 {store, type, cardNo, day(fileDate), amount, day(fileDate)});
}

// Grid row r as "store|store name|type|type description|amount".
QString gridRow(const CardQueryWindow& w, int r) {
  const TextTable* g = w.fgCardLog();
  return QStringList{g->textMatrix(r, 1), g->textMatrix(r, 2), g->textMatrix(r, 3), g->textMatrix(r, 4), g->textMatrix(r, 7)}
      .join(QLatin1Char('|'));
}

}  // namespace

class QryCardTest : public CardDbTest {
protected:
  void SetUp() override {
    CardDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', '總店', 1)"));
    addCard(card_);
  }
  void TearDown() override {
    EditSettings().calendar = QStringLiteral("YYYY/MM/DD");
    CardDbTest::TearDown();
  }

  bool typeCardNo(CardQueryWindow& w, const QString& text) {
    w.field(QStringLiteral("txtCardNo"))->setText(text);
    return FieldBehaviour::of(w.field(QStringLiteral("txtCardNo")))->validate();
  }
  QString shown(const CardQueryWindow& w, const char* name) const { return w.field(QString::fromLatin1(name))->text(); }

  const QString card_ = QStringLiteral("V000001");
};

TEST_P(QryCardTest, ShowsTheRecordAndHistoryWithTheirDescriptions) {
  addTxn(card_, QStringLiteral("999"), QStringLiteral("55"), "2026/02/01", -20);  // unknown store and type
  addTxn(card_, QStringLiteral("001"), QStringLiteral("21"), "2026/01/10", 500);
  addCard(QStringLiteral("V000002"), 0, 0, QStringLiteral("77"));  // unknown status, no history
  CardQueryWindow w;
  ASSERT_TRUE(typeCardNo(w, card_));
  EXPECT_EQ(shown(w, "txtStatusDscp"), QStringLiteral("已售出"));
  EXPECT_EQ(shown(w, "txtDeptName"), QStringLiteral("總店"));
  EXPECT_EQ(shown(w, "txtGoodThru"), QStringLiteral("2027/12/31"));
  EXPECT_EQ(shown(w, "txtBalAmt"), QStringLiteral("1000"));
  EXPECT_EQ(shown(w, "txtOCardNo"), QStringLiteral("V000000"));
  EXPECT_EQ(shown(w, "txtFirstDate"), QString());
  ASSERT_EQ(w.fgCardLog()->rows(), 3);
  EXPECT_EQ(gridRow(w, 1), QStringLiteral("001|總店|21|加值|500"));
  EXPECT_EQ(gridRow(w, 2), QStringLiteral("999||55|55|-20"));
  EXPECT_EQ(w.fgCardLog()->textMatrix(2, 6), QStringLiteral("2026/02/01"));
  SaveScreenshot(&w, QStringLiteral("fmQryCard"));
  w.tabPage()->setCurrentIndex(1);
  SaveScreenshot(&w, QStringLiteral("fmQryCard-history"));

  ASSERT_TRUE(typeCardNo(w, QStringLiteral("V000002")));
  EXPECT_EQ(shown(w, "txtStatusDscp"), QStringLiteral("77"));
  EXPECT_EQ(shown(w, "txtBalAmt"), QStringLiteral("0"));
  EXPECT_EQ(w.fgCardLog()->rows(), 1);

  ASSERT_TRUE(typeCardNo(w, QStringLiteral("   ")));
  EXPECT_EQ(shown(w, "txtStatus"), QString());
  EXPECT_EQ(shown(w, "txtCardNo"), QString());
}

TEST_P(QryCardTest, NullAmountsShowZeroAndNullDatesNothing) {
  // The schema never leaves them null; a database filled by other programs may.
  Exec(gCnn(), QStringLiteral("ALTER TABLE Tolva RENAME TO Tolva0"));
  Exec(gCnn(), QStringLiteral("CREATE TABLE Tolva AS SELECT * FROM Tolva0"));
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET BalAmt = NULL, BalPoint = NULL, GoodThru = NULL, IssueDate = NULL"));
  CardQueryWindow w;
  ASSERT_TRUE(typeCardNo(w, card_));
  EXPECT_EQ(shown(w, "txtBalAmt"), QStringLiteral("0"));
  EXPECT_EQ(shown(w, "txtBalPoint"), QStringLiteral("0"));
  EXPECT_EQ(shown(w, "txtGoodThru"), QString());
  EXPECT_EQ(shown(w, "txtIssueDate"), QString());
}

TEST_P(QryCardTest, AnUnknownTypedNumberKeepsTheFocusAndThePreviousCard) {
  addTxn(card_, QStringLiteral("001"), QStringLiteral("21"), "2026/01/10", 500);
  CardQueryWindow w;
  ASSERT_TRUE(typeCardNo(w, card_));
  EXPECT_FALSE(typeCardNo(w, QStringLiteral("V999999")));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("資料庫無此卡號"));
  EXPECT_EQ(w.field(QStringLiteral("txtCardNo"))->selectedText(), QStringLiteral("V999999"));
  EXPECT_EQ(shown(w, "txtBalAmt"), QStringLiteral("1000"));
  EXPECT_EQ(w.fgCardLog()->rows(), 2);
}

TEST_P(QryCardTest, AFailedLookUpIsReportedUnderTheFunctionThatLooksUp) {
  CardQueryWindow w;
  SetStatementHookForTest([](Connection&, const QString& sql) {
    if (sql.contains(QStringLiteral("Tolva"))) throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
  });
  typeCardNo(w, card_);
  SetStatementHookForTest(nullptr);
  const QStringList boxes = dialogs_->texts(QStringLiteral("messageBox"));
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("處理程序: (LookUpAndShowCard)\r\n"))) << boxes[0].toStdString();
}

// The comparison itself is tested in tests/operations/CardReadingTest.cpp.
TEST_P(QryCardTest, AReadCardShowsTheRecordAndADifferenceForAMinute) {
  CardQueryWindow w;
  InsertRecordCard(card_, QStringLiteral("001"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("1000"), QStringLiteral("30"));
  w.readCard();
  EXPECT_EQ(shown(w, "txtCardNo"), card_);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("showMessage")).isEmpty());
  InsertRecordCard(card_, QStringLiteral("001"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("999"), QStringLiteral("30"));
  w.readCard();
  EXPECT_EQ(shown(w, "txtBalAmt"), QStringLiteral("1000"));  // the database's values stay on screen
  ASSERT_EQ(dialogs_->texts(QStringLiteral("showMessage")).size(), 1);
  EXPECT_EQ(dialogs_->shown.back().seconds, 60);
  EXPECT_TRUE(dialogs_->shown.back().text.startsWith(QStringLiteral("卡片資料與資料庫不同")));
}

TEST_P(QryCardTest, AnUnknownReadCardOrAMissingKeyIsSaidAndTheScreenKept) {
  CardQueryWindow w;
  ASSERT_TRUE(typeCardNo(w, card_));
  InsertRecordCard(QStringLiteral("V000009"), QStringLiteral("001"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("5"), QStringLiteral("0"));
  w.readCard();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), QStringList{QStringLiteral("資料庫無此卡號\n卡號：V000009")});
  EXPECT_EQ(shown(w, "txtCardNo"), card_);

  EditSettings().batchKey.clear();
  dialogs_->clear();
  w.readCard();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("未設定資料加密碼"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
}

// The number's only neighbours in the tab order are the buttons that leave without the
// check: Enter or Tab still looks the number up, a click on 結束 does not.
TEST_P(QryCardTest, EnterOrTabAfterTheNumberLooksItUp) {
  // Types the number into a new window, then `leave` moves on; answers the balance shown.
  auto typeAndLeave = [this](const QString& number, const std::function<void(CardQueryWindow&, QLineEdit*)>& leave) {
    CardQueryWindow w;
    w.show();
    w.activateWindow();
    QLineEdit* no = w.field(QStringLiteral("txtCardNo"));
    no->setFocus();
    QApplication::processEvents();
    no->setText(number);
    leave(w, no);
    QApplication::processEvents();
    return shown(w, "txtBalAmt") + w.elaMsg()->caption();
  };
  for (int key : {int(Qt::Key_Return), int(Qt::Key_Tab)}) {
    EXPECT_EQ(typeAndLeave(card_,
                           [key](CardQueryWindow&, QLineEdit* no) {
                             QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                             QApplication::sendEvent(no, &press);
                           }),
              QStringLiteral("1000"))
        << key;
  }
  EXPECT_EQ(typeAndLeave(QStringLiteral("NOSUCH"),
                         [](CardQueryWindow& w, QLineEdit*) {
                           w.findChild<QPushButton*>(QStringLiteral("cmdExit"))->setFocus(Qt::MouseFocusReason);
                         }),
            QString());
}

TOLVA_DB_TEST_SUITE(QryCardTest);
