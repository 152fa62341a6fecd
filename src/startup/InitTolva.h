#pragma once
// Start-up: the card settings from the parameter table, and the stored form of the card data key.
#include <QString>

// Fills gCardMsgFile, gBatchNo, gDefCardType, gBatchKey and gStoreID from the parameter table
// (defaults when a row is missing or empty) and gBorixPort from the INI file. Errors are
// reported under "bmMain_InitTolva".
void InitTolva();

// The card data key is stored enciphered under the program's built-in key, as hexadecimal.
QString BatchKeyFromStored(const QString& hex);
QString BatchKeyToStored(const QString& key);
