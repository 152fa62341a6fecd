#include "app/FolderJobs.h"

#include "core/AppFolder.h"
#include "core/Ini.h"
#include "core/Settings.h"
#include "device/CurrentReader.h"
#include "device/VendorReader.h"

#include <QDir>
#include <QTextStream>

namespace {

QString sourceText(FolderSource source) {
  switch (source) {
    case FolderSource::Named: return QStringLiteral("指定的資料夾");
    case FolderSource::ExecutableFolder: return QStringLiteral("程式所在的資料夾");
    case FolderSource::UserData: return QStringLiteral("使用者的資料夾");
  }
  return {};
}

// The driver the folder's INI names, where it resolves and whether it opens.
QString driverText(const QString& folder, const QString& appName) {
  const QString name =
      ReadIniValue(QDir(folder).filePath(appName + QStringLiteral(".INI")), QStringLiteral("PARAM"), QStringLiteral("CrwLibrary"))
          .trimmed();
  if (name.isEmpty()) return QStringLiteral("內建模擬器");
  EditSettings().appPath = folder;
  const QString path = ReaderLibraryPath(name);
  const VendorReader library(path);
  return library.isLoaded() ? path : path + QStringLiteral(" (無法載入: ") + library.errorText() + QLatin1Char(')');
}

}  // namespace

int VersionJob(const QString& appName, QTextStream& out) {
  const ApplicationFolder folder = FindApplicationFolder(appName);
  out << appName << ' ' << TOLVA_VERSION_MAJOR << '.' << TOLVA_VERSION_MINOR << '.' << TOLVA_VERSION_PATCH << Qt::endl;
  out << QStringLiteral("應用程式資料夾: ") << QDir::toNativeSeparators(folder.path) << QStringLiteral(" (")
      << sourceText(folder.source) << ')' << Qt::endl;
  out << QStringLiteral("讀卡機驅動程式: ") << driverText(folder.path, appName) << Qt::endl;
  return 0;
}

int PrepareJob(const QString& appName, QTextStream& out) {
  const QString folder = FindApplicationFolder(appName).path;
  const QString failed = PrepareApplicationFolder(folder, appName);
  if (!failed.isEmpty()) {
    QTextStream(stderr) << QStringLiteral("無法建立: ") << QDir::toNativeSeparators(failed) << Qt::endl;
    return 1;
  }
  out << QDir::toNativeSeparators(folder) << Qt::endl;
  return 0;
}
