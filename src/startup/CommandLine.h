#pragma once
// Jobs the program runs without a window when its first argument names one ("--import DIR",
// "--export-blacklist DIR", "--report reconcile FILE.csv"), for a nightly run on a machine
// without a display.
#include <QString>
#include <QStringList>
#include <functional>

// A job: its arguments after the name, the output stream; answers the exit code.
using CommandJob = std::function<int(const QStringList& args, class QTextStream& out)>;

// The job a first argument names; empty when it names none and the windows start.
CommandJob FindCommandJob(const QString& firstArgument);
// True when the arguments (argv) ask for a job; decided before any application object exists.
bool IsCommandLineJob(int argc, char* argv[]);
// Starts the settings and the database without a window and runs the job of `arguments`
// (the program name first). Needs a QCoreApplication.
int RunCommandLineJob(const QStringList& arguments);
