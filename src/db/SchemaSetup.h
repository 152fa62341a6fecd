#pragma once
// Start-up: the schema of a new embedded database.

// A database whose dialect sets up its own schema (the embedded SQLite file) and that has no
// card table yet gets the schema and the code descriptions. Errors are reported under
// "InitSchema"; false when it failed.
bool CreateSchemaIfNew();
