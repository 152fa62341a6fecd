#pragma once
// Start-up steps that need no window: the process-wide settings and the shared file reader.
#include <QString>

// Fills the paths and the INI settings. With empty names the INI is "IDPARAM.INI" in the
// folder "../DAT/" beside the application folder, and the logs go to "../LOG/".
// False when they could not be read, with the error report (also in the error log) in `report`.
bool LoadSettings(const QString& iniName, const QString& folder, QString* report = nullptr);
// Reads a whole text file (code page) with its lines joined by "|". False when it cannot be
// read (the report is kept for the window to show).
bool ReadMessageFile(const QString& file, QString& text);
// The lines of a text file in the code page, as Line Input reads them.
QStringList ReadAnsiLines(const QString& file);
