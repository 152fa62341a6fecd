#include "core/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include <unistd.h>

namespace {

QString g_named;

const char* const kDefaultIni =
    "[PARAM]\n"
    "CustName=Tolva\n"
    "Calendar=YYYY/MM/DD\n"
    "DateSep=/\n"
    "GCNT=Provider=SQLite;Data Source=tolva.db\n"
    "IDMSG=IDMSG.MDB\n"
    "BorixPort=COM1\n"
    "CrwLibrary=\n"
    "CodePage=CP950\n";

QString writeIni(const QString& folder, const QString& appName) {
  const QString ini = QDir(folder).filePath(appName + QStringLiteral(".INI"));
  if (QFileInfo::exists(ini)) return {};
  QFile f(ini);
  if (!f.open(QIODevice::WriteOnly) || f.write(kDefaultIni) < 0 || !f.flush()) return ini;
  f.close();
  QFile marker(QDir(folder).filePath(QString::fromLatin1(kFreshHomeMarker)));
  return marker.open(QIODevice::WriteOnly) ? QString() : marker.fileName();
}

QString createMessageDatabase(const QString& folder) {
  const QString file = QDir(folder).filePath(QStringLiteral("IDMSG.MDB"));
  if (QFileInfo::exists(file)) return {};
  const QString name = QStringLiteral("tolva-prepare-msgdb");
  bool made = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(file);
    made = db.open() &&
           QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Msg (MsgID VARCHAR(30) PRIMARY KEY, Msg VARCHAR(255))"));
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  if (made) return {};
  QFile::remove(file);  // a half-made file would hide the failure from the next start
  return file;
}

}  // namespace

ApplicationFolder ChooseApplicationFolder(const QString& named, const QString& exeDir, const QString& userDataDir) {
  if (!named.isEmpty()) return {QDir(named).absolutePath(), FolderSource::Named};
  if (IsWritableFolder(exeDir) && !IsInstalledLayout(exeDir)) return {exeDir, FolderSource::ExecutableFolder};
  return {userDataDir, FolderSource::UserData};
}

void SetNamedApplicationFolder(const QString& path) { g_named = path; }

ApplicationFolder FindApplicationFolder(const QString& appName) {
  const QString named = g_named.isEmpty() ? qEnvironmentVariable("TOLVA_HOME") : g_named;
  return ChooseApplicationFolder(named, QCoreApplication::applicationDirPath(), UserDataFolder(appName));
}

QString EnterApplicationFolder(const QString& appName) {
  const ApplicationFolder folder = FindApplicationFolder(appName);
  QDir().mkpath(folder.path);
  // A failure shows up in the start-up steps that need the files.
  if (folder.source == FolderSource::UserData) PrepareApplicationFolder(folder.path, appName);
  return folder.path;
}

QString UserDataFolder(const QString& appName) {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + appName;
}

bool IsWritableFolder(const QString& dir) {
  return !dir.isEmpty() && QFileInfo(dir).isDir() && access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

bool IsInstalledLayout(const QString& exeDir) {
  return !exeDir.isEmpty() && QFileInfo(QDir(exeDir).filePath(QStringLiteral(TOLVA_DATA_FROM_BIN))).isDir();
}

QStringList DriverLibraryFolders(const QString& exeDir) {
  if (exeDir.isEmpty()) return {};
  return {exeDir, QDir::cleanPath(QDir(exeDir).filePath(QStringLiteral(TOLVA_PKGLIB_FROM_BIN)))};
}

QString PrepareApplicationFolder(const QString& folder, const QString& appName) {
  if (!QDir().mkpath(folder)) return folder;
  if (QString failed = writeIni(folder, appName); !failed.isEmpty()) return failed;
  return createMessageDatabase(folder);
}
