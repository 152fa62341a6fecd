#include "app/Startup.h"

#include "core/AppFolder.h"
#include "core/ErrorReport.h"
#include "core/SettingsFile.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "windows/counter/MainWindow.h"
#include "db/SchemaSetup.h"
#include "app/CardSettings.h"
#include "ui/CodePicker.h"
#include "ui/QtOperatorDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Held for the life of the process: a second start finds it locked and ends silently.
bool takeInstanceLock() {
  static QLockFile* lock = nullptr;
  if (lock) return true;
  auto* candidate = new QLockFile(QDir(gAppPath).absoluteFilePath(gAppName + QStringLiteral(".lck")));
  candidate->setStaleLockTime(0);
  if (!candidate->tryLock(0)) {
    const bool otherInstance = candidate->error() == QLockFile::LockFailedError;
    delete candidate;
    // Only another running instance ends the start silently. A folder where no lock can be
    // made is no reason to vanish without a word: start-up goes on, and the steps that need
    // the folder say what fails.
    return !otherInstance;
  }
  lock = candidate;
  return true;
}

}  // namespace

bool StartProgram() {
  static QtOperatorDialogs qtDialogs;
  SetDialogs(&qtDialogs);
  gAppName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  return StartUp();
}

bool StartUp() {
  try {
    if (gAppName.isEmpty()) gAppName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    gAppPath = EnterApplicationFolder(gAppName);
    if (!takeInstanceLock()) return false;
    QDir::setCurrent(gAppPath);
    LoadSettings(gAppName + QStringLiteral(".INI"), gAppPath);
    BeginErrorLogSession(gAppPath);
    OpenMessageDatabase();
    OpenMainDatabase();
    CreateSchemaIfNew();
    LoadCardSettings();
    auto* main = new MainWindow;
    main->setAttribute(Qt::WA_DeleteOnClose);
    gMainForm = main;
    main->show();
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}
