#include "ledger/ActivityLogQuery.h"

#include "core/Dates.h"
#include "db/Connection.h"
#include "ledger/ReportQueries.h"

#include <QSqlQuery>
#include <QVariantList>

namespace {

QString stamp(const QVariant& v) {
  const auto dt = ToDateTime(v);
  if (!dt) return {};
  return DateForDisplay(v) + QLatin1Char(' ') + dt->time().toString(QStringLiteral("HH:mm:ss"));
}

QString text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

}  // namespace

Fetched<QList<QStringList>> SelectActivityLogRows(Connection& cnn, const ActivityLogFilter& f) {
  QString sql = QStringLiteral(
      "Select A.FileDate , A.ActionID , C.Dscp , A.LogMsg , A.Remark , A.UserID , A.LoginWS , A.ProgID "
      " From xxAPLOG A Left Join xxCODE C On C.CodeType = ? And C.Code = A.ActionID "
      " Where 1 = 1 ");
  QVariantList values{QStringLiteral("TolvaWorkingType")};
  sql += DateCondition(cnn.dialect(), QStringLiteral("A.FileDate"), f.first, f.last, values);
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
  sql += QStringLiteral(" Order by A.FileDate Desc , A.RNo Desc ");

  QList<QStringList> rows;
  Fetched<QSqlQuery> q = cnn.query(sql, values);
  if (!q) return q.failure;
  while (q->next()) {
    QStringList r{stamp(q->value(0))};
    for (int c = 1; c < kApLogCols; ++c) r << text(q->value(c));
    rows << r;
  }
  return rows;
}
