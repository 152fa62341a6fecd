// The log viewer on a long log: the list shows one screen first and loads a page at a time as
// the operator reaches its end, rows written meanwhile by another program neither repeat nor hide older rows, and the
// CSV file and the printed list cover every row of the conditions, not only the loaded ones.
#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "support/Sql.h"
#include "support/TestEnv.h"
#include "ui/LongListGrid.h"
#include "ui/PrintPreviewWindow.h"
#include "ui/StatusPanel.h"
#include "windows/reports/ActivityLogWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <numeric>

namespace {

constexpr int kRows = 650;  // three full pages and a short one

// Many rows share a second, and the seconds do not follow the order the rows were written in.
QDateTime writtenAt(int i) { return QDateTime(QDate(2020, 1, 1), QTime(10, 0)).addSecs((i * 7) % 150); }

// The messages in the list's order: newest first, the later row first within a second.
QStringList inListOrder() {
  QList<int> rows(kRows);
  std::iota(rows.begin(), rows.end(), 0);
  std::sort(rows.begin(), rows.end(), [](int a, int b) {
    return writtenAt(a) != writtenAt(b) ? writtenAt(a) > writtenAt(b) : a > b;
  });
  QStringList out;
  for (int i : rows) out << QStringLiteral("m%1").arg(i);
  return out;
}

void settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void press(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(w, &event);
  settle();
}

}  // namespace

class LogPagingTest : public DbTest {
protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    QVariantList values;
    for (int i = 0; i < kRows; ++i) values << QStringLiteral("m%1").arg(i) << gCnn().dialect().dateValue(writtenAt(i));
    TransactionGuard t(gCnn());
    Must(t.begun());
    Must(gCnn().executeRuns(QStringLiteral("INSERT INTO xxAPLOG (UserID, LoginWS, ProgID, ActionID, LogMsg, FileDate) "
                                           "VALUES ('clerk', 'POS1', 'tolva', '加值', ?, ?)"),
                            values, kRows));
    Must(t.commit());
  }

  // Lists the days first .. last (empty: open).
  static void list(ActivityLogWindow& w, const QString& first, const QString& last) {
    w.field(QStringLiteral("txtDateB"))->setText(first);
    w.field(QStringLiteral("txtDateE"))->setText(last);
    w.listRows();
    settle();
  }
  static QStringList shown(ActivityLogWindow& w) {
    QStringList out;
    for (int r = 1; r < w.fgLog()->rows(); ++r) out << w.fgLog()->textMatrix(r, 3);
    return out;
  }
  static int loaded(ActivityLogWindow& w) { return w.fgLog()->rows() - 1; }
  static QString status(ActivityLogWindow& w) { return w.elaMsg()->caption(); }
  // The messages of a saved CSV file, top to bottom.
  QStringList savedMessages(ActivityLogWindow& w, const QString& file) {
    dialogs_->fileAnswers.push_back(file);
    w.saveAsCsv();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {QStringLiteral("no file")};
    QStringList lines = CodePage::fromAnsi(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QStringList out;
    for (const QString& line : lines.mid(1)) out << line.section(QLatin1Char(','), 3, 3);
    return out;
  }
};

