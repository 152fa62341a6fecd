#include "core/Settings.h"
#include "support/Sql.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "ledger/Stores.h"
#include "windows/counter/MainWindow.h"
#include "windows/settings/ParametersWindow.h"
#include "windows/settings/StoreWindow.h"
#include "ui/PrintPreviewWindow.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>

namespace {
struct LogRow {
  QString action, msg, remark;
};

QList<LogRow> apLog() {
  QList<LogRow> out;
  QSqlQuery q = Rows(gCnn(), QStringLiteral("Select ActionID, LogMsg, Remark From xxAPLOG Order by RNo"));
  while (q.next()) out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
  return out;
}

// "code name listNo" of every store, in display order.
QStringList stores() {
  QStringList out;
  QSqlQuery q = Rows(gCnn(), QStringLiteral("Select StoreID, StoreName, ListNo From Store Order by ListNo, StoreID"));
  while (q.next()) out << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString();
  return out;
}

QStringList gridRows(const StoreWindow& w) {
  QStringList out;
  for (int r = 1; r < w.fgStore()->rows(); ++r) {
    out << w.fgStore()->textMatrix(r, 0) + QLatin1Char(' ') + w.fgStore()->textMatrix(r, 1) + QLatin1Char(' ') +
               w.fgStore()->textMatrix(r, 2);
  }
  return out;
}

// A click as the mouse gives it: the press moves the focus first, then events run, then the release.
void mouseClick(QPushButton* b) {
  b->setFocus(Qt::MouseFocusReason);
  const QPointF at(b->rect().center());
  QMouseEvent press(QEvent::MouseButtonPress, at, b->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(b, &press);
  QApplication::processEvents();
  QMouseEvent release(QEvent::MouseButtonRelease, at, b->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(b, &release);
  QApplication::processEvents();
}

QStringList pdfPages(const QString& file) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
}
}  // namespace

class StoreWindowTest : public DbTest {
protected:
  void add(StoreWindow& w, const QString& code, const QString& name, const QString& listNo) {
    w.addStore();
    w.txtStoreID()->setText(code);
    w.txtStoreName()->setText(name);
    w.txtListNo()->setText(listNo);
    w.saveStore();
  }
  void seed(const QString& code, const QString& name, int listNo) { Must(InsertStore(gCnn(), {code, name, listNo})); }
};

TEST_P(StoreWindowTest, AddChangeAndDeleteEachWriteOneLogEntry) {
  StoreWindow w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("部門資料設定"));
  EXPECT_TRUE(w.currentCode().isEmpty());
  EXPECT_FALSE(w.button(QStringLiteral("cmdDel"))->isEnabled());

  add(w, QStringLiteral("001"), QStringLiteral("台北店"), QStringLiteral("2"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔完成"));
  EXPECT_EQ(w.mode(), StoreWindow::Mode::Browse);
  add(w, QStringLiteral("002"), QStringLiteral("O'Hare 店"), QStringLiteral("1"));
  // An empty order puts the store after the last one. A code typed in small letters is the
  // same store as in capitals.
  w.addStore();
  w.txtStoreID()->setFocus();
  for (const QChar c : QStringLiteral(" a3 ")) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w.txtStoreID(), &key);
  }
  EXPECT_EQ(w.txtStoreID()->text(), QStringLiteral(" A3 "));
  w.txtStoreName()->setText(QStringLiteral("高雄店"));
  w.saveStore();
  EXPECT_EQ(stores(), (QStringList{QStringLiteral("002 O'Hare 店 1"), QStringLiteral("001 台北店 2"),
                                   QStringLiteral("A3 高雄店 3")}));
  EXPECT_EQ(gridRows(w), stores());
  EXPECT_EQ(w.currentCode(), QStringLiteral("A3"));  // the saved store stays shown

  // A change keeps the code and moves the store in the list.
  w.showStoreRow(2);
  ASSERT_EQ(w.currentCode(), QStringLiteral("001"));
  w.editStore();
  EXPECT_TRUE(w.txtStoreID()->isReadOnly());
  EXPECT_FALSE(w.txtStoreName()->isReadOnly());
  w.txtStoreName()->setText(QStringLiteral("台北總店"));
  w.txtListNo()->setText(QStringLiteral("9"));
  w.saveStore();
  EXPECT_EQ(stores().last(), QStringLiteral("001 台北總店 9"));
  EXPECT_EQ(gridRows(w).last(), QStringLiteral("001 台北總店 9"));

