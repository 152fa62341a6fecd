#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "ui/FolderField.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QLineEdit>

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
  ShowStatusMessage(&panel, QStringLiteral("已發卡，卡號：V000001"));
  EXPECT_EQ(panel.caption(), QStringLiteral("已發卡，卡號：V000001"));
  EXPECT_EQ(panel.floodPercent(), 0);
  EXPECT_EQ(dialogs_->beeps, 2);
  ShowStatusMessage(&panel, QStringLiteral("資料庫無此卡號"), 0);
  EXPECT_EQ(panel.caption(), QStringLiteral("資料庫無此卡號"));
  EXPECT_EQ(dialogs_->beeps, 2);
}
