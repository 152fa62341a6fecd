#pragma once
// The rolling daily copy of the embedded database, taken by the first start of each day.
#include <QString>

inline constexpr int kDailyBackupsKept = 7;

// Copies the open embedded database to "backup/<name>-daily-<yyyyMMdd>.db" in the application
// folder unless today's copy is there or the INI switches it off (DailyBackup=0), and keeps the
// newest kDailyBackupsKept such copies. False with the error report in `report` when the copy
// failed; a server database is left to its own tools.
bool TakeDailyBackup(QString& report);