  // Delete asks first; "No" keeps the store.
  w.showStoreRow(1);
  ASSERT_EQ(w.currentCode(), QStringLiteral("002"));
  w.deleteStore();
  EXPECT_EQ(stores().size(), 3);
  dialogs_->yesNoAnswers.push_back(true);
  w.deleteStore();
  EXPECT_EQ(stores(), (QStringList{QStringLiteral("A3 高雄店 3"), QStringLiteral("001 台北總店 9")}));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("刪除完成"));

  const QList<LogRow> log = apLog();
  ASSERT_EQ(log.size(), 5);
  for (const LogRow& r : log) {
    EXPECT_EQ(r.action, QStringLiteral("部門設定"));
    EXPECT_TRUE(r.remark.isEmpty());
  }
  EXPECT_EQ(log[0].msg, QStringLiteral("新增 001 台北店 順序:2"));
  EXPECT_EQ(log[3].msg, QStringLiteral("修改 001 台北總店 順序:9"));
  EXPECT_TRUE(log[4].msg.startsWith(QStringLiteral("刪除 002")));
  SaveScreenshot(&w, QStringLiteral("fmWJN0107"));
}

TEST_P(StoreWindowTest, BadEntriesAreRefusedAndKeptForCorrection) {
  seed(QStringLiteral("001"), QStringLiteral("台北店"), 1);
  StoreWindow w;
  const QList<QPair<QStringList, QString>> cases = {
      {{QStringLiteral("001"), QStringLiteral("重複店"), QStringLiteral("5")}, QStringLiteral("店代號重複")},
      {{QStringLiteral("0001"), QStringLiteral("四碼店"), QStringLiteral("5")}, QStringLiteral("店代號最多三個字")},
      // Three characters but six bytes: would not fit the card's store field.
      {{QStringLiteral("台北店"), QStringLiteral("中文碼"), QStringLiteral("5")}, QStringLiteral("店代號請用半形英數字")},
      {{QString(), QStringLiteral("無碼店"), QStringLiteral("5")}, QStringLiteral("請輸入店代號")},
      {{QStringLiteral("002"), QStringLiteral("   "), QStringLiteral("5")}, QStringLiteral("請輸入店名")},
      {{QStringLiteral("002"), QStringLiteral("小數店"), QStringLiteral("1.5")}, QStringLiteral("順序請輸入整數")},
      {{QStringLiteral("002"), QStringLiteral("大數店"), QStringLiteral("99999999999")}, QStringLiteral("順序請輸入整數")},
  };
  for (const auto& [fields, message] : cases) {
    add(w, fields[0], fields[1], fields[2]);
    EXPECT_EQ(w.elaMsg()->caption(), message) << fields.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(w.mode(), StoreWindow::Mode::Add);
    EXPECT_EQ(w.txtStoreName()->text(), fields[1]);  // nothing the operator typed is lost
    w.cancelEdit();
  }
  EXPECT_EQ(stores(), QStringList{QStringLiteral("001 台北店 1")});
  EXPECT_TRUE(apLog().isEmpty());

  // The same checks on leaving the fields; a stored code is fine when changing its store.
  w.addStore();
  w.txtStoreID()->setText(QStringLiteral("001"));
  EXPECT_FALSE(w.checkStoreCode());
  w.txtStoreID()->setText(QStringLiteral("002"));
  EXPECT_TRUE(w.checkStoreCode());
  w.txtListNo()->setText(QStringLiteral("x"));
  EXPECT_FALSE(w.checkListNumber());
  w.txtListNo()->setText(QStringLiteral("-3"));
  EXPECT_TRUE(w.checkListNumber());
  w.cancelEdit();
  EXPECT_EQ(w.txtStoreID()->text(), QStringLiteral("001"));
  w.editStore();
  EXPECT_TRUE(w.checkStoreCode());
}

