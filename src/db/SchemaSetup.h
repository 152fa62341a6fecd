#pragma once
// Start-up: the schema of a new embedded database.
#include <QString>

// A database whose dialect sets up its own schema (the embedded SQLite file) and that has no
// card table yet gets the schema and the code descriptions. False when it failed, with the
// error report (also in the error log) in `report`.
bool CreateSchemaIfNew(QString& report);
