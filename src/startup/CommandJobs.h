#pragma once
// Jobs the program runs from the command line, without windows (a nightly job needs no
// display): the first argument names the job.
#include <QStringList>
#include <optional>

// The exit code of the job the arguments (program name first) name; nothing when they name no
// job and the program starts its windows.
std::optional<int> RunCommandJob(const QStringList& args);

// `--report reconcile FILE.csv`: writes every disagreeing card to FILE.csv in the code page;
// 0 when every card agrees, 1 when one does not, 2 when the report could not be made.
int ReconcileJob(const QString& csvFile);
