#pragma once
// Schema versions: a database records the version of its schema, and a later program brings an
// older one up to date in ordered steps, all of them in one transaction.
#include "core/Fetched.h"

#include <QString>
#include <QStringList>

class Connection;

// The version of the schema this program makes and works with.
inline constexpr int kSchemaVersion = 4;

// The version the database records: 1 for a database made before versions were recorded, 0 for
// one without the card tables.
Fetched<int> StoredSchemaVersion(Connection& cnn);

// Brings the schema up to kSchemaVersion: each step it lacks, in order, in one transaction, so
// that a step that fails leaves the database as it was. Answers what each step did (empty when
// there was nothing to do). A database newer than the program fails with NewerSchemaText.
Fetched<QStringList> UpgradeSchema(Connection& cnn);

// Why the program refuses a database made by a newer one: both versions named.
QString NewerSchemaText(int found);
