#include "ledger/Stores.h"

#include "core/CodePage.h"
#include "db/Connection.h"
#include "db/Parameters.h"

#include <QRegularExpression>
#include <QSqlRecord>

QString StoreCodeProblem(const QString& code) {
  const QString c = code.trimmed();
  if (c.isEmpty()) return QStringLiteral("請輸入店代號");
  if (c.size() > 3) return QStringLiteral("店代號最多三個字");
  // The stripe keeps the store in three bytes of the code page; a wider code would be cut.
  if (CodePage::byteLength(c) > 3 || CodePage::fromAnsi(CodePage::toAnsi(c)) != c) {
    return QStringLiteral("店代號請用半形英數字");
  }
  return QString();
}

QString ListNoProblem(const QString& text) {
  static const QRegularExpression whole(QStringLiteral("^[+-]?\\d{1,9}$"));
  const QString t = text.trimmed();
  if (t.isEmpty() || whole.match(t).hasMatch()) return QString();
  return QStringLiteral("順序請輸入整數");
}

QString StorePickerSql() {
  return QStringLiteral("Select StoreID , StoreName From Store ") + QStringLiteral(" Where Len(StoreID) <= 3 ") +
         QStringLiteral(" Order by ListNo , StoreID ");
}

bool StoreExists(const QString& code, QString* name) {
  QSqlRecord row;
  if (!QryByKeyText(QStringLiteral("Store"), QStringLiteral("StoreID"), code, &row)) return false;
  if (name) {
    const QVariant v = row.value(QStringLiteral("StoreName"));
    *name = v.isNull() ? QString() : v.toString();
  }
  return true;
}

bool StoreInUse(const QString& code) {
  const QVariantList key{code.trimmed()};
  if (gCnn().scalar(QStringLiteral("Select Count(*) From Tolva Where IssueDept = ?"), key).toLongLong() > 0) return true;
  return gCnn().scalar(QStringLiteral("Select Count(*) From TolvaLog Where TxnDept = ?"), key).toLongLong() > 0;
}

int NextListNo() {
  const QVariant last = gCnn().scalar(QStringLiteral("Select Max(ListNo) From Store"));
  return last.isNull() || !last.isValid() ? 1 : last.toInt() + 1;
}

// The values the operator typed are bound, never written into the statement.
void InsertStore(const StoreRow& row) {
  gCnn().execute(QStringLiteral("INSERT INTO Store ( StoreID, StoreName, ListNo ) VALUES ( ?, ?, ? ) "),
                 {row.id.trimmed(), row.name.trimmed(), row.listNo});
}

int UpdateStore(const StoreRow& row) {
  return gCnn().execute(QStringLiteral("Update Store Set StoreName = ? , ListNo = ? Where StoreID = ?"),
                        {row.name.trimmed(), row.listNo, row.id.trimmed()});
}

int DeleteStore(const QString& code) {
  return gCnn().execute(QStringLiteral("Delete From Store Where StoreID = ?"), {code.trimmed()});
}
