#include "core/Paths.h"

#include "core/OperatorDialogs.h"

#include <QFileInfo>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

QString WithTrailingSeparator(const QString& path, const QString& sep) {
  if (path.isEmpty()) return {};
  return path.endsWith(sep) ? path : path + sep;
}

bool FolderExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool FileExists(const QString& path) {
  const QFileInfo info(path);
  return !path.isEmpty() && info.exists() && !info.isDir();
}

bool ShellOpen(const QString& file, int windowStyle) {
  Q_UNUSED(windowStyle);
  return Dialogs().openDocument(file);
}

QString LoginName() {
  QString name = qEnvironmentVariable("USER");
  if (name.isEmpty()) {
    if (const passwd* pw = getpwuid(geteuid())) name = QString::fromLocal8Bit(pw->pw_name);
  }
  return name.left(255);
}

QString WorkstationName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return QString::fromLocal8Bit(name).left(255);
}

void TrimLogFile(const QString& file, qint64 limit) {
  const QFileInfo info(file);
  if (info.exists() && info.size() > limit) QFile::remove(file);
}
