// The add-value window on each database with the simulated reader: the field's check, what the
// window shows of a top-up, a refusal and a cancel, one press at a time, and the message file.
// The top-up's own rules are tested in tests/operations/AddValueTest.cpp.
#include "support/IssueFixture.h"
#include "support/Sql.h"
#include "device/CurrentReaderSeam.h"
#include "core/ClockSeam.h"
#include "core/Clock.h"
#include "core/Money.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "device/SimulatedReader.h"
#include "device/CurrentReader.h"
#include "ui/CardMessagePanel.h"
#include "ui/MessageFileRow.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "windows/counter/MenuWindows.h"
#include "windows/issue/AddValueWindow.h"
#include "support/CardSim.h"
#include "support/Screenshot.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <functional>
#include <memory>
#include <utility>

namespace {

using I = std::int32_t;

// The simulator, recording the calls that reach it.
class RecordingDriver final : public ReaderDriver {
public:
  SimulatedReader inner{[] { return TheSettings().appPath + QStringLiteral("/CardSim"); }};
  int calls = 0;
  QStringList ops;  // every call but the polls of pending operations

  int note(const char* op) {
    ++calls;
    const QString name = QString::fromLatin1(op);
    if (name != QLatin1String("CRWResultFunction") && name != QLatin1String("CRWCloseFunction")) ops.append(name);
    return 0;
  }
  // True when the card was ejected after the last thing done to it; starts the next record.
  bool endedWithEject() {
    const bool ejected = !ops.isEmpty() && ops.last() == QLatin1String("CRWCardOut");
    ops.clear();
    return ejected;
  }

  I CRWCountOpen() override { return note("CRWCountOpen"), inner.CRWCountOpen(); }
  I CRWGetDeviceHandle(I i) override { return note("CRWGetDeviceHandle"), inner.CRWGetDeviceHandle(i); }
  I CRWGetDeviceName(I h, char* b, I* l) override { return note("CRWGetDeviceName"), inner.CRWGetDeviceName(h, b, l); }
  I CRWOpenDevice(const char* p) override { return note("CRWOpenDevice"), inner.CRWOpenDevice(p); }
  I CRWCloseDevice(I h) override { return note("CRWCloseDevice"), inner.CRWCloseDevice(h); }
  I CRWGetCommDCBState(I h, Dcb* d) override { return note("CRWGetCommDCBState"), inner.CRWGetCommDCBState(h, d); }
  I CRWSetCommDCBState(I h, const Dcb* d) override { return note("CRWSetCommDCBState"), inner.CRWSetCommDCBState(h, d); }
  I CRWInitial(I h, I* o, I* f, I mode) override { return note("CRWInitial"), inner.CRWInitial(h, o, f, mode); }
  I CRWWaitForCard(I h, I* s, I* f) override { return note("CRWWaitForCard"), inner.CRWWaitForCard(h, s, f); }
  I CRWCardCancel(I h, I* o, I* f) override { return note("CRWCardCancel"), inner.CRWCardCancel(h, o, f); }
  I CRWCardOut(I h, I* o, I* f) override { return note("CRWCardOut"), inner.CRWCardOut(h, o, f); }
  I CRWSetMode(I h, I* o, I* f, I* a, I* b, I* c, I* d, I* e, I* g, I* k) override {
    return note("CRWSetMode"), inner.CRWSetMode(h, o, f, a, b, c, d, e, g, k);
  }
  I CRWGetMSData(I h, I* o, I* f, I* m, I* l, char* t) override { return note("CRWGetMSData"), inner.CRWGetMSData(h, o, f, m, l, t); }
  I CRWSetMSData(I h, I* id, I* f, I mode, I length, const char* data) override {
    return note("CRWSetMSData"), inner.CRWSetMSData(h, id, f, mode, length, data);
  }
  // Runs once, when the next stripe write is started: what the window does meanwhile.
  std::function<void()> duringWrite;
  I CRWWriteMSData(I h, I id, I* f, I* o) override {
    if (duringWrite) std::exchange(duringWrite, nullptr)();
    return note("CRWWriteMSData"), inner.CRWWriteMSData(h, id, f, o);
  }
  I CRWSetPrintMode(I h, I* o, I* f, I* v1, I* v2, I* v3, I* v4, I* v5, I* v6, I* v7, I* v8, I* v9, I* v10,
                    I* v11) override {
    return note("CRWSetPrintMode"), inner.CRWSetPrintMode(h, o, f, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11);
  }
  I CRWErasePrint(I h, I* o, I* f) override { return note("CRWErasePrint"), inner.CRWErasePrint(h, o, f); }
  I CRWPrintData(I h, I* o, I* f, I* x, I* y, I* z, const char* text) override {
    return note("CRWPrintData"), inner.CRWPrintData(h, o, f, x, y, z, text);
  }
  I CRWPrint(I h, I* o, I* f, I* o2) override { return note("CRWPrint"), inner.CRWPrint(h, o, f, o2); }
  I CRWResultFunction(I h, I f, I* r) override { return note("CRWResultFunction"), inner.CRWResultFunction(h, f, r); }
  I CRWCloseFunction(I h, I f) override { return note("CRWCloseFunction"), inner.CRWCloseFunction(h, f); }
};

const QString kCard = QStringLiteral("V000001");

}  // namespace

