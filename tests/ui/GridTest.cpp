#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "ui/GridLoader.h"
#include "ui/FolderField.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QLineEdit>

class GridTest : public DbTest {};

TEST_P(GridTest, LoadFGShowsDatesAmountsAndNullsUnderTheHeading) {
  JournalRow a;
  a.TxnDept = QStringLiteral("001");
  a.TxnType = QStringLiteral("21");
  a.CardNo = QStringLiteral("V000001");
  a.TxnDate = QStringLiteral("2026/03/05 14:07:09");
  a.TxnAmt = QStringLiteral("1500.50");
  a.TxnPoint = QStringLiteral("12");
  ASSERT_TRUE(InsertJournalRow(a, gCnn()));
  JournalRow b = a;
  b.TxnDate = QString();
  b.TxnAmt = QStringLiteral("-3");
  ASSERT_TRUE(InsertJournalRow(b, gCnn()));

  DataGrid grid;
  grid.setHeadings(QStringLiteral("序號|店代號|交易日|交易金額|紅利點數|備註說明"));
  grid.addRow({QStringLiteral("old row")});
  gCalendar = QStringLiteral("CC/MM/DD");
  const int loaded = LoadGrid(&grid, QStringLiteral("Select RNo , TxnDept , TxnDate , TxnAmt , TxnPoint , Remark "
                                                  "From TolvaLog Where CardNo = 'V000001' Order by RNo"));
  EXPECT_EQ(loaded, 2);
  ASSERT_EQ(grid.rows(), 3);  // heading + two rows; the old row is gone
  EXPECT_EQ(grid.textMatrix(0, 2), QStringLiteral("交易日"));
  EXPECT_EQ(grid.textMatrix(1, 0), a.RNo.toString());
  EXPECT_EQ(grid.textMatrix(1, 1), QStringLiteral("001"));
  EXPECT_EQ(grid.textMatrix(1, 2), QStringLiteral("115/03/05"));  // through the display convention
  EXPECT_EQ(grid.textMatrix(1, 3), QStringLiteral("1500.5"));
  EXPECT_EQ(grid.textMatrix(1, 4), QStringLiteral("12"));
  EXPECT_EQ(grid.textMatrix(1, 5), QString());  // Remark '' stays empty
  EXPECT_EQ(grid.textMatrix(2, 2), QString());  // NULL date
  EXPECT_EQ(grid.textMatrix(2, 3), QStringLiteral("-3"));

  // A query without rows leaves only the heading; a bad statement reaches the caller's trap.
  EXPECT_EQ(LoadGrid(&grid, QStringLiteral("Select RNo From TolvaLog Where CardNo = 'none'")), 0);
  EXPECT_EQ(grid.rows(), 1);
  EXPECT_EQ(grid.textMatrix(0, 0), QStringLiteral("序號"));
  EXPECT_THROW(LoadGrid(&grid, QStringLiteral("Select nothing From nowhere")), TolvaError);
}

TOLVA_DB_TEST_SUITE(GridTest);

class GridWidgetTest : public AppTest {};

TEST_F(GridWidgetTest, RowsUnderTheHeadingAlignmentAndHiddenColumns) {
  DataGrid grid;
  grid.setHeadings(QStringList{QStringLiteral("卡號"), QStringLiteral("金額")});
  grid.setColRightAligned(1);
  grid.setColHidden(0, true);
  EXPECT_EQ(grid.rows(), 1);
  grid.addRow({QStringLiteral("V000001"), QStringLiteral("10")});
  grid.insertRowUnderHeading({QStringLiteral("V000002"), QStringLiteral("20")});
  ASSERT_EQ(grid.rows(), 3);
  EXPECT_EQ(grid.textMatrix(1, 0), QStringLiteral("V000002"));  // newest first
  EXPECT_EQ(grid.textMatrix(2, 0), QStringLiteral("V000001"));
  EXPECT_TRUE(grid.colHidden(0));
  EXPECT_TRUE(grid.item(0, 1)->textAlignment() & Qt::AlignRight);
  EXPECT_TRUE(grid.item(0, 0)->textAlignment() & Qt::AlignLeft);
  grid.setTextMatrix(9, 0, QStringLiteral("ignored"));  // outside the grid
  grid.clearRows();
  EXPECT_EQ(grid.rows(), 1);
  EXPECT_EQ(grid.textMatrix(0, 1), QStringLiteral("金額"));
}

TEST_F(GridWidgetTest, SelectDirWritesThePickedFolderOnly) {
  QLineEdit box;
  box.setText(QStringLiteral("/old"));
  SelectDir(nullptr, &box);  // cancelled
  EXPECT_EQ(box.text(), QStringLiteral("/old"));
  ASSERT_EQ(dialogs_->shown.size(), 1u);
  EXPECT_EQ(dialogs_->shown[0].kind, QStringLiteral("selectFolder"));
  EXPECT_EQ(dialogs_->shown[0].title, QStringLiteral("選擇轉入檔案目錄"));
  dialogs_->fileAnswers.push_back(dir_->path());
  SelectDir(nullptr, &box);
  EXPECT_EQ(box.text(), QDir::toNativeSeparators(dir_->path()));
}

TEST_F(GridWidgetTest, StatusPanelMessageStaysAndTheFloodEmpties) {
  StatusPanel panel;
  DispElaMsg(&panel, QStringLiteral("已發卡，卡號：V000001"));
  EXPECT_EQ(panel.caption(), QStringLiteral("已發卡，卡號：V000001"));
  EXPECT_EQ(panel.floodPercent(), 0);
  EXPECT_EQ(dialogs_->beeps, 2);
  DispElaMsg(&panel, QStringLiteral("資料庫無此卡號"), 0);
  EXPECT_EQ(panel.caption(), QStringLiteral("資料庫無此卡號"));
  EXPECT_EQ(dialogs_->beeps, 2);
}