TEST_P(LogPagingTest, ReachingTheEndLoadsTheNextPageOnceAndTheCsvHoldsEveryRow) {
  ActivityLogWindow w;
  w.show();
  list(w, QStringLiteral("2020/01/01"), QStringLiteral("2020/01/01"));
  LongListGrid* grid = w.fgLog();
  const int screen = loaded(w);
  ASSERT_EQ(screen, grid->screenRows());
  ASSERT_GT(screen, 1);
  EXPECT_EQ(status(w), QStringLiteral("已列出前 %1 筆，捲動至底可列出更多").arg(screen));
  // The file covers the listed conditions, also once the fields changed and before the list
  // has loaded every row.
  w.field(QStringLiteral("txtDateB"))->setText(QStringLiteral("2020/01/02"));
  EXPECT_EQ(savedMessages(w, path(QStringLiteral("log.csv"))), inListOrder());
  EXPECT_EQ(loaded(w), screen);

  grid->setFocus();
  for (int i = 0; i < 100 && loaded(w) == screen; ++i) press(grid, Qt::Key_PageDown);
  EXPECT_EQ(loaded(w), screen + 200);
  EXPECT_EQ(status(w), QStringLiteral("已列出前 %1 筆，捲動至底可列出更多").arg(screen + 200));
  // Ctrl+End reaches the last row and the scroll bar's end at once: one page for both.
  press(grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(loaded(w), screen + 400);
  QScrollBar* bar = grid->verticalScrollBar();
  for (int expected = screen + 600; loaded(w) < kRows; expected += 200) {
    bar->setValue(bar->maximum());
    settle();
    ASSERT_EQ(loaded(w), std::min(expected, kRows));
  }
  EXPECT_EQ(status(w), QStringLiteral("共 650 筆"));
  // The short page was the last: the end asks the database nothing more.
  const qint64 statements = Connection::statementStats().statements;
  press(grid, Qt::Key_End, Qt::ControlModifier);
  bar->setValue(0);
  bar->setValue(bar->maximum());
  settle();
  EXPECT_EQ(Connection::statementStats().statements, statements);
  EXPECT_EQ(shown(w), inListOrder());
}

TEST_P(LogPagingTest, AWindowMadeTallerThanItsListLoadsOn) {
  ActivityLogWindow w;
  w.resize(900, 400);
  w.show();
  list(w, QStringLiteral("2020/01/01"), QStringLiteral("2020/01/01"));
  const int screen = loaded(w);
  w.resize(900, 1200);
  settle();
  EXPECT_EQ(loaded(w), screen + 200);
}

TEST_P(LogPagingTest, RowsWrittenMeanwhileByAnotherProgramNeitherRepeatNorHideOlderRows) {
  ActivityLogWindow w;
  w.show();
  list(w, QStringLiteral("2020/01/01"), QString());  // open end: the new rows match as well
  ASSERT_EQ(loaded(w), w.fgLog()->screenRows());
  // The other program logs its blacklist export.
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status) VALUES ('V000001', '99')"));
  ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("out"))));
  QStringList lines;
  ASSERT_EQ(RunProgram(dir_->path(), cnt_, {QStringLiteral("--export-blacklist"), path(QStringLiteral("out"))}, lines), 0)
      << lines.join(u'\n').toStdString();
  ASSERT_GT(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxAPLOG")).toInt(), kRows);

  for (int i = 0; i < 10 && status(w).startsWith(QStringLiteral("已列出")); ++i) press(w.fgLog(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(shown(w), inListOrder());
}

TEST_P(LogPagingTest, AFailedSaveLeavesNoFileUnderTheChosenName) {
  ActivityLogWindow w;
  list(w, QStringLiteral("2020/01/01"), QStringLiteral("2020/01/01"));
  SetStatementHookForTest([](Connection&, const QString& sql) {
    if (sql.contains(QStringLiteral("From xxAPLOG A"))) throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
  });
  const QString file = path(QStringLiteral("log.csv"));
  savedMessages(w, file);
  SetStatementHookForTest(nullptr);
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(QDir(dir_->path()).entryList({QStringLiteral("log.csv*")}), QStringList());  // nor an unfinished one
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_EQ(status(w), QStringLiteral("存檔失敗"));
}

TEST_P(LogPagingTest, AListTooLongToPrintAsksForNarrowerDatesInstead) {
  // 650 rows doubled five times: more than a printed list holds.
  for (int i = 0; i < 5; ++i) {
    Exec(gCnn(), QStringLiteral("INSERT INTO xxAPLOG (UserID, LoginWS, ProgID, ActionID, LogMsg, FileDate) "
                                "SELECT UserID, LoginWS, ProgID, ActionID, LogMsg, FileDate FROM xxAPLOG"));
  }
  ActivityLogWindow w;
  list(w, QStringLiteral("2020/01/01"), QStringLiteral("2020/01/01"));
  int previews = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &w, [&] {
    if (auto* preview = w.findChild<PrintPreviewWindow*>(); preview && preview->isVisible()) {
      ++previews;
      preview->accept();
    }
  });
  poll.start(50);
  w.printList();
  EXPECT_EQ(previews, 0);
  const QStringList boxes = dialogs_->texts(QStringLiteral("messageBox"));
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].contains(QStringLiteral("超過 20000 筆"))) << boxes[0].toStdString();
}

TOLVA_DB_TEST_SUITE(LogPagingTest);