TEST_P(StoreWindowTest, StoresInUseOrOfThisInstallationStay) {
  for (const char* c : {"001", "003"}) seed(QString::fromLatin1(c), QStringLiteral("店") + QString::fromLatin1(c), 1);
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status, IssueDept) VALUES ('V000001', '01', '001')"));
  EditSettings().storeId = QStringLiteral("003");
  StoreWindow w;
  const QList<QPair<int, QString>> refused = {{1, QStringLiteral("此店已有卡片或交易資料，不可刪除")},
                                              {2, QStringLiteral("此店為本機店代號，不可刪除")}};
  for (const auto& [row, message] : refused) {
    w.showStoreRow(row);
    dialogs_->yesNoAnswers.push_back(true);
    w.deleteStore();
    EXPECT_EQ(w.elaMsg()->caption(), message) << row;
    dialogs_->yesNoAnswers.clear();
  }
  EXPECT_EQ(stores().size(), 2);
  EXPECT_TRUE(apLog().isEmpty());
}

TEST_P(StoreWindowTest, LeavingAnUnsavedAddAsksAndAFailedSaveKeepsTheFields) {
  seed(QStringLiteral("001"), QStringLiteral("台北店"), 1);
  StoreWindow w;
  w.show();
  w.addStore();
  w.txtStoreID()->setText(QStringLiteral("009"));
  w.txtStoreName()->setText(QStringLiteral("未存店"));
  w.closeWindow();  // scripted "No"
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.mode(), StoreWindow::Mode::Add);
  EXPECT_EQ(w.txtStoreName()->text(), QStringLiteral("未存店"));

  // The database refuses the insert: the operator hears it, the log says so, the fields stay.
  Exec(gCnn(), QStringLiteral("Drop Table Store"));
  w.saveStore();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔失敗"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_EQ(w.mode(), StoreWindow::Mode::Add);
  EXPECT_EQ(w.txtStoreName()->text(), QStringLiteral("未存店"));
  const QList<LogRow> log = apLog();
  ASSERT_EQ(log.size(), 1);
  EXPECT_EQ(log[0].remark, QStringLiteral("系統錯誤"));

  dialogs_->yesNoAnswers.push_back(true);
  w.closeWindow();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.mode(), StoreWindow::Mode::Browse);
}

TEST_P(StoreWindowTest, PrintedListRunsOverTwoPagesWithEveryStore) {
  EditSettings().customerName = QStringLiteral("好市集");
  for (int i = 1; i <= 75; ++i) seed(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("分店%1").arg(i), i);
  seed(QStringLiteral("X1"), QStringLiteral("甲|乙;丙"), 76);  // separators in a name must not split it
  StoreWindow w;
  const QString pdf = path(QStringLiteral("stores.pdf"));
  dialogs_->fileAnswers.push_back(pdf);
  int pages = 0;
  // The preview is modal: act on it once it is up.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &w, [&] {
    auto* preview = w.findChild<PrintPreviewWindow*>();
    if (!preview || !preview->isVisible()) return;
    poll.stop();
    pages = preview->pageCount();
    preview->saveAsPdf();
    SaveScreenshot(preview, QStringLiteral("fmWJN0107_print"));
    preview->accept();
  });
  poll.start(50);
  w.printList();
  EXPECT_EQ(pages, 2);

  const QStringList text = pdfPages(pdf);
  ASSERT_EQ(text.size(), 2);
  for (const QString& page : text) {
    EXPECT_TRUE(page.contains(QStringLiteral("好市集")));
    EXPECT_TRUE(page.contains(QStringLiteral("部門資料表")));
    EXPECT_TRUE(page.contains(QStringLiteral("店代號")) && page.contains(QStringLiteral("順序")));
  }
  const QString all = text.join(QString());
  for (int i = 1; i <= 75; ++i) EXPECT_TRUE(all.contains(QStringLiteral("分店%1 ").arg(i))) << i;
  EXPECT_TRUE(all.contains(QStringLiteral("甲｜乙；丙")));
  EXPECT_TRUE(text[1].contains(QStringLiteral("部門數：76")));
}

TOLVA_DB_TEST_SUITE(StoreWindowTest);

