#pragma once
// Start-up steps that need no window: the process-wide settings and the shared file reader.
#include <QString>

// Fills the paths and the INI settings. Without arguments the INI is "IDPARAM.INI" in the
// folder "../DAT/" beside the application folder, and the logs go to "../LOG/".
void LoadSettings(const QString& iniName = QString(), const QString& folder = QString());
// Reads a whole text file (code page) with its lines joined by "|".
bool LoadMsg(const QString& file, QString& text);
// The lines of a text file in the code page, as Line Input reads them.
QStringList ReadAnsiLines(const QString& file);
