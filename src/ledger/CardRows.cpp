#include "ledger/CardRows.h"

#include "core/ErrorReport.h"
#include "core/Money.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"

#include <QStringList>

namespace {

// Runs the INSERT and fetches the key this connection generated (never another session's).
QVariant insertRow(Connection& cnn, const QString& sql) {
  cnn.execute(sql);
  const QVariant id = cnn.lastInsertId();
  if (!id.isValid() || id.isNull()) {
    throw TolvaError(QStringLiteral("-1"), QStringLiteral("No generated row number after: ") + sql);
  }
  return id.toLongLong();
}

}  // namespace

QString InsertStatement(const QString& table, const QStringList& columns, const QStringList& values) {
  QString sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" ( ");
  for (qsizetype i = 0; i < columns.size(); ++i) {
    sql += QLatin1Char(' ') + columns[i] + (i + 1 < columns.size() ? QStringLiteral(", ") : QStringLiteral(" "));
  }
  return sql + QStringLiteral(" ) VALUES ( ") + values.join(QStringLiteral(", ")) + QStringLiteral(") ");
}

QString SqlNumber(const QVariant& value) { return Money::fromVariant(value).toString(); }

bool InsertJournalRow(JournalRow& rec, Connection& cnn) {
  try {
    const Dialect& d = cnn.dialect();
    const QStringList columns{QStringLiteral("TxnDept"), QStringLiteral("TxnType"),  QStringLiteral("CardNo"),
                              QStringLiteral("TxnDate"), QStringLiteral("TxnAmt"),   QStringLiteral("TxnPoint"),
                              QStringLiteral("RefCheckNo"), QStringLiteral("POSID"), QStringLiteral("UserID"),
                              QStringLiteral("Remark"),  QStringLiteral("FileDate")};
    const QStringList values{QuotText(rec.TxnDept), QuotText(rec.TxnType),    QuotText(rec.CardNo),
                             QuotDate(rec.TxnDate, d), SqlNumber(rec.TxnAmt), SqlNumber(rec.TxnPoint),
                             QuotText(rec.RefCheckNo), QuotText(rec.POSID),  QuotText(rec.UserID),
                             QuotText(rec.Remark),  d.nowFunc()};
    rec.RNo = insertRow(cnn, InsertStatement(QStringLiteral("TolvaLog"), columns, values));
    return true;
  } catch (...) {
    ReportError(QStringLiteral("ADD_TolvaLog"));
    return false;
  }
}

bool InsertCard(CardRow& rec, Connection& cnn) {
  try {
    const Dialect& d = cnn.dialect();
    const QStringList columns{QStringLiteral("BatchNo"),   QStringLiteral("CardType"),  QStringLiteral("CardNo"),
                              QStringLiteral("Status"),    QStringLiteral("IssueDate"), QStringLiteral("FirstDate"),
                              QStringLiteral("LastDate"),  QStringLiteral("GoodThru"),  QStringLiteral("BalAmt"),
                              QStringLiteral("BalPoint"),  QStringLiteral("IssueDept"), QStringLiteral("OCardNo"),
                              QStringLiteral("POSID"),     QStringLiteral("UserID"),    QStringLiteral("UpdUserID"),
                              QStringLiteral("Remark"),    QStringLiteral("FileDate")};
    const QStringList values{QuotText(rec.BatchNo),   QuotText(rec.CardType),  QuotText(rec.CardNo),
                             QuotText(rec.Status),    QuotDate(rec.IssueDate, d), QuotDate(rec.FirstDate, d),
                             QuotDate(rec.LastDate, d), QuotDate(rec.GoodThru, d), SqlNumber(rec.BalAmt),
                             SqlNumber(rec.BalPoint), QuotText(rec.IssueDept), QuotText(rec.OCardNo),
                             QuotText(rec.POSID),     QuotText(rec.UserID),    QuotText(rec.UpdUserID),
                             QuotText(rec.Remark),    d.nowFunc()};
    rec.RNo = insertRow(cnn, InsertStatement(QStringLiteral("Tolva"), columns, values));
    return true;
  } catch (...) {
    ReportError(QStringLiteral("ADD_Tolva"));
    return false;
  }
}

bool InsertBlacklistRow(BlacklistRow& rec, Connection& cnn) {
  try {
    rec.RNo = insertRow(cnn, InsertStatement(QStringLiteral("VoidCard"), {QStringLiteral("CardNo"), QStringLiteral("Remark")},
                                             {QuotText(rec.CardNo), QuotText(rec.Remark)}));
    return true;
  } catch (...) {
    ReportError(QStringLiteral("ADD_VoidCard"));
    return false;
  }
}
