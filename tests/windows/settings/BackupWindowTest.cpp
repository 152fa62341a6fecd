#include "windows/settings/BackupWindow.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/SqliteCopy.h"
#include "support/Sql.h"
#include "support/TestEnv.h"
#include "ui/StatusPanel.h"

#include <QDir>
#include <QFile>
#include <algorithm>
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

TEST_P(BackupWindowTest, RestorePutsTheCopyInPlaceForEveryConnectionAndKeepsTheDatabaseAside) {
  BackupWindow w;
  w.show();
  int restored = 0;
  QObject::connect(&w, &BackupWindow::databaseRestored, [&restored] { ++restored; });
  if (isPostgres()) {
    w.restoreDatabase();
    EXPECT_TRUE(w.elaMsg()->caption().contains(QStringLiteral("pg_dump")));
    EXPECT_TRUE(dialogs_->texts(QStringLiteral("openFileName")).isEmpty());
    EXPECT_EQ(restored, 0);
    return;
  }
  const QString cards = QStringLiteral("SELECT COUNT(*) FROM Tolva");
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status) VALUES ('V000001', '01'), ('V000002', '01')"));
  const QString copy = path(QStringLiteral("copy.db"));
  dialogs_->fileAnswers.push_back(copy);
  w.backUpDatabase();
  // Later work, and a second connection that has the database open throughout.
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status) VALUES ('V000003', '01')"));
  Connection other;
  Must(other.open(connectionString()));
  ASSERT_EQ(Value(other, cards).toInt(), 3);

  // The operator says no: nothing happens.
  dialogs_->fileAnswers.push_back(copy);
  w.restoreDatabase();
  EXPECT_EQ(Value(gCnn(), cards).toInt(), 3);

  dialogs_->fileAnswers.push_back(copy);
  dialogs_->yesNoAnswers = {true};
  w.restoreDatabase();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("已還原"));
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(Value(gCnn(), cards).toInt(), 2);
  EXPECT_EQ(Value(other, cards).toInt(), 2);
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxAPLOG WHERE ActionID = '資料庫還原'")).toInt(), 1);
  const QStringList aside = QDir(dir_->path()).entryList({QStringLiteral("tolva.db.replaced-*")});
  ASSERT_EQ(aside.size(), 1);
  const QList<TableRows> kept = Must(CheckSqliteFile(path(aside[0])));
  EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [](const TableRows& t) { return t.table == "Tolva" && t.rows == 3; }));
  // A process of its own finds the restored database.
  QStringList lines;
  ASSERT_EQ(RunProgram(dir_->path(), cnt_, {QStringLiteral("--backup"), path(QStringLiteral("again.db"))}, lines), 0);
  EXPECT_TRUE(lines.contains(QStringLiteral("Tolva\t2"))) << lines.join(u'\n').toStdString();

  // A copy made by a newer program is refused, and the database stays as it is.
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status) VALUES ('V000004', '01')"));
  {
    Connection newer;
    Must(newer.open(QStringLiteral("Provider=SQLite;Data Source=") + copy));
    Exec(newer, QStringLiteral("PRAGMA user_version = 99"));
  }
  dialogs_->fileAnswers.push_back(copy);
  dialogs_->yesNoAnswers = {true};
  w.restoreDatabase();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("還原失敗"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).last().contains(QStringLiteral("版本為 99")));
  EXPECT_EQ(Value(gCnn(), cards).toInt(), 3);
  EXPECT_EQ(restored, 1);
}

TOLVA_DB_TEST_SUITE(BackupWindowTest);
