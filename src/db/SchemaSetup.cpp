#include "db/SchemaSetup.h"

#include "core/ErrorReport.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"

bool CreateSchemaIfNew() {
  try {
    if (!gCnn().isOpen() || !gCnn().dialect().createsSchemaItself()) return true;
    if (HasTable(gCnn(), QStringLiteral("Tolva"))) return true;
    CreateSchema(gCnn());
    return true;
  } catch (...) {
    ReportError(QStringLiteral("InitSchema"));
    return false;
  }
}
