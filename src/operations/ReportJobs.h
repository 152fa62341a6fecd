#pragma once
// The reports as jobs without windows (a nightly job needs no display).
#include <QString>
#include <QStringList>

// `--report reconcile FILE.csv`: writes every disagreeing card to FILE.csv in the code page;
// 0 when every card agrees, 1 when one does not, 2 when the report could not be made.
int ReconcileJob(const QString& csvFile);

// `--report KIND ...`: the report named by the first argument (reconcile, rollforward FROM TO,
// dormancy, expiry, redemption) written to the CSV file given last. Exit codes as
// ReconcileJob; the roll-forward answers 1 when it does not tie, and says why on stderr.
int ReportJob(const QStringList& args);
inline const QString kReportUsage = QStringLiteral(
    "reconcile FILE.csv | rollforward FROM TO FILE.csv | dormancy FILE.csv | expiry FILE.csv | redemption FILE.csv");
