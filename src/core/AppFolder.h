#pragma once
// Where the program keeps its configuration, logs and embedded database, and what a new folder
// gets before its first start.
#include <QString>

// Written into an application folder that has just been prepared (PrepareApplicationFolder): the
// first start creates the configured SQLite database without asking, and deletes the file.
inline constexpr const char* kFreshHomeMarker = "tolva.new";

enum class FolderSource { Named, ExecutableFolder, UserData };

struct ApplicationFolder {
  QString path;
  FolderSource source;
};

// The rule: a named folder (--home, else TOLVA_HOME) wins; else the executable's folder when it
// can be written and the program is not installed in a system layout; else the user's data
// folder. An installed program never writes beside itself, not even when run by root.
ApplicationFolder ChooseApplicationFolder(const QString& named, const QString& exeDir, const QString& userDataDir);
// The folder named on the command line; empty leaves the choice to TOLVA_HOME and the rule.
void SetNamedApplicationFolder(const QString& path);
// The folder of this process for the program `appName` (needs a QCoreApplication).
ApplicationFolder FindApplicationFolder(const QString& appName);
// The folder this process uses, created when missing; the user's data folder is also prepared
// on its first use. A folder named by the operator is never prepared behind their back: a
// mistyped name must fail, not start an empty database.
QString EnterApplicationFolder(const QString& appName);

// The user's data folder of the program `appName` (~/.local/share/<appName>).
QString UserDataFolder(const QString& appName);
bool IsWritableFolder(const QString& dir);
// True when `exeDir` is the program folder of an installed package (its data folder beside it).
bool IsInstalledLayout(const QString& exeDir);
// Folders, beside the executable, where a driver library given by bare name is looked for.
QStringList DriverLibraryFolders(const QString& exeDir);

// Gives `folder` what a first start needs: the INI file (SQLite database, built-in simulator)
// with the marker that lets the first start create the database, and the message database.
// Files that exist are kept. Answers an empty text, or what could not be made.
QString PrepareApplicationFolder(const QString& folder, const QString& appName);