class AddAmtTest : public CardDbTest {
protected:
  void SetUp() override {
    CardDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    SetReaderDriverForTest(&driver_);
    ReinsertTestCardAtEveryWait();  // the operator inserts the card again whenever asked
    SetNowForTest(QDateTime(QDate(2026, 3, 15), QTime(10, 0)));
    EditSettings().storeId = QStringLiteral("001");
    window_ = std::make_unique<AddValueWindow>();
  }
  void TearDown() override {
    window_.reset();
    SetNowForTest(QDateTime());
    CardDbTest::TearDown();
  }

  // A sold card: its master row and the same values on the card in the slot.
  void issue(const QString& goodThru, const QString& bal, const QString& cardNo = kCard) {
    CardRow r;
    r.BatchNo = QStringLiteral("V0001");
    r.CardType = QStringLiteral("V");
    r.CardNo = cardNo;
    r.Status = QStringLiteral("11");
    r.IssueDate = QDate(2025, 1, 2);
    r.GoodThru = goodThru;
    r.BalAmt = bal;
    r.BalPoint = QStringLiteral("30");
    r.IssueDept = QStringLiteral("001");
    ASSERT_TRUE(InsertCard(r, gCnn()));
    InsertRecordCard(cardNo, QStringLiteral("001"), QStringLiteral("V0001"), goodThru, bal, QStringLiteral("30"));
  }
  void press(const QString& amount) {
    window_->txtAddAmt()->setText(amount);
    window_->addValue();
  }

  Money dbBal(const QString& cardNo = kCard) {
    return Money::fromVariant(Value(gCnn(), QStringLiteral("SELECT BalAmt FROM Tolva WHERE CardNo = '") + cardNo + "'"));
  }
  int count(const QString& sql) { return Value(gCnn(), sql).toInt(); }
  int journalRows() { return count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")); }
  // The application log rows, oldest first: message and remark.
  QList<QPair<QString, QString>> apLog() {
    QList<QPair<QString, QString>> rows;
    QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT LogMsg, Remark, ActionID, ProgID FROM xxAPLOG ORDER BY RNo"));
    while (q.next()) {
      EXPECT_EQ(q.value(2).toString(), QStringLiteral("加值"));
      EXPECT_EQ(q.value(3).toString(), TheSettings().appName);
      rows.append({q.value(0).toString(), q.value(1).toString()});
    }
    return rows;
  }
  struct Stripe {
    QString cardNo, store, batch, goodThru, bal, points;
  };
  Stripe readSlot() {
    Stripe s;
    QString msg;
    StripeValues v;
    EXPECT_TRUE(ReadTestCardStripe(v, msg)) << msg.toStdString();
    s = Stripe{v.cardNo, v.storeNo, v.batchNo, v.goodThru, v.balAmt, v.balPoint};
    return s;
  }

  RecordingDriver driver_;
  std::unique_ptr<AddValueWindow> window_;
};

TEST_P(AddAmtTest, AmountCheckedOnLeavingTheFieldAndOnTheButton) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  AddValueWindow& w = *window_;
  // The amount rules themselves are the operation's (tests/operations/AddValueTest.cpp).
  const QList<QPair<QString, QString>> refused = {
      {QStringLiteral("0"), QStringLiteral("加值金額必需大於0")},
      {QStringLiteral("12abc"), QStringLiteral("必需為數字")},
  };
  for (const auto& [text, message] : refused) {
    w.txtAddAmt()->setText(text);
    EXPECT_FALSE(w.checkAmount()) << text.toStdString();
    EXPECT_EQ(w.elaMsg()->caption(), message) << text.toStdString();
    // The button does not get round the check, and the reader is not asked for a card.
    w.elaMsg()->setCaption(QString());
    w.addValue();
    EXPECT_EQ(w.elaMsg()->caption(), message);
  }
  w.txtAddAmt()->setText(QStringLiteral("   "));
  EXPECT_TRUE(w.checkAmount());  // an empty field may be left
  w.addValue();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), QStringList{QStringLiteral("請輸入加值金額")});
  EditSettings().batchKey.clear();
  press(QStringLiteral("100"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("未設定資料加密碼"));
  EXPECT_EQ(driver_.calls, 0);
  EXPECT_EQ(dbBal(), Money::fromInt(1000));
}

