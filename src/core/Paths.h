#pragma once
// Path, file and machine routines shared by every window.
#include <QString>

QString WithTrailingSeparator(const QString& path, const QString& sep = QStringLiteral("/"));
bool FolderExists(const QString& path);
bool FileExists(const QString& path);
// Opens a file with its associated program; the window style is kept for callers' sake.
// The status text when ShellOpen found no program for a file.
inline const QString kNoProgramText = QStringLiteral("沒有可開啟此檔案的程式");
bool ShellOpen(const QString& file, int windowStyle = 1);
QString LoginName();
QString WorkstationName();
// Deletes a log file larger than `limit` bytes; every error is ignored.
void TrimLogFile(const QString& file, qint64 limit = 100 * 1024);
