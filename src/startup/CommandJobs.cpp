#include "startup/CommandJobs.h"

#include "app/ErrorReport.h"
#include "app/bmMain.h"
#include "app/globals.h"
#include "db/basADODB.h"
#include "startup/InitSchema.h"
#include "forms/reports/basApLogQuery.h"
#include "forms/reports/basRptQuery.h"

#include <QCoreApplication>
#include <QMap>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <functional>

namespace {

using Job = std::function<int(const QStringList& rest)>;

int usage(const QString& text) {
  QTextStream(stderr) << text << Qt::endl;
  return 2;
}

// The settings and the database, as start-up opens them, without the windows.
bool openDatabase() {
  if (gAppName.isEmpty()) gAppName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  if (gAppPath.isEmpty()) {
    const QString home = qEnvironmentVariable("TOLVA_HOME");
    gAppPath = home.isEmpty() ? QCoreApplication::applicationDirPath() : QDir(home).absolutePath();
    InitGlobal(gAppName + QStringLiteral(".INI"), gAppPath);
  }
  // A fresh embedded database gets its schema, as at the first start of the windows.
  return InitINIgCNT() && InitSchema();
}

int reportJob(const QStringList& rest) {
  if (rest.size() != 2 || rest[0] != QLatin1String("reconcile")) return usage(QStringLiteral("usage: tolva --report reconcile FILE.csv"));
  if (!openDatabase()) return 2;
  return ReconcileJob(rest[1]);
}

}  // namespace

int ReconcileJob(const QString& csvFile) {
  try {
    const QList<ReconcileRow> rows = QryReconcile();
    QList<QStringList> cells;
    for (const ReconcileRow& r : rows) cells << ReconcileCells(r);
    if (!WriteCsvFile(csvFile, CsvText(kReconcileHeadings.split(QLatin1Char('|')), cells))) {
      return usage(QStringLiteral("cannot write ") + csvFile);
    }
    QTextStream(stdout) << rows.size() << Qt::endl;
    return rows.isEmpty() ? 0 : 1;
  } catch (...) {
    ReportError(QStringLiteral("ReconcileJob"));
    return 2;
  }
}

std::optional<int> RunCommandJob(const QStringList& args) {
  static const QMap<QString, Job> jobs = {
      {QStringLiteral("--report"), reportJob},
  };
  if (args.size() < 2) return std::nullopt;
  const auto it = jobs.find(args[1]);
  if (it == jobs.end()) return std::nullopt;
  return (*it)(args.mid(2));
}
