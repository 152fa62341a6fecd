#include "windows/settings/BackupWindow.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/SqliteCopy.h"
#include "support/Sql.h"
#include "support/TestEnv.h"
#include "ui/StatusPanel.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>

// What the window adds to the backup (tested below it): the file asked for, the bar, the text.
class BackupWindowTest : public DbTest {};

TEST_P(BackupWindowTest, CopiesToTheFileTheOperatorNamesAndSaysHowMany) {
  BackupWindow w;
  w.show();
  if (isPostgres()) {
    w.backUpDatabase();
    EXPECT_TRUE(w.elaMsg()->caption().contains(QStringLiteral("pg_dump")));
    EXPECT_TRUE(dialogs_->texts(QStringLiteral("saveFileName")).isEmpty());  // nothing asked
    return;
  }
  EXPECT_TRUE(w.lblDatabase()->text().endsWith(QStringLiteral("tolva.db")));
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status) VALUES ('V000001', '01'), ('V000002', '01')"));
  const QString file = path(QStringLiteral("copy.db"));
  dialogs_->fileAnswers.push_back(file);
  w.backUpDatabase();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("已備份 2 張卡片的資料到 ") + file);
  EXPECT_EQ(w.prgCopy()->value(), w.prgCopy()->maximum());
  EXPECT_GT(w.prgCopy()->maximum(), 1);
  EXPECT_EQ(Must(CheckSqliteFile(file)).size(), Must(CheckSqliteFile(path(QStringLiteral("tolva.db")))).size());

  // A file that is there already is not overwritten: the failure is shown and the file stays.
  const QByteArray before = readBytes(file);
  dialogs_->fileAnswers.push_back(file);
  w.backUpDatabase();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("備份失敗"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_EQ(readBytes(file), before);
  // Cancelled: nothing happens.
  w.backUpDatabase();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
}

TOLVA_DB_TEST_SUITE(BackupWindowTest);