TEST_P(StoreWindowTest, ClosingTheProgramKeepsUnsavedEditsTheOperatorKeeps) {
  MainWindow main;
  main.show();
  main.button(QStringLiteral("cmdSetDept"))->click();
  auto* stores = qobject_cast<StoreWindow*>(main.currentWindow());
  ASSERT_NE(stores, nullptr);
  stores->addStore();
  stores->txtStoreID()->setText(QStringLiteral("009"));
  stores->txtStoreName()->setText(QStringLiteral("未存店"));

  QCloseEvent kept;  // the operator answers "No" to discarding the new store
  QApplication::sendEvent(&main, &kept);
  EXPECT_FALSE(kept.isAccepted());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 1);
  EXPECT_TRUE(stores->isVisible());
  EXPECT_EQ(stores->mode(), StoreWindow::Mode::Add);
  EXPECT_EQ(stores->txtStoreName()->text(), QStringLiteral("未存店"));

  dialogs_->yesNoAnswers.push_back(true);
  QCloseEvent discarded;
  QApplication::sendEvent(&main, &discarded);
  EXPECT_TRUE(discarded.isAccepted());
  EXPECT_FALSE(stores->isVisible());
  delete stores;
}

TEST_P(StoreWindowTest, CancelAndExitWorkAfterARefusedCode) {
  seed(QStringLiteral("001"), QStringLiteral("台北店"), 1);
  StoreWindow w;
  w.show();
  w.activateWindow();
  for (const char* name : {"cmdCancel", "cmdExit"}) {
    w.addStore();
    w.txtStoreID()->setFocus();
    QApplication::processEvents();
    w.txtStoreID()->setText(QStringLiteral("001"));  // "店代號重複" when the field is left
    if (qstrcmp(name, "cmdExit") == 0) dialogs_->yesNoAnswers.push_back(true);
    mouseClick(w.button(QString::fromLatin1(name)));
    EXPECT_EQ(w.mode(), StoreWindow::Mode::Browse) << name;
  }
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(stores().size(), 1);
}

TEST_P(StoreWindowTest, AHiddenWindowsNoKeepsTheProgram) {
  MainWindow main;
  main.show();
  main.button(QStringLiteral("cmdSetDept"))->click();
  auto* stores = qobject_cast<StoreWindow*>(main.currentWindow());
  ASSERT_NE(stores, nullptr);
  stores->addStore();
  stores->txtStoreName()->setText(QStringLiteral("未存店"));
  main.button(QStringLiteral("cmdSetting"))->click();
  auto* settings = qobject_cast<ParametersWindow*>(main.currentWindow());
  ASSERT_NE(settings, nullptr);
  settings->txtBorixPort()->setText(QStringLiteral("COM7"));
  main.button(QStringLiteral("cmdSetBatchKey"))->click();  // both edited windows are hidden now
  ASSERT_FALSE(stores->isVisible() || settings->isVisible());

  QCloseEvent first;  // "No" for the store window
  QApplication::sendEvent(&main, &first);
  EXPECT_FALSE(first.isAccepted());
  EXPECT_EQ(stores->mode(), StoreWindow::Mode::Add);
  dialogs_->yesNoAnswers = {true, false};  // the store's edits go, the settings' stay
  QCloseEvent second;
  QApplication::sendEvent(&main, &second);
  EXPECT_FALSE(second.isAccepted());
  EXPECT_EQ(stores->mode(), StoreWindow::Mode::Browse);
  EXPECT_EQ(settings->txtBorixPort()->text(), QStringLiteral("COM7"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 3);
  dialogs_->yesNoAnswers = {true};
  QCloseEvent third;
  QApplication::sendEvent(&main, &third);
  EXPECT_TRUE(third.isAccepted());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 4);
  for (const char* b : {"cmdSetDept", "cmdSetting", "cmdSetBatchKey"}) delete main.window(QString::fromLatin1(b));
}

TEST_P(StoreWindowTest, MainMenuOpensBothWindows) {
  MainWindow main;
  for (const auto& [button, window] : {std::pair{"cmdSetDept", "fmWJN0107"}, std::pair{"cmdSetting", "fmSettingParam"}}) {
    ASSERT_TRUE(main.button(QString::fromLatin1(button))->isEnabled()) << button;
    main.button(QString::fromLatin1(button))->click();
    ASSERT_NE(main.currentWindow(), nullptr);
    EXPECT_EQ(main.currentWindow()->objectName(), QString::fromLatin1(window));
    EXPECT_TRUE(main.currentWindow()->isVisible());
  }
  EXPECT_FALSE(main.window(QStringLiteral("cmdSetDept"))->isVisible());  // one at a time
  delete main.window(QStringLiteral("cmdSetDept"));
  delete main.window(QStringLiteral("cmdSetting"));
}
