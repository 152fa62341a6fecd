#include "operations/OperationContext.h"

#include "core/Settings.h"
#include "db/Connection.h"

OperationContext OperationContext::Current() { return {gCnn(), TheSettings().operatorId, TheSettings().workstation, TheSettings().storeId}; }
