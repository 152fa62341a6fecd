#include "ledger/CardQuery.h"

#include "core/Dates.h"
#include "core/Money.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "ledger/Stores.h"

#include <QHash>
#include <QSqlQuery>
#include <optional>

namespace {

QString text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }
QString number(const QVariant& v) { return Money::fromVariant(v).toString(); }
QString date(const QVariant& v) { return DateForDisplay(v); }

// Master columns in select order, each with its field and display rule.
enum class Shown { Text, Number, Date };
struct MasterColumn {
  const char* column;
  const char* field;
  Shown shown;
};
constexpr MasterColumn kMaster[] = {
    {"BatchNo", "txtBatchNo", Shown::Text},     {"CardType", "txtCardType", Shown::Text},
    {"CardNo", "txtCardNo", Shown::Text},       {"Status", "txtStatus", Shown::Text},
    {"IssueDate", "txtIssueDate", Shown::Date}, {"FirstDate", "txtFirstDate", Shown::Date},
    {"LastDate", "txtLastDate", Shown::Date},   {"GoodThru", "txtGoodThru", Shown::Date},
    {"BalAmt", "txtBalAmt", Shown::Number},     {"BalPoint", "txtBalPoint", Shown::Number},
    {"IssueDept", "txtIssueDept", Shown::Text}, {"OCardNo", "txtOCardNo", Shown::Text},
    {"POSID", "txtPosID", Shown::Text},         {"UserID", "txtUserID", Shown::Text},
    {"Remark", "txtRemark", Shown::Text},
};

QString display(const QVariant& v, Shown shown) {
  switch (shown) {
    case Shown::Number: return number(v);
    case Shown::Date: return date(v);
    case Shown::Text: break;
  }
  return text(v);
}

const QString& masterSql() {
  static const QString sql = [] {
    QStringList columns;
    for (const MasterColumn& m : kMaster) columns << QString::fromLatin1(m.column);
    return QStringLiteral("Select ") + columns.join(QStringLiteral(" , ")) + QStringLiteral(" From Tolva Where CardNo = ?");
  }();
  return sql;
}

// The history with its store names and type descriptions in one statement: a card with
// thousands of rows costs one round trip, not two per row.
const QString kHistorySql = QStringLiteral(
    "Select L.RNo , L.TxnDept , S.StoreName , L.TxnType , C.Dscp , L.CardNo , L.TxnDate , L.TxnAmt , "
    " L.TxnPoint , L.RefCheckNo , L.POSID , L.UserID , L.Remark , L.FileDate , C.Code "
    " From TolvaLog L "
    " Left Join Store S On S.StoreID = L.TxnDept "
    " Left Join xxCODE C On C.CodeType = ? And C.Code = L.TxnType "
    " Where L.CardNo = ? Order by L.FileDate , L.RNo ");

// The day of a date value, or of a text in the embedded database's stored form
// "YYYY/MM/DD hh:mm:ss" read without a pattern match; nothing for any other value.
std::optional<QDate> storedDay(const QVariant& v) {
  if (v.typeId() == QMetaType::QDateTime && v.toDateTime().isValid()) return v.toDateTime().date();
  if (v.typeId() == QMetaType::QDate && v.toDate().isValid()) return v.toDate();
  if (v.typeId() != QMetaType::QString) return std::nullopt;
  const QString s = v.toString();
  static constexpr char kForm[] = "9999/99/99 99:99:99";
  if (s.size() != qsizetype(sizeof(kForm) - 1)) return std::nullopt;
  for (qsizetype i = 0; i < s.size(); ++i) {
    const bool digit = s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9');
    if (kForm[i] == '9' ? !digit : s[i] != QLatin1Char(kForm[i])) return std::nullopt;
  }
  auto num = [&s](int at, int len) { return QStringView(s).mid(at, len).toInt(); };
  const QDate d(num(0, 4), num(5, 2), num(8, 2));
  if (!d.isValid() || !QTime::isValid(num(11, 2), num(14, 2), num(17, 2))) return std::nullopt;
  return d;
}

