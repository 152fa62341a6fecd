#pragma once
// The application log rows the settings windows write for what the operator changed.
#include "ledger/CardCodes.h"

#include <QString>
#include <optional>

// One row under this program's name; a remark (kApFailRemark, say) marks a failure. Never raises.
void LogActivity(const QString& action, const QString& text, const std::optional<QString>& remark = std::nullopt);
