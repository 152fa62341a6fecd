#include "startup/CommandLine.h"

#include "app/ErrorReport.h"
#include "app/bmMain.h"
#include "app/globals.h"
#include "db/Connection.h"
#include "db/basADODB.h"
#include "exchange/ExchangeJobs.h"
#include "startup/CommandJobs.h"
#include "startup/ConsoleDialogs.h"
#include "startup/InitSchema.h"
#include "startup/InitTolva.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>

namespace {

struct Command {
  CommandJob job;
  QString usage;
};

// One row per job: its first argument, what it runs and how it is called.
const QMap<QString, Command>& commands() {
  static const QMap<QString, Command> table = {
      {QStringLiteral("--import"),
       {[](const QStringList& a, QTextStream& out) { return RunImportJob(a.value(0), out); }, QStringLiteral("DIR")}},
      {QStringLiteral("--export-blacklist"),
       {[](const QStringList& a, QTextStream& out) { return RunExportBlacklistJob(a.value(0), out); },
        QStringLiteral("DIR")}},
      {QStringLiteral("--report"),
       {[](const QStringList& a, QTextStream& out) {
          if (a.size() != 2 || a[0] != QLatin1String("reconcile")) {
            out << QStringLiteral("用法: tolva --report reconcile FILE.csv") << Qt::endl;
            return 2;
          }
          return ReconcileJob(a[1]);
        },
        QStringLiteral("reconcile FILE.csv")}},
  };
  return table;
}

// The start-up steps of the windowed program, without the window and the single-instance
// lock: a nightly job may run while an operator works.
bool startUp() {
  const QString home = qEnvironmentVariable("TOLVA_HOME");
  gAppPath = home.isEmpty() ? QCoreApplication::applicationDirPath() : QDir(home).absolutePath();
  gAppName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  QDir::setCurrent(gAppPath);
  InitGlobal(gAppName + QStringLiteral(".INI"), gAppPath);
  if (!InitINIgCNT() || !gCnn().isOpen()) return false;
  if (!InitSchema()) return false;
  InitTolva();
  return true;
}

}  // namespace

CommandJob FindCommandJob(const QString& firstArgument) {
  const auto it = commands().find(firstArgument);
  return it == commands().end() ? CommandJob() : it->job;
}

bool IsCommandLineJob(int argc, char* argv[]) {
  return argc > 1 && commands().contains(QString::fromLocal8Bit(argv[1]));
}

int RunCommandLineJob(const QStringList& arguments) {
  QTextStream out(stdout);
  const QString name = arguments.value(1);
  const auto it = commands().find(name);
  if (it == commands().end()) return 2;
  const QStringList args = arguments.mid(2);
  if (args.isEmpty() || args.first().isEmpty()) {
    out << QStringLiteral("用法: %1 %2 %3").arg(QFileInfo(arguments.value(0)).fileName(), name, it->usage) << Qt::endl;
    return 2;
  }
  static ConsoleDialogs console;
  SetDialogs(&console);
  int rc = 1;
  try {
    if (startUp()) rc = it->job(args, out);
    else out << QStringLiteral("無法開啟資料庫") << Qt::endl;
  } catch (...) {
    ReportError(QStringLiteral("sub_Main"));
  }
  gCnn().close();
  return rc;
}
