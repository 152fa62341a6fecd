#include "app/BackupJobs.h"

#include "app/Startup.h"
#include "core/AppFolder.h"
#include "core/Clock.h"
#include "core/Ini.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "db/Connection.h"
#include "db/DatabaseCopy.h"
#include "db/SqliteCopy.h"
#include "operations/DatabaseBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTextStream>

namespace {

int fail(const QString& text) {
  QTextStream(stderr) << text << Qt::endl;
  return 1;
}

void printCounts(const QList<TableRows>& counts, QTextStream& out) {
  for (const TableRows& t : counts) out << t.table << '\t' << t.rows << Qt::endl;
}

// Moves the database file and its journal files aside under one new name.
bool moveAside(const QString& file, const QString& aside) {
  for (const char* end : {"", "-wal", "-shm"}) {
    const QString from = file + QString::fromLatin1(end);
    if (QFileInfo::exists(from) && !QFile::rename(from, aside + QString::fromLatin1(end))) return false;
  }
  return true;
}

}  // namespace

int BackupJob(const QString& file, QTextStream& out) {
  const Fetched<QList<TableRows>> copied = BackUpDatabase(OperationContext::Current(), file);
  if (!copied) {
    // A server database is the wrong tool, not a failed copy.
    fail(copied.failure.description);
    return copied.failure.description == kServerBackupText ? 2 : 1;
  }
  out << QStringLiteral("已備份到 ") << QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()) << Qt::endl;
  printCounts(*copied, out);
  return 0;
}

int CopyDatabaseJob(const QString& connectionString, QTextStream& out) {
  Connection target;
  // The connection hides a password in its own errors.
  if (const Done opened = target.open(connectionString); !opened) return fail(opened.failure().description);
  if (target.dialect().createsSchemaItself()) {
    fail(QStringLiteral("只能複製到伺服器上的資料庫 (PostgreSQL)"));
    return 2;
  }
  const Fetched<QList<CopiedTable>> copied = CopyDatabase(gCnn(), target);
  if (!copied) return fail(copied.failure.description);
  out << QStringLiteral("資料表\t來源筆數\t複本筆數\t來源金額\t複本金額") << Qt::endl;
  for (const CopiedTable& c : *copied) {
    out << c.table << '\t' << c.fromRows << '\t' << c.toRows << '\t' << c.fromSums << '\t' << c.toSums << Qt::endl;
  }
  out << QStringLiteral("複製完成") << Qt::endl;
  return 0;
}

int RestoreJob(const QString& appName, const QString& file, QTextStream& out) {
  EditSettings().appName = appName;
  EditSettings().appPath = EnterApplicationFolder(appName);
  LoadSettings(appName + QStringLiteral(".INI"), TheSettings().appPath);
  const QString target = SqliteFileOf(ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("GCNT")));
  if (target.isEmpty()) {
    QTextStream(stderr) << kServerBackupText << Qt::endl;
    return 2;
  }
  // Held to the end, so that no window starts on the file while it is replaced.
  QLockFile lock(InstanceLockFile());
  lock.setStaleLockTime(0);
  if (!lock.tryLock(0)) return fail(QStringLiteral("程式正在使用資料庫，請先結束程式再還原"));
  const QString source = QFileInfo(file).absoluteFilePath();
  const Fetched<QList<TableRows>> checked = CheckSqliteFile(source);
  if (!checked) return fail(checked.failure.description);
  const QString part = target + QStringLiteral(".part");
  QFile::remove(part);
  if (!QFile::copy(source, part)) return fail(QStringLiteral("無法寫入 ") + part);
  const QString aside = target + QStringLiteral(".replaced-") + Now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  if (!moveAside(target, aside) || !QFile::rename(part, target)) {
    // The database goes back where it was: a start must never find it gone.
    if (!QFileInfo::exists(target)) moveAside(aside, target);
    QFile::remove(part);
    return fail(QStringLiteral("無法取代 ") + target);
  }
  out << QStringLiteral("已還原 ") << QDir::toNativeSeparators(source) << QStringLiteral(" 到 ")
      << QDir::toNativeSeparators(target) << Qt::endl;
  if (QFileInfo::exists(aside)) out << QStringLiteral("原資料庫保留為 ") << QDir::toNativeSeparators(aside) << Qt::endl;
  printCounts(*checked, out);
  return 0;
}
