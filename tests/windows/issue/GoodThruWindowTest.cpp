// The good-thru window on each database with the simulated reader: one date on a run of cards
// until the card wait is cancelled, the date's checks and question, and the message file. One
// card's change is tested in tests/operations/GoodThruChangeTest.cpp.
#include "support/Sql.h"
#include "support/IssueFixture.h"

#include "core/Dates.h"
#include "ui/DatePicker.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "device/StripeRecord.h"
#include "db/Database.h"
#include "windows/counter/MainWindow.h"
#include "windows/issue/GoodThruWindow.h"
#include "support/Screenshot.h"

#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

class UpdGoodThruTest : public IssueTest {
protected:
  void TearDown() override {
    EditSettings().calendar = QStringLiteral("YYYY/MM/DD");
    IssueTest::TearDown();
  }
  // A card in the deck, inserted by the operator at the next card wait of `op`.
  void queue(OperatorAtReader& op, const QString& cardNo, const QString& goodThru) {
    const QString name = QStringLiteral("card-") + cardNo;
    SimCard c;
    c.tracks[0] = record(cardNo, goodThru, QStringLiteral("500"), QStringLiteral("7"));
    const QString file = PresentTestCard(c, name);
    op.cards.push_back([file] { TestReader().insert(file); });
  }
  // The card's good-thru date on its stripe ("unreadable" when it holds no record).
  QString cardDate(const QString& cardNo) const {
    QString no, store, batch, thru, bal, pts, msg;
    const SimCard c = TestCard(QStringLiteral("card-") + cardNo);
    return DecodeStripeRecord(c.tracks[0], no, store, batch, thru, bal, pts, msg) ? thru : QStringLiteral("unreadable");
  }
  bool faceShows(const QString& cardNo, const QString& text) const {
    return TestCard(QStringLiteral("card-") + cardNo).face.contains(QStringLiteral(" 效期: ") + text);
  }
  QDate masterDate(const QString& cardNo) const {
    const auto t = ToDateTime(scalar(QStringLiteral("SELECT GoodThru FROM Tolva WHERE CardNo = ") + QuotText(cardNo)));
    return t ? t->date() : QDate();
  }
  void run(GoodThruWindow& w, const QString& date) {
    w.txtUpdGoodThru()->setText(date);
    w.changeGoodThru();
  }
};

TEST_P(UpdGoodThruTest, ThreeCardsInOneLoopEachGetTheNewDate) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("11"), QStringLiteral("500"), QStringLiteral("7"),
            QStringLiteral("2026/01/31"));
  blacklist(QStringLiteral("V000002"));  // expired and blacklisted: not refused here
  addMaster(QStringLiteral("V000003"), QStringLiteral("99"), QStringLiteral("500"), QStringLiteral("7"),
            QStringLiteral("2030/12/31"));  // a later date than the new one
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000001"), QStringLiteral("2027/12/31"));
  queue(op, QStringLiteral("V000002"), QStringLiteral("2026/01/31"));
  queue(op, QStringLiteral("V000003"), QStringLiteral("2030/12/31"));
  GoodThruWindow w;
  // A path typed into the file field is loaded on leaving it, and its lines go on every face.
  const QString file = TheSettings().appPath + QStringLiteral("/Promo.txt");
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("Line A\r\n");
  out.close();
  w.txtFile()->setText(file);
  QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(w.txtFile(), &leave);
  run(w, QStringLiteral("2028/06/30"));

  for (const char* no : {"V000001", "V000002", "V000003"}) {
    const QString cardNo = QString::fromLatin1(no);
    EXPECT_EQ(cardDate(cardNo), QStringLiteral("2028/06/30")) << no;
    EXPECT_TRUE(faceShows(cardNo, QStringLiteral("2028/06/30"))) << no;
    EXPECT_TRUE(TestCard(QStringLiteral("card-") + cardNo).face.endsWith(QStringLiteral("Line A\n\n\n\n\n\n"))) << no;
    EXPECT_EQ(masterDate(cardNo), QDate(2028, 6, 30)) << no;
  }
  EXPECT_EQ(op.waits, 4);  // the fourth wait is cancelled
  EXPECT_TRUE(TestReader().slotFile().isEmpty());
  EXPECT_EQ(w.txtCardNo()->text(), QStringLiteral("V000003"));
  EXPECT_EQ(w.txtGoodThru()->text(), QStringLiteral("2028/06/30"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("設定完成"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("showMessage")).isEmpty());
  SaveScreenshot(&w, QStringLiteral("fmUpdGoodThru"));
}

TEST_P(UpdGoodThruTest, WithNoFileKeptTheFaceGetsTheInstallationsMessageLines) {
  const QString lines = UseCardMessageFile();
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000001"), QStringLiteral("2027/12/31"));
  GoodThruWindow w;
  run(w, QStringLiteral("2028/06/30"));
  EXPECT_TRUE(TestCard(QStringLiteral("card-V000001")).face.endsWith(lines));
}

