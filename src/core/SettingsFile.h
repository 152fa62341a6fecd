#pragma once
// Start-up steps that need no window: the process-wide settings and the shared file reader.
#include <QString>
#include <QStringList>
#include <optional>

// Fills the paths and the INI settings. With empty names the INI is "IDPARAM.INI" in the
// folder "../DAT/" beside the application folder, and the logs go to "../LOG/". A setting the INI
// lacks (or an INI that is not there) takes its default.
void LoadSettings(const QString& iniName, const QString& folder);
// Reads a whole text file (code page) with its lines joined by "|". False when it cannot be
// read (the report is kept for the window to show).
bool ReadMessageFile(const QString& file, QString& text);
// The lines of a text file in the code page, as Line Input reads them.
std::optional<QStringList> ReadAnsiLines(const QString& file);
