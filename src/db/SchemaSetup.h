#pragma once
// Start-up: the schema of a new embedded database.
#include <QString>

// A database whose dialect sets up its own schema (the embedded SQLite file) and that has no
// card table yet gets the schema and the code descriptions. False when it failed, with the
// error report (also in the error log) in `report`.
bool CreateSchemaIfNew(QString& report);

// Brings the main database's schema up to this program's version: an embedded file is first
// copied into the application folder's "backup" folder, and each step goes into the application
// log. False with the error report in `report` when the database is newer than the program, or
// when the copy or a step failed (the database is then as it was).
bool UpgradeSchemaIfOlder(QString& report);
