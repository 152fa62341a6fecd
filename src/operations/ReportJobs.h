#pragma once
// The reconciliation report as a job without windows (a nightly job needs no display).
#include <QString>

// `--report reconcile FILE.csv`: writes every disagreeing card to FILE.csv in the code page;
// 0 when every card agrees, 1 when one does not, 2 when the report could not be made.
int ReconcileJob(const QString& csvFile);
