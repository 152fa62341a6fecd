#include "db/basStore.h"

#include "app/CodePage.h"
#include "db/Connection.h"
#include "db/basADODB.h"
#include "db/basDB.h"

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
  const QString q = QuotText(code);
  if (gCnn().scalar(QStringLiteral("Select Count(*) From Tolva Where IssueDept = ") + q).toLongLong() > 0) return true;
  return gCnn().scalar(QStringLiteral("Select Count(*) From TolvaLog Where TxnDept = ") + q).toLongLong() > 0;
}

int NextListNo() {
  const QVariant last = gCnn().scalar(QStringLiteral("Select Max(ListNo) From Store"));
  return last.isNull() || !last.isValid() ? 1 : last.toInt() + 1;
}

void InsertStore(const StoreRow& row) {
  gCnn().execute(QStringLiteral("INSERT INTO Store ( StoreID, StoreName, ListNo ) VALUES ( ") + QuotText(row.id) +
                 QStringLiteral(", ") + QuotText(row.name) + QStringLiteral(", ") + QString::number(row.listNo) +
                 QStringLiteral(") "));
}

int UpdateStore(const StoreRow& row) {
  return gCnn().execute(QStringLiteral("Update Store Set StoreName = ") + QuotText(row.name) + QStringLiteral(" , ListNo = ") +
                 QString::number(row.listNo) + QStringLiteral(" Where StoreID = ") + QuotText(row.id));
}

int DeleteStore(const QString& code) {
  return gCnn().execute(QStringLiteral("Delete From Store Where StoreID = ") + QuotText(code));
}
