#include "app/Startup.h"

#include "core/AppFolder.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/SettingsFile.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "windows/counter/MainWindow.h"
#include "db/SchemaSetup.h"
#include "app/DailyBackup.h"
#include "app/CardSettings.h"
#include "ui/CodePicker.h"
#include "ui/QtOperatorDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>
#include <QLockFile>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Held for the life of the process: a second start finds it locked and ends silently.
bool takeInstanceLock() {
  static QLockFile* lock = nullptr;
  if (lock) return true;
  auto* candidate = new QLockFile(InstanceLockFile());
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

// The main window start-up showed, until it closes.
QPointer<QWidget> startedMain;

}  // namespace

QWidget* StartedMainWindow() { return startedMain; }

QString InstanceLockFile() {
  return QDir(TheSettings().appPath).absoluteFilePath(TheSettings().appName + QStringLiteral(".lck"));
}

bool OpenMainDatabaseOrSay() {
  QString problem;
  if (OpenMainDatabase(problem)) return true;
  if (!problem.isEmpty()) Dialogs().messageBox(problem, TheSettings().appName, MsgIcon::None);
  return false;
}

bool StartProgram() {
  static QtOperatorDialogs qtDialogs;
  SetDialogs(&qtDialogs);
  EditSettings().appName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  return StartUp();
}

bool StartUp() {
  try {
    if (TheSettings().appName.isEmpty()) EditSettings().appName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    EditSettings().appPath = EnterApplicationFolder(TheSettings().appName);
    if (!takeInstanceLock()) return false;
    QDir::setCurrent(TheSettings().appPath);
    LoadSettings(TheSettings().appName + QStringLiteral(".INI"), TheSettings().appPath);
    QString report;
    BeginErrorLogSession(TheSettings().appPath);
    // The window opens even so: its settings windows are how a wrong connection gets mended.
    QString problem;
    if (!OpenMessageDatabase(problem)) Dialogs().messageBox(problem, TheSettings().appName, MsgIcon::Information);
    OpenMainDatabaseOrSay();
    if (!CreateSchemaIfNew(report)) {
      ShowErrorReport(report);
    } else if (!UpgradeSchemaIfOlder(report)) {
      // Nothing may work on a schema this program does not know.
      ShowErrorReport(report);
      gCnn().close();
    } else if (!TakeDailyBackup(report)) {
      ShowErrorReport(report);
    }
    LoadCardSettings();
    auto* main = new MainWindow;
    main->setAttribute(Qt::WA_DeleteOnClose);
    startedMain = main;
    main->show();
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}
