#pragma once
// The program's command line, one table of forms. Without a command the windows start; a job
// ("--import DIR", "--export-blacklist DIR", "--report reconcile FILE.csv") runs without a
// display, for a nightly run; "--home DIR" names the application folder; "--help",
// "--version" and "--prepare" answer without opening a database.
#include <QString>
#include <QStringList>
#include <functional>

// A job: its arguments after the name, the output stream; answers the exit code.
using CommandJob = std::function<int(const QStringList& args, class QTextStream& out)>;

struct CommandLine {
  enum class Kind { Windows, Job, Refused };
  Kind kind = Kind::Windows;
  QString home;       // the application folder named by --home; empty when not named
  QString name;       // the command, e.g. "--import"
  QStringList args;   // its arguments
  QString error;      // why a refused line was refused
};

// Reads a command line (the program name first). Qt's own window options ("-platform NAME",
// "-style NAME", ...) are left to Qt.
CommandLine ParseCommandLine(const QStringList& arguments);
// Every form of the table, in the layout of a Debian tool's --help.
QString HelpText(const QString& program);
// Runs the command of `line` without a window (needs a QCoreApplication). A refused line
// prints why and the help on stderr and answers 2.
int RunCommandLine(const CommandLine& line);
