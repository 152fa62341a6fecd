#include "db/SchemaSetup.h"

#include "core/ErrorReport.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"

bool CreateSchemaIfNew(QString& report) {
  try {
    if (!gCnn().isOpen() || !gCnn().dialect().createsSchemaItself()) return true;
    if (HasTable(gCnn(), QStringLiteral("Tolva"))) return true;
    CreateSchema(gCnn());
    return true;
  } catch (...) {
    report = LogError(ErrorLabel());
    return false;
  }
}