// Display texts of a history load. A long history repeats its amounts, so each distinct one
// is converted once.
class HistoryTexts {
public:
  QString date(const QVariant& v) {
    const auto day = storedDay(v);
    return day ? DayForDisplay(*day) : ::date(v);
  }
  QString number(const QVariant& v) {
    switch (v.isNull() ? QMetaType::UnknownType : v.typeId()) {
      case QMetaType::Double: return cached(doubles_, v.toDouble(), v);
      case QMetaType::LongLong:
      case QMetaType::Int: return cached(integers_, v.toLongLong(), v);
      case QMetaType::QString: return cached(texts_, v.toString(), v);
      default: return ::number(v);
    }
  }

private:
  template <typename Key>
  static QString cached(QHash<Key, QString>& cache, const Key& key, const QVariant& v) {
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, ::number(v));
    return *it;
  }

  QHash<double, QString> doubles_;
  QHash<qint64, QString> integers_;
  QHash<QString, QString> texts_;
};

Fetched<QList<QStringList>> loadHistory(Connection& cnn, const QString& cardNo) {
  QList<QStringList> rows;
  HistoryTexts texts;
  const Done read = ForEachRow(cnn, kHistorySql, {QStringLiteral("TolvaLogType"), cardNo}, [&](const QSqlQuery& q) {
    QStringList r;
    r.reserve(kCardLogCols);
    for (int c = 0; c < kCardLogCols; ++c) {
      const QVariant v = q.value(c);
      if (c == 6 || c == 13) r << texts.date(v);
      else if (c == 7 || c == 8) r << texts.number(v);
      else r << text(v);
    }
    // A type without a description shows its code.
    if (q.value(14).isNull()) r[4] = r[3];
    rows << r;
  });
  if (!read) return read.failure();
  return rows;
}

CardQuery masterOf(const QSqlQuery& q) {
  CardQuery r;
  for (int i = 0; i < int(std::size(kMaster)); ++i) {
    r.fields.insert(QString::fromLatin1(kMaster[i].field), display(q.value(i), kMaster[i].shown));
  }
  r.batchNo = text(q.value(0));
  r.goodThru = q.value(7);
  r.balAmt = q.value(8);
  r.balPoint = q.value(9);
  r.issueDept = text(q.value(10));
  return r;
}

}  // namespace

const QStringList& CardQueryFieldNames() {
  static const QStringList names = [] {
    QStringList n;
    for (const MasterColumn& m : kMaster) n << QString::fromLatin1(m.field);
    n << QStringLiteral("txtStatusDscp") << QStringLiteral("txtDeptName");
    return n;
  }();
  return names;
}

Fetched<bool> LoadCardQuery(Connection& cnn, const QString& cardNo, CardQuery& out) {
  const QString key = cardNo.trimmed();
  std::optional<CardQuery> card;
  const Done read = ForEachRow(cnn, masterSql(), {key}, [&card](const QSqlQuery& q) { card = masterOf(q); });
  if (!read) return read.failure();
  if (!card) return false;
  CardQuery& r = *card;

  const QString status = r.fields.value(QStringLiteral("txtStatus"));
  QString dscp;
  r.fields.insert(QStringLiteral("txtStatusDscp"), CodeDescription(QStringLiteral("TolvaStatus"), status, dscp) ? dscp : status);
  QString storeName;
  const Fetched<bool> store = StoreExists(cnn, r.issueDept, &storeName);
  if (!store.ok()) return store.failure;
  if (!*store) storeName.clear();
  r.fields.insert(QStringLiteral("txtDeptName"), storeName);
  Fetched<QList<QStringList>> history = loadHistory(cnn, key);
  if (!history) return history.failure;
  r.history = std::move(*history);
  out = std::move(r);
  return true;
}