TEST_P(AddAmtTest, ToppedUpCardIsShown) {
  issue(QStringLiteral("2029/06/30"), QStringLiteral("1000"));
  window_->msgPanel()->line(0)->setText(QStringLiteral("春季促銷"));
  press(QStringLiteral("100"));
  EXPECT_TRUE(driver_.endedWithEject());
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("showMessage")).isEmpty()) << dialogs_->texts(QStringLiteral("showMessage")).join(' ').toStdString();
  EXPECT_EQ(dbBal(), Money::fromInt(1100));
  EXPECT_TRUE(SlotCard().face.endsWith(QStringLiteral("春季促銷\n\n\n\n\n\n")));
  EXPECT_EQ(window_->txtCardNo()->text(), kCard);
  EXPECT_EQ(window_->txtBalAmtB()->text(), QStringLiteral("1000"));
  EXPECT_EQ(window_->txtBalAmtE()->text(), QStringLiteral("1100"));
  EXPECT_EQ(window_->txtGoodThru()->text(), QStringLiteral("2027/03/31"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("加值完成"));
  SaveScreenshot(window_.get(), QStringLiteral("fmAddAmt"));
}

TEST_P(AddAmtTest, SecondPressWhileTheCardIsWrittenIsIgnored) {
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  // The operator presses again while the reader is busy with the first top-up.
  driver_.duringWrite = [this] { press(QStringLiteral("100")); };
  press(QStringLiteral("100"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty())
      << dialogs_->texts(QStringLiteral("messageBox")).join(' ').toStdString();
  EXPECT_EQ(dbBal(), Money::fromInt(1100));
  EXPECT_EQ(journalRows(), 1);
  EXPECT_EQ(readSlot().bal, QStringLiteral("1100"));
  EXPECT_EQ(apLog().size(), 1);
  EXPECT_TRUE(window_->findChild<QPushButton*>(QStringLiteral("cmdOK"))->isEnabled());
}

TEST_P(AddAmtTest, ARefusedCardIsShownWithItsNumberAndACancelOnlyOnTheStatusBar) {
  dialogs_->cancelWaitAfterPolls = 2;
  press(QStringLiteral("10"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("取消作業"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("showMessage")).isEmpty());
  dialogs_->cancelWaitAfterPolls = -1;
  issue(QStringLiteral("2027/12/31"), QStringLiteral("1000"));
  BlacklistRow listed;
  listed.CardNo = kCard;
  ASSERT_TRUE(InsertBlacklistRow(listed, gCnn()));
  press(QStringLiteral("100"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), QStringList{QStringLiteral("此張卡片已列入黑名單中，卡號:V000001")});
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("此張卡片已列入黑名單中"));
  EXPECT_EQ(dbBal(), Money::fromInt(1000));
}

TEST_P(AddAmtTest, MessageFileIsRememberedForTheWindowAndPrintedOnTheFace) {
  const QString file = path(QStringLiteral("Promo.txt"));
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("Line A\r\nLine B\r\n");
  out.close();

  // Nothing stored yet: the installation's card message file, which does not exist here.
  EXPECT_EQ(window_->txtFile()->text(), TheSettings().cardMessageFile);
  EXPECT_TRUE(window_->elaMsg()->caption().isEmpty());
  EXPECT_TRUE(window_->msgPanel()->faceText().trimmed().isEmpty());
  window_->txtFile()->setText(file);
  window_->fileRow()->loadTypedMessageFile();
  EXPECT_EQ(window_->msgPanel()->line(1)->text(), QStringLiteral("Line B"));
  window_->closeWindow();
  EXPECT_EQ(GetSetting(QStringLiteral("fmAddAmt"), QStringLiteral("MsgFile")), file);

  // The next run of the window loads the stored file.
  window_ = std::make_unique<AddValueWindow>();
  EXPECT_EQ(window_->txtFile()->text(), file);
  EXPECT_EQ(window_->msgPanel()->line(0)->text(), QStringLiteral("Line A"));
  issue(QStringLiteral("2027/12/31"), QStringLiteral("0"));
  press(QStringLiteral("10"));
  EXPECT_TRUE(SlotCard().face.endsWith(QStringLiteral("Line A\nLine B\n\n\n\n\n")));

  // An empty path clears the lines; a missing file says so and leaves them.
  window_->txtFile()->setText(QString());
  window_->fileRow()->loadTypedMessageFile();
  EXPECT_TRUE(window_->msgPanel()->faceText().trimmed().isEmpty());
  window_->msgPanel()->line(2)->setText(QStringLiteral("kept"));
  window_->txtFile()->setText(path(QStringLiteral("none.txt")));
  window_->fileRow()->loadTypedMessageFile();
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("訊息檔不存在"));
  EXPECT_EQ(window_->msgPanel()->line(2)->text(), QStringLiteral("kept"));

  // The file dialog's choice is loaded; the title bar's close stores the path like the exit.
  dialogs_->fileAnswers = {file};
  window_->fileRow()->chooseMessageFile();
  EXPECT_EQ(window_->msgPanel()->line(0)->text(), QStringLiteral("Line A"));
  window_->show();
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(GetSetting(QStringLiteral("fmAddAmt"), QStringLiteral("MsgFile")), file);
}

