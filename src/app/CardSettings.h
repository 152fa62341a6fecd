#pragma once
// Start-up: the card settings from the parameter table.
#include <QString>

// Fills gCardMsgFile, gBatchNo, gDefCardType, gBatchKey and gStoreID from the parameter table
// (defaults when a row is missing or empty) and gBorixPort from the INI file. Errors are
// reported under "bmMain_InitTolva".
void LoadCardSettings();
