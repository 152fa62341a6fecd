#pragma once
// Command-line forms about the installation itself, run without opening a database.
#include <QString>

class QTextStream;

// `--version`: the version, the application folder this start would use (and why), and the
// card reader driver its INI names. Always 0.
int VersionJob(const QString& appName, QTextStream& out);
// `--prepare`: gives the application folder its INI file and message database (see
// PrepareApplicationFolder). 0 when the folder is ready, 1 when something could not be made.
int PrepareJob(const QString& appName, QTextStream& out);