TEST_P(AddAmtTest, WithNoFileKeptTheFacesGetTheInstallationsMessageLines) {
  const QString lines = UseCardMessageFile();
  window_ = std::make_unique<AddValueWindow>();
  issue(QStringLiteral("2027/12/31"), QStringLiteral("0"));
  press(QStringLiteral("10"));
  EXPECT_TRUE(SlotCard().face.endsWith(lines)) << SlotCard().face.toStdString();
}

TEST_P(AddAmtTest, MainWindowButtonOpensTheWindow) {
  ASSERT_TRUE(HasOperationWindow(QStringLiteral("cmdAddAmt")));
  std::unique_ptr<QWidget> w(CreateOperationWindow(QStringLiteral("cmdAddAmt")));
  EXPECT_EQ(w->objectName(), QStringLiteral("fmAddAmt"));
  EXPECT_EQ(w->windowTitle(), QStringLiteral("加值作業"));
  for (const char* name : {"txtCardNo", "txtGoodThru", "txtBalAmtB", "txtBalAmtE", "txtAddAmt", "txtFile", "txtMsg0",
                           "txtMsg5", "cmdOK", "cmdExit", "elaMsg", "fraMsg"}) {
    EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
  // The card values are shown, not typed.
  EXPECT_TRUE(w->findChild<QLineEdit*>(QStringLiteral("txtBalAmtE"))->isReadOnly());
  EXPECT_FALSE(w->findChild<QLineEdit*>(QStringLiteral("txtAddAmt"))->isReadOnly());
}

TOLVA_DB_TEST_SUITE(AddAmtTest);
