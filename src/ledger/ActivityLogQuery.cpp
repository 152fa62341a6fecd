#include "ledger/ActivityLogQuery.h"

#include "core/Dates.h"
#include "db/Connection.h"
#include "ledger/ReportQueries.h"

#include <QSqlQuery>
#include <QVariantList>
#include <algorithm>

namespace {

constexpr int kRNoCol = kApLogCols;  // selected after the listed columns

QString stamp(const QVariant& v) {
  const auto dt = ToDayAndTime(v);
  if (!dt) return {};
  const QTime t = dt->time;
  // Built by hand: a page shows this for every row.
  const char clock[] = {' ', char('0' + t.hour() / 10), char('0' + t.hour() % 10), ':', char('0' + t.minute() / 10),
                        char('0' + t.minute() % 10), ':', char('0' + t.second() / 10), char('0' + t.second() % 10)};
  return DayForDisplay(dt->day) + QLatin1StringView(clock, sizeof clock);
}

QString text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

QString filterConditions(const Dialect& d, const ActivityLogFilter& f, QVariantList& values) {
  QString sql = DateCondition(d, QStringLiteral("A.FileDate"), f.first, f.last, values);
  const std::pair<const char*, QString> exact[] = {
      {"A.ActionID", f.actionID}, {"A.ProgID", f.progID}, {"A.UserID", f.userID}, {"A.LoginWS", f.workstation}};
  for (const auto& [column, value] : exact) {
    if (value.trimmed().isEmpty()) continue;
    sql += QStringLiteral(" AND ") + QString::fromLatin1(column) + QStringLiteral(" = ?");
    values << value.trimmed();
  }
  if (!f.remark.isEmpty()) {
    sql += QStringLiteral(" AND A.Remark = ?");
    values << f.remark;
  }
  return sql;
}

// The rows after the key row in the list's order. The key's FileDate is read by the database
// itself: PostgreSQL keeps microseconds that a value brought into the program loses, and a
// rounded key would skip the rows in between. The first condition alone lets an index on
// (FileDate, RNo) start the scan at the key.
QString afterCondition(qint64 after, QVariantList& values) {
  const QString keyDate = QStringLiteral("(Select K.FileDate From xxAPLOG K Where K.RNo = ?)");
  values << after << after << after;
  return QStringLiteral(" AND A.FileDate <= ") + keyDate + QStringLiteral(" AND (A.FileDate < ") + keyDate +
         QStringLiteral(" OR A.RNo < ?)");
}

QStringList listedRow(const QSqlQuery& q) {
  QStringList r{stamp(q.value(0))};
  for (int c = 1; c < kApLogCols; ++c) r << text(q.value(c));
  return r;
}

}  // namespace

Fetched<ActivityLogPage> SelectActivityLogPage(Connection& cnn, const ActivityLogFilter& f, std::optional<qint64> after,
                                               int size) {
  QString sql = QStringLiteral(
      "Select A.FileDate , A.ActionID , C.Dscp , A.LogMsg , A.Remark , A.UserID , A.LoginWS , A.ProgID , A.RNo "
      " From xxAPLOG A Left Join xxCODE C On C.CodeType = ? And C.Code = A.ActionID "
      " Where 1 = 1 ");
  QVariantList values{QStringLiteral("TolvaWorkingType")};
  sql += filterConditions(cnn.dialect(), f, values);
  if (after) sql += afterCondition(*after, values);
  sql += QStringLiteral(" Order by A.FileDate Desc , A.RNo Desc ");

  // One row beyond the page tells whether another page follows.
  size = std::max(size, 1);
  ActivityLogPage page;
  const Done read = ForEachRow(cnn, cnn.dialect().firstRows(sql, size + 1), values, [&](const QSqlQuery& q) {
    if (page.rows.size() == size) {
      page.more = true;
      return;
    }
    page.rows << listedRow(q);
    page.lastRNo = q.value(kRNoCol).toLongLong();
  });
  if (!read) return read.failure();
  return page;
}

Done ForEachActivityLogRow(Connection& cnn, const ActivityLogFilter& filter,
                           const std::function<bool(const QStringList&)>& row, int pageSize) {
  std::optional<qint64> after;
  for (;;) {
    const Fetched<ActivityLogPage> page = SelectActivityLogPage(cnn, filter, after, pageSize);
    if (!page) return page.failure;
    for (const QStringList& r : page->rows) {
      if (!row(r)) return {};
    }
    if (!page->more) return {};
    after = page->lastRNo;
  }
}
