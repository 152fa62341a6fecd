#include "app/DailyBackup.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/SqliteCopy.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Removes the oldest daily copies beyond the number kept (their names sort by day).
void dropOldCopies(QDir folder, const QString& pattern) {
  const QStringList copies = folder.entryList({pattern}, QDir::Files, QDir::Name | QDir::Reversed);
  for (qsizetype i = kDailyBackupsKept; i < copies.size(); ++i) folder.remove(copies[i]);
}

}  // namespace

bool TakeDailyBackup(QString& report) {
  const QString source = SqliteFileOf(gCnn().connectionString());
  if (!TheSettings().dailyBackup || !gCnn().isOpen() || source.isEmpty()) return true;
  const QDir folder(QDir(TheSettings().appPath).filePath(QStringLiteral("backup")));
  const QString stem = QFileInfo(source).completeBaseName() + QStringLiteral("-daily-");
  const QString today = folder.filePath(stem + Today().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".db"));
  if (QFileInfo::exists(today)) return true;
  if (!QDir().mkpath(folder.path())) {
    report = LogError(ErrorLabel(), QStringLiteral("75"), QStringLiteral("無法建立備份目錄: ") + folder.path());
    return false;
  }
  // A chain's database takes a while to copy, before the main window opens.
  const NoticeScope notice(QStringLiteral("資料庫備份中，請稍候..."));
  const Fetched<QList<TableRows>> copied = CopySqliteFile(source, today);
  if (!copied) {
    report = LogError(ErrorLabel(), copied.failure);
    return false;
  }
  dropOldCopies(folder, stem + QStringLiteral("*.db"));
  return true;
}
