#include "db/Database.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Ini.h"
#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>

namespace {
// Pre-filled into the password box so that the operator sees where to type.
const QString kPasswordPlaceholder = QStringLiteral("****");

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

bool OpenConnection(const QString& connectionString, Connection& connection, const NewFilePolicy& mayCreate) {
  const Done opened = connection.open(connectionString, mayCreate);
  // The connection string itself never reaches the log: it may hold a password (the
  // connection hid it in its own errors already).
  if (!opened) LogError(ErrorLabel(), opened.failure().number, MaskPassword(opened.failure().description));
  return bool(opened);
}

void SetDBType(Connection* connection, const QString& key) {
  const Dialect d = key.isEmpty() ? (connection ? *connection : gCnn()).dialect() : Dialect::forKey(key);
  EditSettings().dbType = d.name();
  EditSettings().nowFunction = d.nowFunc();
  EditSettings().dateQuote = d.dateQuote();
}

bool OpenMainDatabase(QString& problem) {
  EditSettings().connectionString = ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("GCNT"));
  if (TheSettings().connectionString.indexOf(QLatin1String("SQLOLE"), 0, Qt::CaseInsensitive) > 0 &&
      !TheSettings().connectionString.contains(QLatin1String("Password="), Qt::CaseInsensitive)) {
    EditSettings().dbPassword = Dialogs().inputBox(TheSettings().connectionString, QStringLiteral("資料庫連線密碼"), kPasswordPlaceholder);
    // Quoted when it holds ";" or braces, so that all of it stays the password (and is masked).
    EditSettings().connectionString = TheSettings().connectionString + QStringLiteral(";Password=") + QuoteConnectionValue(TheSettings().dbPassword) + QStringLiteral(";");
  }
  // A SQLite file that is not there is created only in a folder ./run has just prepared, or
  // when the operator says so: a mistyped or moved file must not start an empty database.
  const QString marker = QDir(TheSettings().appPath).absoluteFilePath(QString::fromLatin1(kFreshHomeMarker));
  const bool freshHome = QFile::exists(marker);
  const auto mayCreate = [freshHome](const QString& path) {
    return freshHome || Dialogs().askYesNo(QStringLiteral("資料庫檔案不存在:\r\n") + path +
                                               QStringLiteral("\r\n是否建立新的資料庫?"),
                                           TheSettings().appName);
  };
  const bool connected = OpenConnection(TheSettings().connectionString, gCnn(), mayCreate);
  if (freshHome) QFile::remove(marker);
  if (!connected) {
    problem = QStringLiteral("連線失敗!\r\n") + MaskPassword(TheSettings().connectionString) +
              QStringLiteral("\r\n請檢查GCNT設定:") + TheSettings().iniFile;
    return false;
  }
  SetDBType();
  return true;
}

Connection& gMsgCnn() {
  static Connection* cnn = new Connection;
  return *cnn;
}

bool OpenMessageDatabase(QString& problem) {
  QString file = ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("IDMSG"));
  if (file.isEmpty()) file = QStringLiteral("IDMSG.MDB");
  const QString path = QDir(TheSettings().appPath).absoluteFilePath(file);
  if (FileExists(path)) {
    // The message database is a SQLite file here; its look-up is prepared once to prove
    // that the file really is one.
    // Read-only: the program only looks messages up, and leaves the file's journal as it is.
    if (OpenConnection(QStringLiteral("Provider=SQLite;Data Source=") + QuoteConnectionValue(path) + QStringLiteral(";Mode=Read"),
                   gMsgCnn())) {
      QSqlQuery lookup(gMsgCnn().database());
      if (lookup.prepare(QStringLiteral("Select * From Msg Where MsgID = ?"))) return true;
      gMsgCnn().close();
    }
  }
  problem = QStringLiteral("Error Open MSGDB") + QStringLiteral(":") + path;
  return false;
}

QVariant BoundText(const QVariant& value) {
  const QString text = (value.isNull() ? QString() : value.toString()).trimmed();
  // An empty text is stored as one, never as NULL: the drivers bind a null string as NULL.
  return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

Fetched<QVariant> BoundDate(const QVariant& value, const Dialect& dialect) {
  if (NoDateValue(value)) return QVariant();
  const auto dt = ToDateTime(value);
  if (!dt) return Failure{QStringLiteral("13"), QStringLiteral("Type mismatch: not a date: ") + value.toString()};
  return dialect.dateValue(*dt);
}