TEST_P(UpdGoodThruTest, APastDateIsSetOnlyAfterTheOperatorAgrees) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000001"), QStringLiteral("2027/12/31"));
  GoodThruWindow w;
  run(w, QStringLiteral("2026/11/30"));  // scripted No
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 1);
  EXPECT_EQ(op.waits, 0);
  EXPECT_EQ(masterDate(QStringLiteral("V000001")), QDate(2027, 12, 31));
  dialogs_->yesNoAnswers = {true};
  run(w, QStringLiteral("2026/11/30"));
  EXPECT_EQ(masterDate(QStringLiteral("V000001")), QDate(2026, 11, 30));
  EXPECT_EQ(cardDate(QStringLiteral("V000001")), QStringLiteral("2026/11/30"));
}

TEST_P(UpdGoodThruTest, ARefusedCardIsShownAndTheLoopGoesOn) {
  addMaster(QStringLiteral("V000003"), QStringLiteral("11"));
  OperatorAtReader op(*dialogs_);
  queue(op, QStringLiteral("V000009"), QStringLiteral("2027/12/31"));  // not in the master table
  queue(op, QStringLiteral("V000003"), QStringLiteral("2027/12/31"));
  GoodThruWindow w;
  run(w, QStringLiteral("2029/01/31"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), QStringList{QStringLiteral("Tolva主檔無卡號，卡號:V000009")});
  EXPECT_EQ(cardDate(QStringLiteral("V000009")), QStringLiteral("2027/12/31"));
  EXPECT_EQ(cardDate(QStringLiteral("V000003")), QStringLiteral("2029/01/31"));
  EXPECT_EQ(op.waits, 3);
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("設定完成"));
  EXPECT_TRUE(TestReader().slotFile().isEmpty());
}

TEST_P(UpdGoodThruTest, DateIsCheckedBeforeAnyCardAndCancellingEndsTheLoop) {
  OperatorAtReader op(*dialogs_);
  GoodThruWindow w;
  run(w, QString());
  run(w, QStringLiteral("2028/02/30"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")),
            (QStringList{QStringLiteral("請輸入有效日期"), QStringLiteral("日期格式不對")}));
  w.txtUpdGoodThru()->setText(QStringLiteral("2028/02/30"));
  EXPECT_FALSE(FieldBehaviour::of(w.txtUpdGoodThru())->validate());
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("日期格式不對"));
  EXPECT_EQ(op.waits, 0);
  EditSettings().batchKey.clear();
  run(w, QStringLiteral("2028/02/28"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("未設定資料加密碼"));
  EXPECT_EQ(op.waits, 0);
  EditSettings().batchKey = QStringLiteral("AB12");
  run(w, QStringLiteral("2028/02/28"));  // no card comes: the operator cancels at once
  EXPECT_EQ(op.waits, 1);
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("設定完成"));
  EXPECT_TRUE(apLog(QStringLiteral("變更有效日期")).isEmpty());
}

TEST_P(UpdGoodThruTest, RocCalendarDateTypedOrPickedIsAccepted) {
  EditSettings().calendar = QStringLiteral("CC/MM/DD");
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  OperatorAtReader op(*dialogs_);
  MainWindow main;
  main.openOperationWindow(QStringLiteral("cmdSetGoodThru"));
  auto* w = qobject_cast<GoodThruWindow*>(main.currentWindow());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("設定有效日期"));
  queue(op, QStringLiteral("V000001"), QStringLiteral("2027/12/31"));
  w->txtUpdGoodThru()->setText(QStringLiteral("116/01/31"));
  EXPECT_TRUE(FieldBehaviour::of(w->txtUpdGoodThru())->validate());
  w->changeGoodThru();
  EXPECT_EQ(masterDate(QStringLiteral("V000001")), QDate(2027, 1, 31));
  EXPECT_EQ(w->txtGoodThru()->text(), QStringLiteral("116/01/31"));

  // The picker's day, in the field's own form.
  DatePicker& picker = TheDatePicker();
  QTimer::singleShot(10, &picker, [&picker] {
    picker.showMonth(QDate(2028, 3, 15));
    for (int r = 0; r < picker.fgCal()->rowCount(); ++r) {
      for (int c = 0; c < 7; ++c) {
        const QTableWidgetItem* cell = picker.fgCal()->item(r, c);
        if (cell && cell->text() == QStringLiteral("15")) return picker.chooseDay(r, c);
      }
    }
  });
  FieldBehaviour::of(w->txtUpdGoodThru())->openPicker();
  EXPECT_EQ(w->txtUpdGoodThru()->text(), QStringLiteral("117/03/15"));
  queue(op, QStringLiteral("V000001"), QStringLiteral("2027/01/31"));
  w->changeGoodThru();
  EXPECT_EQ(masterDate(QStringLiteral("V000001")), QDate(2028, 3, 15));
  EXPECT_EQ(cardDate(QStringLiteral("V000001")), QStringLiteral("2028/03/15"));
  EXPECT_TRUE(faceShows(QStringLiteral("V000001"), QStringLiteral("2028/03/15")));
  delete w;
}

TOLVA_DB_TEST_SUITE(UpdGoodThruTest);
