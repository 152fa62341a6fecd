#include "operations/ActivityLog.h"

#include "core/Settings.h"
#include "db/Parameters.h"

void LogActivity(const QString& action, const QString& text, const std::optional<QString>& remark) {
  WriteActivityLog(TheSettings().appName, action, text, remark);
}
