#include "db/Parameters.h"

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Database.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// The program-side numbering: read the row, create it when missing, write the next number
// back. It runs inside the caller's transaction, or in one of its own; on SQLite a
// transaction holds the write lock from its start, so two processes never read the same
// row value.
Fetched<qint64> drawInProgram(Connection& cnn, const QString& noCode, const QString& noBy) {
  std::optional<TransactionGuard> own;
  if (!cnn.inTransaction()) {
    own.emplace(cnn);
    if (!own->begun()) return own->begun().failure();
  }
  const QString now = cnn.dialect().nowFunc();
  std::optional<qint64> current;
  {
    Fetched<QSqlQuery> q = cnn.query(QStringLiteral("SELECT NoNext FROM xxNO WHERE NoCode = ? AND NoBy = ?"),
                                     {BoundText(noCode), BoundText(noBy)});
    if (!q) return q.failure;
    if (q->next()) current = q->value(QStringLiteral("NoNext")).toLongLong();
  }
  const qint64 next = current.value_or(1);
  const Fetched<int> written =
      current ? cnn.execute(QStringLiteral("UPDATE xxNO SET NoNext = ?, UpdDate = %1 WHERE NoCode = ? AND NoBy = ?").arg(now),
                            {next + 1, BoundText(noCode), BoundText(noBy)})
              : cnn.execute(QStringLiteral("INSERT INTO xxNO (NoCode, NoBy, NoNext, FileDate) VALUES (?, ?, 2, %1)").arg(now),
                            {BoundText(noCode), BoundText(noBy)});
  if (!written) return written.failure;
  if (own) {
    if (const Done committed = own->commit(); !committed) return committed.failure();
  }
  return next;
}

// The database's own numbering routine (the getnonext function, the getNoNext procedure):
// the number and its text form in the first row.
bool drawByRoutine(Connection& cnn, const QString& noCode, const QString& noBy, qint64& next, QString& text) {
  Fetched<QSqlQuery> q = cnn.query(cnn.dialect().numberingQuery(), {BoundText(noCode), BoundText(noBy)});
  if (!q) {
    LogError(ErrorLabel(), q.failure);
    return false;
  }
  if (!q->next() || q->value(0).isNull()) return false;
  next = q->value(0).toLongLong();
  text = q->value(1).toString();
  return true;
}

bool isIdentifier(const QString& name) {
  static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  return re.match(name).hasMatch();
}

}  // namespace

bool ReadParamValue(const QString& paramID, QString& value) {
  value.clear();
  const Fetched<QVariant> v = gCnn().scalar(QStringLiteral("SELECT ParamValue FROM xxPARAM WHERE ParamID = ?"), {BoundText(paramID)});
  if (!v) {
    LogError(ErrorLabel(), v.failure);
    return false;
  }
  value = v->isNull() ? QString() : v->toString();
  return !value.isEmpty();
}

bool SetParamValue(const QString& paramID, const QString& value) {
  const QString now = gCnn().dialect().nowFunc();
  Fetched<int> changed = gCnn().execute(QStringLiteral("UPDATE xxPARAM SET ParamValue = ?, UpdDate = %1 WHERE ParamID = ?").arg(now),
                                        {BoundText(value), BoundText(paramID)});
  if (changed && *changed <= 0) {
    changed = gCnn().execute(QStringLiteral("INSERT INTO xxPARAM (ParamID, ParamValue, FileDate) VALUES (?, ?, %1)").arg(now),
                             {BoundText(paramID), BoundText(value)});
  }
  if (!changed) LogErrorToShow(ErrorLabel(), changed.failure);
  return bool(changed);
}

bool CodeDescription(const QString& codeType, const QString& code, QString& dscp) {
  dscp.clear();
  Fetched<QSqlQuery> q = gCnn().query(QStringLiteral("SELECT Dscp FROM xxCODE WHERE CodeType = ? AND Code = ?"),
                                      {BoundText(codeType), BoundText(code)});
  if (!q) {
    // Screens look codes up row by row; a failure falls back to the code, without a box per row.
    LogError(ErrorLabel(), q.failure);
    return false;
  }
  if (!q->next()) return false;
  const QVariant v = q->value(QStringLiteral("Dscp"));
  dscp = v.isNull() ? QString() : v.toString();
  return true;
}

