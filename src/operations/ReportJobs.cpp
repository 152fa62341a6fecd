#include "operations/ReportJobs.h"

#include "core/ErrorReport.h"
#include "core/CsvFile.h"
#include "ledger/ReportQueries.h"
#include "operations/OperationContext.h"

#include <QTextStream>

namespace {

int usage(const QString& text) {
  QTextStream(stderr) << text << Qt::endl;
  return 2;
}

}  // namespace

int ReconcileJob(const QString& csvFile) {
  const Fetched<QList<ReconcileRow>> rows = SelectDisagreements(OperationContext::Current().db);
  if (!rows) {
    LogErrorToShow(QStringLiteral("ReconcileJob"), rows.failure);
    return 2;
  }
  QList<QStringList> cells;
  for (const ReconcileRow& r : *rows) cells << ReconcileCells(r);
  if (!WriteCsvFile(csvFile, CsvText(kReconcileHeadings.split(QLatin1Char('|')), cells))) {
    return usage(QStringLiteral("cannot write ") + csvFile);
  }
  QTextStream(stdout) << rows->size() << Qt::endl;
  return rows->isEmpty() ? 0 : 1;
}
