#pragma once
// Shared database routines beside the card tables: parameters, code descriptions, serial
// numbering, the application log and a keyed look-up.
#include "db/Connection.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QSqlRecord;

// The value of a parameter row. True when the row exists and its value is not empty (a NULL
// reads as empty). Never raises: errors are logged silently and answer false.
bool ReadParamValue(const QString& paramID, QString& value);
// Stores a parameter, inserting its row (with FileDate) when there is none, otherwise
// updating it (with UpdDate). False when it failed (the error log has the report).
bool SetParamValue(const QString& paramID, const QString& value);

// The description of a code (xxCODE). True when the code has a row; errors are logged
// silently and answer false, so that a caller can fall back to the code itself.
bool CodeDescription(const QString& codeType, const QString& code, QString& dscp);
// The description, empty when there is none.
QString CodeDescription(const QString& codeType, const QString& code);

// Appends one application log row with the user and workstation. The Remark column is
// written only when a remark is given (an empty text is a remark). Never raises: errors are
// logged silently.
void WriteActivityLog(const QString& progID, const QString& actionID, const QString& logMsg,
                const std::optional<QString>& remark = std::nullopt);

// Draws the next number of the pair NoCode/NoBy and advances it, on the given connection and
// inside its transaction when one is open (a rollback gives the number back). `nextText` is
// the number zero-filled to six digits ("000042"; longer numbers in full). On failure the
// numbering error text goes to the application log and into `error`, and the answer is false.
bool NextNumber(const QString& noCode, const QString& noBy, qint64& next, QString& nextText,
                Connection& cnn = gCnn(), QString* error = nullptr);
// The text form of a drawn number.
QString NumberText(qint64 number);

// Looks up the first row of `table` whose column `keyField` equals `keyText`. True when there
// is one; `row`, when given, receives it. Table and column are names the program passes (a
// name that is not a plain identifier is refused); the key text is bound, trimmed. Errors raise to
// the caller's trap, so that a failed look-up is never taken for "not found".
Fetched<bool> FindRowByKey(const QString& table, const QString& keyField, const QString& keyText,
                  QSqlRecord* row = nullptr);

// The stored value of a parameter as it is (empty when there is no row or it is NULL).
// Statement errors raise, so that a failed read is never taken for "not set".
Fetched<QString> StoredParamValue(Connection& cnn, const QString& paramID);

// The codes of a type with their descriptions, by code: for a code picker. Statement errors raise.
Fetched<QList<QStringList>> CodeRows(Connection& cnn, const QString& codeType);
