#pragma once
// The application log as the log viewer lists it: rows of xxAPLOG chosen by date range and
// optional filters, newest first, with the action's description.
#include "core/Fetched.h"
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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

// One page of the list.
struct ActivityLogPage {
  QList<QStringList> rows;  // display texts in heading order
  qint64 lastRNo = 0;       // the last row's number: the next page starts after it
  bool more = false;        // further rows match after this page
};

// Up to `size` matching rows in the list's order (FileDate, then RNo, newest first) that come
// after the row numbered `after` in that order; none: from the newest. A page starts from its
// key, not from a count of rows, so rows written meanwhile above the key neither repeat nor
// push away a row of the later pages. Free-text filters are bound, never written into the
// statement. A failed statement answers its failure.
Fetched<ActivityLogPage> SelectActivityLogPage(Connection& cnn, const ActivityLogFilter& filter,
                                               std::optional<qint64> after, int size);
// Every matching row in the list's order, read a page at a time so that memory stays the same
// however many rows match; `row` answers false to stop there.
Done ForEachActivityLogRow(Connection& cnn, const ActivityLogFilter& filter,
                           const std::function<bool(const QStringList&)>& row, int pageSize = 2000);
