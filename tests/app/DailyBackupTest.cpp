#include "app/DailyBackup.h"

#include "core/ClockSeam.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "support/Sql.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

class DailyBackupTest : public DbTest {
protected:
  QStringList copies() const {
    return QDir(path(QStringLiteral("backup"))).entryList({QStringLiteral("tolva-daily-*.db")}, QDir::Files, QDir::Name);
  }
  bool takeOn(const QDate& day) {
    SetNowForTest(QDateTime(day, QTime(8, 0)));
    QString report;
    const bool taken = TakeDailyBackup(report);
    EXPECT_TRUE(report.isEmpty() == taken) << report.toStdString();
    return taken;
  }
};

TEST_P(DailyBackupTest, OneCopyADayAndTheLastSevenKept) {
  if (isPostgres()) {
    ASSERT_TRUE(takeOn(QDate(2026, 12, 8)));
    EXPECT_TRUE(copies().isEmpty());  // the server's own tools back it up
    return;
  }
  ASSERT_TRUE(takeOn(QDate(2026, 12, 8)));
  Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', 'later', 1)"));
  ASSERT_TRUE(takeOn(QDate(2026, 12, 8)));  // today's copy is there: not taken again
  EXPECT_EQ(copies(), QStringList{QStringLiteral("tolva-daily-20261208.db")});
  // The operator was told while the copy was taken, and only then.
  EXPECT_EQ(dialogs_->notices, (QStringList{QStringLiteral("資料庫備份中，請稍候..."), QString()}));
  {
    Connection copy;
    Must(copy.open(QStringLiteral("Provider=SQLite;Data Source=") + path(QStringLiteral("backup/tolva-daily-20261208.db")) +
                   QStringLiteral(";Mode=Read")));
    EXPECT_EQ(Value(copy, QStringLiteral("SELECT COUNT(*) FROM Store")).toInt(), 0);
  }
  for (int d = 9; d <= 17; ++d) ASSERT_TRUE(takeOn(QDate(2026, 12, d)));
  const QStringList kept = copies();
  ASSERT_EQ(kept.size(), kDailyBackupsKept);
  EXPECT_EQ(kept.first(), QStringLiteral("tolva-daily-20261211.db"));
  EXPECT_EQ(kept.last(), QStringLiteral("tolva-daily-20261217.db"));
  // Nothing else is left in the folder: no journal or half-written file of a copy.
  EXPECT_EQ(QDir(path(QStringLiteral("backup"))).entryList(QDir::Files), kept);

  EditSettings().dailyBackup = false;
  ASSERT_TRUE(takeOn(QDate(2026, 12, 18)));
  EXPECT_EQ(copies().size(), kDailyBackupsKept);
  EXPECT_EQ(copies().last(), QStringLiteral("tolva-daily-20261217.db"));
}

TOLVA_DB_TEST_SUITE(DailyBackupTest);
