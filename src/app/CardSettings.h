#pragma once
// Start-up: the card settings from the parameter table.
#include <QString>

// Fills TheSettings().cardMessageFile, TheSettings().batchNo, TheSettings().defaultCardType, TheSettings().batchKey and TheSettings().storeId from the parameter table
// (defaults when a row is missing or empty) and TheSettings().readerPort from the INI file. Errors are
// reported under "bmMain_InitTolva".
void LoadCardSettings();
