#pragma once
// The application log as the log viewer lists it: rows of xxAPLOG chosen by date range and
// optional filters, newest first, with the action's description.
#include "core/Fetched.h"
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

struct ActivityLogFilter {
  QDate first;  // invalid: no lower bound
  QDate last;   // invalid: no upper bound; otherwise the whole day is included
  // Each empty text matches every row; a text matches its column exactly (blanks around it
  // are dropped).
  QString actionID;
  QString progID;
  QString userID;
  QString workstation;
  // Empty: every row; otherwise only the rows with this remark (a failure or a refusal).
  QString remark;
};

// The columns of a listed row.
inline const QString kApLogHeadings = QStringLiteral("記錄時間|作業代號|作業說明|記錄內容|備註|使用者|工作站|程式");
inline constexpr int kApLogCols = 8;

// The matching rows, newest first, as display texts in heading order. Free-text filters are
// bound, never written into the statement. A failed statement answers its failure.
Fetched<QList<QStringList>> SelectActivityLogRows(Connection& cnn, const ActivityLogFilter& filter);

