#include "db/basADODB.h"

#include "app/Dates.h"
#include "app/ErrorReport.h"
#include "app/Ini.h"
#include "app/OperatorDialogs.h"
#include "app/Paths.h"
#include "app/globals.h"

#include <QDir>
#include <QSqlQuery>

namespace {
// Pre-filled into the password box so that the operator sees where to type.
const QString kPasswordPlaceholder = QStringLiteral("****");
}  // namespace

Dialect DialectForKey(const QString& key) {
  if (key == QLatin1String("SQLOLED")) return {QStringLiteral("MS_SQL"), QStringLiteral("getDate()"), QStringLiteral("'")};
  if (key == QLatin1String("MSDAORA")) return {QStringLiteral("ORACLE"), QStringLiteral("SYSDATE"), QStringLiteral("TO_DATE")};
  if (key == QLatin1String("MSDASQL")) return {QStringLiteral("PG_SQL"), QStringLiteral("now()"), QStringLiteral("'")};
  if (key == QLatin1String("MICROSO")) return {QStringLiteral("ACCESS"), QStringLiteral("now()"), QStringLiteral("#")};
  if (key == QLatin1String("POSTGRE")) return {QStringLiteral("PG_SQL"), QStringLiteral("now()"), QStringLiteral("'")};
  // The embedded default; now() is registered on every SQLite connection.
  if (key == QLatin1String("SQLITE")) return {QStringLiteral("SQLITE"), QStringLiteral("now()"), QStringLiteral("'")};
  return {QStringLiteral("SQL_DB"), QStringLiteral("getDate()"), QStringLiteral("'")};
}

QString ProviderKey(const QString& provider, const QString& connectionString) {
  if (connectionString.indexOf(QLatin1String("PostgreSQL"), 0, Qt::CaseInsensitive) > 0) return QStringLiteral("POSTGRE");
  return provider.left(7).toUpper();
}

bool ConnectADO(const QString& connectionString, Connection& connection) {
  try {
    connection.open(connectionString);
    return true;
  } catch (...) {
    // The connection string itself never reaches the log: it may hold a password.
    QString number, description;
    CurrentErrorInfo(number, description);
    LogError(QStringLiteral("ConnectADO"), number, MaskPassword(description));
    return false;
  }
}

void SetDBType(Connection* connection, const QString& key) {
  Connection& cnn = connection ? *connection : gCnn();
  QString k = ProviderKey(cnn.provider(), cnn.connectionString());
  if (!key.isEmpty()) k = key;
  const Dialect d = DialectForKey(k);
  gDBType = d.name;
  gNowFunc = d.nowFunc;
  gDateQuote = d.dateQuote;
}

bool InitINIgCNT() {
  try {
    gCNT = GetINI(gIniFile, QStringLiteral("PARAM"), QStringLiteral("GCNT"));
    if (gCNT.indexOf(QLatin1String("SQLOLE"), 0, Qt::CaseInsensitive) > 0 &&
        !gCNT.contains(QLatin1String("Password="), Qt::CaseInsensitive)) {
      gDBPassword = Dialogs().inputBox(gCNT, QStringLiteral("資料庫連線密碼"), kPasswordPlaceholder);
      gCNT = gCNT + QStringLiteral(";Password=") + gDBPassword + QStringLiteral(";");
    }
    if (!ConnectADO(gCNT, gCnn())) {
      Dialogs().messageBox(QStringLiteral("連線失敗!\r\n") + MaskPassword(gCNT) +
                               QStringLiteral("\r\n請檢查GCNT設定:") + gIniFile,
                           gAppName, MsgIcon::None);
      return false;
    }
    SetDBType();
    return true;
  } catch (...) {
    LogError(QStringLiteral("basADODB_InitINIgCNT"));
    return false;
  }
}

Connection& gMsgCnn() {
  static Connection* cnn = new Connection;
  return *cnn;
}

bool InitMsgDB() {
  QString file = GetINI(gIniFile, QStringLiteral("PARAM"), QStringLiteral("IDMSG"));
  if (file.isEmpty()) file = QStringLiteral("IDMSG.MDB");
  const QString path = QDir(gAppPath).absoluteFilePath(file);
  if (IsFile(path)) {
    // The message database is a SQLite file here; its look-up is prepared once to prove
    // that the file really is one.
    if (ConnectADO(QStringLiteral("Provider=SQLite;Data Source=") + path, gMsgCnn())) {
      QSqlQuery lookup(gMsgCnn().database());
      if (lookup.prepare(QStringLiteral("Select * From Msg Where MsgID = ?"))) return true;
      gMsgCnn().close();
    }
  }
  gMsg = QStringLiteral("Error Open MSGDB") + QStringLiteral(":") + path;
  Dialogs().messageBox(gMsg.toString(), gAppName, MsgIcon::Information);
  return false;
}

QString QuotText(const QVariant& value) {
  QString s = value.isNull() ? QString() : value.toString();
  s.replace(QLatin1String("'"), QLatin1String("''"));
  return QLatin1Char('\'') + s.trimmed() + QLatin1Char('\'');
}

QVariant QuotStr(const QVariant& value) { return QuotText(value); }

namespace {
bool NoDateValue(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::UnknownType: return true;
    case QMetaType::QDate: return value.toDate().isNull();
    case QMetaType::QDateTime: return value.toDateTime().isNull();
    case QMetaType::QString:
    case QMetaType::QByteArray: return value.toString().trimmed().isEmpty();
    default: return value.isNull();
  }
}
}  // namespace

QString QuotDate(const QVariant& value, const QString& provider) {
  // No value is no date; a value that is not a date is a caller's mistake (display text, say),
  // which must not turn a condition into "= NULL" that quietly matches nothing.
  if (NoDateValue(value)) return QStringLiteral("NULL");
  const auto dt = ToDateTime(value);
  if (!dt) throw TolvaError(QStringLiteral("13"), QStringLiteral("Type mismatch: not a date: ") + value.toString());
  const QString t = dt->toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
  if (gDateQuote == QLatin1String("TO_DATE") || provider == QLatin1String("MSDAORA")) {
    return QStringLiteral("TO_DATE('") + t + QStringLiteral("','YYYY/MM/DD HH24:MI:SS')");
  }
  return gDateQuote + t + gDateQuote;
}
