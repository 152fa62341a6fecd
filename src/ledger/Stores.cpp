#include "ledger/Stores.h"

#include "core/CodePage.h"
#include "db/Connection.h"

#include <QRegularExpression>
#include <QSqlQuery>
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

namespace {

QString cellText(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

Fetched<QList<QStringList>> rowsOf(Fetched<QSqlQuery> q) {
  if (!q) return q.failure;
  QList<QStringList> rows;
  while (q->next()) {
    QStringList cells;
    for (int c = 0; c < q->record().count(); ++c) cells << cellText(q->value(c));
    rows << cells;
  }
  return rows;
}

Fetched<qint64> countOf(const Fetched<QVariant>& n) {
  if (!n) return n.failure;
  return n->toLongLong();
}

}  // namespace

Fetched<QList<QStringList>> StorePickRows(Connection& cnn) {
  return rowsOf(cnn.query(QStringLiteral("Select StoreID , StoreName From Store Where Len(StoreID) <= 3 "
                                         " Order by ListNo , StoreID ")));
}

Fetched<QList<QStringList>> StoreListRows(Connection& cnn) {
  return rowsOf(cnn.query(QStringLiteral("Select StoreID , StoreName , ListNo From Store Order by ListNo , StoreID ")));
}

Fetched<bool> StoreExists(Connection& cnn, const QString& code, QString* name) {
  bool found = false;
  const Done read = ForEachRow(cnn, QStringLiteral("Select StoreName From Store Where StoreID = ?"), {code.trimmed()},
                               [&](const QSqlQuery& q) {
                                 found = true;
                                 if (name) *name = cellText(q.value(0));
                               });
  if (!read) return read.failure();
  return found;
}

Fetched<bool> StoreInUse(Connection& cnn, const QString& code) {
  const QVariantList key{code.trimmed()};
  const Fetched<qint64> cards = countOf(cnn.scalar(QStringLiteral("Select Count(*) From Tolva Where IssueDept = ?"), key));
  if (!cards || *cards > 0) return cards ? Fetched<bool>(true) : Fetched<bool>(cards.failure);
  const Fetched<qint64> rows = countOf(cnn.scalar(QStringLiteral("Select Count(*) From TolvaLog Where TxnDept = ?"), key));
  if (!rows) return rows.failure;
  return *rows > 0;
}

Fetched<int> NextListNo(Connection& cnn) {
  const Fetched<QVariant> last = cnn.scalar(QStringLiteral("Select Max(ListNo) From Store"));
  if (!last) return last.failure;
  return last->isNull() || !last->isValid() ? 1 : last->toInt() + 1;
}

// The values the operator typed are bound, never written into the statement.
Done InsertStore(Connection& cnn, const StoreRow& row) {
  return Done::of(cnn.execute(QStringLiteral("INSERT INTO Store ( StoreID, StoreName, ListNo ) VALUES ( ?, ?, ? ) "),
                              {row.id.trimmed(), row.name.trimmed(), row.listNo}));
}

Fetched<int> UpdateStore(Connection& cnn, const StoreRow& row) {
  return cnn.execute(QStringLiteral("Update Store Set StoreName = ? , ListNo = ? Where StoreID = ?"),
                     {row.name.trimmed(), row.listNo, row.id.trimmed()});
}

Fetched<int> DeleteStore(Connection& cnn, const QString& code) {
  return cnn.execute(QStringLiteral("Delete From Store Where StoreID = ?"), {code.trimmed()});
}
