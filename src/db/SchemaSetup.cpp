#include "db/SchemaSetup.h"

#include "core/ErrorReport.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"

bool CreateSchemaIfNew(QString& report) {
  if (!gCnn().isOpen() || !gCnn().dialect().createsSchemaItself()) return true;
  const Fetched<bool> has = HasTable(gCnn(), QStringLiteral("Tolva"));
  const Done created = !has.ok() ? Done(has.failure) : *has ? Done() : CreateSchema(gCnn());
  if (!created) report = LogError(ErrorLabel(), created.failure());
  return bool(created);
}
