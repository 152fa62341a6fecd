#pragma once
// The process entry: settings, databases, then the main window.
#include <QString>

// Installs the Qt dialogs and runs the start-up steps. Answers false when the process should
// end at once (another instance runs, or start-up itself failed).
bool StartProgram();
// The start-up steps with whatever operator dialogs are installed.
bool StartUp();
// Opens the main database; when it fails, tells the operator why.
bool OpenMainDatabaseOrSay();

// The lock file that a running window of the application folder holds.
QString InstanceLockFile();
// The main window the last start-up showed, or null once it has closed.
class QWidget;
QWidget* StartedMainWindow();