QString CodeDescription(const QString& codeType, const QString& code) {
  QString dscp;
  CodeDescription(codeType, code, dscp);
  return dscp;
}

void WriteActivityLog(const QString& progID, const QString& actionID, const QString& logMsg,
                const std::optional<QString>& remark) {
  QVariantList values{BoundText(TheSettings().operatorId), BoundText(TheSettings().workstation), BoundText(progID),
                        BoundText(actionID), BoundText(logMsg)};
    QString sql = QStringLiteral("INSERT INTO xxAPLOG (UserID, LoginWS, ProgID, ActionID, LogMsg, ");
    QString marks = QStringLiteral("?, ?, ?, ?, ?, ");
    if (remark) {
      sql += QStringLiteral("Remark, ");
      marks += QStringLiteral("?, ");
      values << BoundText(*remark);
    }
  const Fetched<int> written =
      gCnn().execute(sql + QStringLiteral("FileDate) VALUES (") + marks + gCnn().dialect().nowFunc() + QStringLiteral(")"), values);
  if (!written) LogError(ErrorLabel(), written.failure);
}

QString NumberText(qint64 number) {
  return number >= 0 && number < 1000000 ? QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0')) : QString::number(number);
}

bool NextNumber(const QString& noCode, const QString& noBy, qint64& next, QString& nextText, Connection& cnn,
                QString* error) {
  bool drawn = false;
  if (cnn.dialect().numbering() == Numbering::InProgram) {
    const Fetched<qint64> number = drawInProgram(cnn, noCode, noBy);
    if (!number) LogError(ErrorLabel(), number.failure);
    drawn = bool(number);
    if (number) {
      next = *number;
      nextText = NumberText(next);
    }
  } else {
    drawn = drawByRoutine(cnn, noCode, noBy, next, nextText);
  }
  if (!drawn) {
    const QString text = QStringLiteral("編號程序錯誤-") + QStringLiteral("NoCode:") + noCode + QStringLiteral("/NoBy:") + noBy;
    WriteActivityLog(TheSettings().appName, QStringLiteral("BASADODB"), text);
    if (error) *error = text;
  }
  return drawn;
}

Fetched<bool> FindRowByKey(const QString& table, const QString& keyField, const QString& keyText, QSqlRecord* row) {
  if (!isIdentifier(table) || !isIdentifier(keyField)) {
    return Failure{QStringLiteral("5"), QStringLiteral("Invalid table or column name: ") + table + QLatin1Char('.') + keyField};
  }
  Fetched<QSqlQuery> q = gCnn().query(QStringLiteral("Select * From ") + table + QStringLiteral(" Where ") + keyField +
                                          QStringLiteral(" = ?"),
                                      {keyText.trimmed()});
  if (!q) return q.failure;
  if (!q->next()) return false;
  if (row) *row = q->record();
  return true;
}

Fetched<QString> StoredParamValue(Connection& cnn, const QString& paramID) {
  const Fetched<QVariant> v = cnn.scalar(QStringLiteral("Select ParamValue From xxPARAM Where ParamID = ?"), {paramID});
  if (!v) return v.failure;
  return v->isNull() || !v->isValid() ? QString() : v->toString();
}

Fetched<QList<QStringList>> CodeRows(Connection& cnn, const QString& codeType) {
  Fetched<QSqlQuery> q = cnn.query(QStringLiteral("Select Code , Dscp From xxCODE Where CodeType = ? Order by Code"), {codeType});
  if (!q) return q.failure;
  QList<QStringList> rows;
  while (q->next()) {
    rows << QStringList{q->value(0).isNull() ? QString() : q->value(0).toString(),
                        q->value(1).isNull() ? QString() : q->value(1).toString()};
  }
  return rows;
}
