#include "ledger/ReportQueries.h"

#include "core/Dates.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"

#include <QSqlQuery>
#include <QVariantList>
#include <functional>

namespace {

constexpr int kRemarkTail = 12;  // good-thru (8) and the four characters after it

QString text(const QVariant& v) { return v.isNull() ? QString() : v.toString().trimmed(); }

const QString kBalanceTypes = BalanceRowCondition();

// SQLite sums NUMERIC columns as doubles: differences below a hundredth of a cent are noise.
const QString kDiffers = QStringLiteral(" Abs( %1 - %2 ) >= 0.00005 ");

}  // namespace

QString LikePrefix(const QString& code) {
  QString pattern;
  for (const QChar c : code) {
    if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('!')) pattern += QLatin1Char('!');
    pattern += c;
  }
  return pattern + QLatin1Char('%');
}

QString DateCondition(const Dialect& d, const QString& column, const QDate& first, const QDate& last,
                      QVariantList& values) {
  QString sql;
  if (first.isValid()) {
    sql += QStringLiteral(" AND ") + column + QStringLiteral(" >= ?");
    values << d.dayValue(first);
  }
  if (last.isValid()) {
    sql += QStringLiteral(" AND ") + column + QStringLiteral(" < ?");
    values << d.dayValue(last.addDays(1));
  }
  return sql;
}

void SplitIssueRemark(const QString& remark, QString& store, QString& goodThru) {
  goodThru.clear();
  if (remark.size() < kRemarkTail) {
    store = remark;
    return;
  }
  store = remark.left(remark.size() - kRemarkTail);
  const QString digits = remark.mid(store.size(), 8);
  const QDate d = QDate::fromString(digits, QStringLiteral("yyyyMMdd"));
  if (d.isValid()) goodThru = DateForDisplay(d);
}

Fetched<QList<IssueCardRow>> SelectIssuedCards(Connection& cnn, const ReportFilter& f) {
  // The card's master row stands in for a remark too short to cut (the issue window writes the
  // store and a six-digit serial; a re-issue writes none).
  QString sql = QStringLiteral(
      "Select L.CardNo , L.Remark , L.TxnAmt , T.IssueDept , T.GoodThru From TolvaLog L "
      " Left Join Tolva T On T.CardNo = L.CardNo Where ( L.TxnType = ? or L.TxnType = ? ) ");
  QVariantList values{TxnType::Issue, TxnType::Reissue};
  sql += DateCondition(cnn.dialect(), QStringLiteral("L.TxnDate"), f.first, f.last, values);
  if (!f.store.isEmpty()) {
    sql += QStringLiteral(" And L.Remark Like ? Escape '!' ");
    values << LikePrefix(f.store);
  }
  sql += QStringLiteral(" Order by L.TxnDate , L.RNo ");
  QList<IssueCardRow> rows;
  const Done read = ForEachRow(cnn, sql, values, [&rows](const QSqlQuery& q) {
    IssueCardRow r;
    r.cardNo = text(q.value(0));
    const QString remark = text(q.value(1));
    SplitIssueRemark(remark, r.store, r.goodThru);
    if (remark.size() < kRemarkTail && !q.value(3).isNull()) {
      r.store = text(q.value(3));
      r.goodThru = DateForDisplay(ToDay(q.value(4)));
    }
    r.amt = Money::fromVariant(q.value(2));
    rows << r;
  });
  if (!read) return read.failure();
  return rows;
}

Fetched<QMap<QString, QString>> StoreNames(Connection& cnn) {
  QMap<QString, QString> names;
  const Done read = ForEachRow(cnn, QStringLiteral("Select StoreID , StoreName From Store"), {},
                               [&names](const QSqlQuery& q) { names.insert(text(q.value(0)), text(q.value(1))); });
  if (!read) return read.failure();
  return names;
}

Fetched<QList<TxnDetailRow>> SelectTransactionDetails(Connection& cnn, const QStringList& types, const ReportFilter& f, DetailAmounts amounts) {
  QStringList marks;
  QVariantList values;
  for (const QString& t : types) {
    marks << QStringLiteral("?");
    values << t;
  }
  // The card's balance rows before this one: earlier days, and the same day's rows written
  // before it (the journal dates carry no time of day).
  const QString before = QStringLiteral("( Select Coalesce(Sum(P.%1), 0) From TolvaLog P Where P.CardNo = L.CardNo And ") +
                         BalanceRowCondition(QStringLiteral("P.TxnType")) +
                         QStringLiteral(" And ( P.TxnDate < L.TxnDate Or ( P.TxnDate = L.TxnDate And P.RNo < L.RNo ) ) )");
  const bool own = amounts == DetailAmounts::Row;
  QString sql = QStringLiteral("Select L.TxnDate , L.CardNo , L.TxnDept , L.TxnType , ") +
                (own ? QStringLiteral("L.TxnAmt") : before.arg(QStringLiteral("TxnAmt"))) + QStringLiteral(" , ") +
                (own ? QStringLiteral("L.TxnPoint") : before.arg(QStringLiteral("TxnPoint"))) +
                QStringLiteral(" , L.RefCheckNo , L.UserID , L.Remark From TolvaLog L Where L.TxnType In (") +
                marks.join(QStringLiteral(", ")) + QStringLiteral(") ");
  sql += DateCondition(cnn.dialect(), QStringLiteral("L.TxnDate"), f.first, f.last, values);
  if (!f.store.isEmpty()) {
    sql += QStringLiteral(" And L.TxnDept = ? ");
    values << f.store;
  }
  sql += QStringLiteral(" Order by L.TxnDate , L.RNo ");
  QList<TxnDetailRow> rows;
  const Done read = ForEachRow(cnn, sql, values, [&rows](const QSqlQuery& q) {
    rows << TxnDetailRow{ToDay(q.value(0)), text(q.value(1)), text(q.value(2)), text(q.value(3)),
                         text(q.value(6)), text(q.value(7)), text(q.value(8)),
                         Money::fromVariant(q.value(4)), Money::fromVariant(q.value(5))};
  });
  if (!read) return read.failure();
  return rows;
}

int LiabilityBucket(const QDate& goodThru, const QDate& day) {
  if (!goodThru.isValid()) return 4;
  const qint64 days = day.daysTo(goodThru);
  if (days < 0) return 0;
  if (days <= 30) return 1;
  if (days <= 90) return 2;
  if (days <= 365) return 3;
  return 4;
}

QString LiabilitySql(const Dialect& dialect, const QDate& day, QVariantList& values) {
  // A day's balances are today's less what the journal moved after that day. A card counts when
  // it existed then (issued by then, and not a replacement made later) and was live then: live
  // now, or erased or blacklisted only after that day. The codes are the program's own constants.
  const QVariant after = dialect.dayValue(day.addDays(1));
  values = {after, after};
  return QStringLiteral("Select T.IssueDept , T.GoodThru , Count(*) , Sum( Coalesce(T.BalAmt, 0) - Coalesce(L.Amt, 0) ) , "
                        " Sum( Coalesce(T.BalPoint, 0) - Coalesce(L.Pt, 0) ) From Tolva T Left Join ( "
                        " Select CardNo , Sum(Case When ") +
         kBalanceTypes + QStringLiteral(" Then TxnAmt Else 0 End) As Amt , Sum(Case When ") + kBalanceTypes +
         QStringLiteral(" Then TxnPoint Else 0 End) As Pt , "
                        " Max(Case When TxnType In ('%1', '%2') Then 1 Else 0 End) As Born , "
                        " Max(Case When TxnType In ('%3', '%4') Then 1 Else 0 End) As Ended "
                        " From TolvaLog Where TxnDate >= ? Group by CardNo ) L On L.CardNo = T.CardNo "
                        " Where ( T.IssueDate Is Null Or T.IssueDate < ? ) And Coalesce(L.Born, 0) = 0 "
                        " And ( T.Status In ('%5', '%6', '%7') Or ( T.Status In ('%3', '%4') And L.Ended = 1 ) ) "
                        " Group by T.IssueDept , T.GoodThru ")
             .arg(TxnType::Issue, TxnType::Reissue, CardStatus::Erased, CardStatus::Blacklisted, CardStatus::Issued,
                  CardStatus::Sold, CardStatus::Reissued);
}

Fetched<Liability> ComputeLiability(Connection& cnn, const QDate& day) {
  // Aggregated per store and good-thru day by the database; months and buckets are folded here.
  Liability l;
  QVariantList values;
  const QString sql = LiabilitySql(cnn.dialect(), day, values);
  const Done read = ForEachRow(cnn, sql, values, [&l, &day](const QSqlQuery& q) {
    const QDate thru = ToDay(q.value(1));
    const int n = q.value(2).toInt();
    const Money bal = Money::fromVariant(q.value(3)), pts = Money::fromVariant(q.value(4));
    l.byStore[text(q.value(0))].add(n, bal, pts);
    l.byMonth[thru.isValid() ? thru.toString(QStringLiteral("yyyy/MM")) : QString()].add(n, bal, pts);
    l.buckets[LiabilityBucket(thru, day)].add(n, bal, pts);
    l.total.add(n, bal, pts);
  });
  if (!read) return read.failure();
  return l;
}

QList<BoundSql> ReconcileSql() {
  const QString sums = QStringLiteral("Select CardNo , Sum(TxnAmt) As Amt , Sum(TxnPoint) As Pt From TolvaLog Where ") +
                       kBalanceTypes + QStringLiteral(" Group by CardNo");
  return {
      {QStringLiteral("Select T.CardNo , T.BalAmt , Coalesce(J.Amt, 0) , T.BalPoint , Coalesce(J.Pt, 0) From Tolva T "
                      " Left Join ( ") + sums + QStringLiteral(" ) J On J.CardNo = T.CardNo Where ") +
           kDiffers.arg(QStringLiteral("Coalesce(T.BalAmt, 0)"), QStringLiteral("Coalesce(J.Amt, 0)")) + QStringLiteral(" Or ") +
           kDiffers.arg(QStringLiteral("Coalesce(T.BalPoint, 0)"), QStringLiteral("Coalesce(J.Pt, 0)")) +
           QStringLiteral(" Order by T.CardNo"),
       {}},
      {QStringLiteral("Select L.CardNo , Sum(Case When ") + kBalanceTypes + QStringLiteral(" Then L.TxnAmt Else 0 End) , Sum(Case When ") +
           kBalanceTypes +
           QStringLiteral(" Then L.TxnPoint Else 0 End) From TolvaLog L "
                          " Where Not Exists ( Select 1 From Tolva T Where T.CardNo = L.CardNo ) "
                          " Group by L.CardNo Order by L.CardNo"),
       {}},
      {QStringLiteral("Select CardNo From Tolva Where Status = ? And CardNo Not In "
                      " ( Select CardNo From VoidCard Where CardNo Is Not Null ) Order by CardNo"),
       {CardStatus::Blacklisted}},
      {QStringLiteral("Select V.CardNo From VoidCard V Where Not Exists ( Select 1 From Tolva T "
                      " Where T.CardNo = V.CardNo And T.Status = ? ) Order by V.CardNo"),
       {CardStatus::Blacklisted}}};
}

Fetched<QList<ReconcileRow>> SelectDisagreements(Connection& cnn) {
  QList<ReconcileRow> rows;
  const QList<BoundSql> sql = ReconcileSql();
  auto problemOnly = [&rows](const QString& problem) {
    return [&rows, problem](const QSqlQuery& q) { rows << ReconcileRow{text(q.value(0)), problem, {}, {}, {}, {}}; };
  };
  Done read = ForEachRow(cnn, sql[0].sql, sql[0].values, [&rows](const QSqlQuery& q) {
    rows << ReconcileRow{text(q.value(0)), QStringLiteral("餘額不符"), Money::fromVariant(q.value(1)),
                         Money::fromVariant(q.value(2)), Money::fromVariant(q.value(3)), Money::fromVariant(q.value(4))};
  });
  if (read) read = ForEachRow(cnn, sql[1].sql, sql[1].values, [&rows](const QSqlQuery& q) {
    rows << ReconcileRow{text(q.value(0)), QStringLiteral("無主檔資料"), Money(), Money::fromVariant(q.value(1)), Money(),
                         Money::fromVariant(q.value(2))};
  });
  if (read) read = ForEachRow(cnn, sql[2].sql, sql[2].values, problemOnly(QStringLiteral("黑名單未列入VoidCard")));
  if (read) read = ForEachRow(cnn, sql[3].sql, sql[3].values, problemOnly(QStringLiteral("VoidCard非黑名單卡")));
  if (!read) return read.failure();
  return rows;
}

QStringList ReconcileCells(const ReconcileRow& r) {
  return {r.cardNo,
          r.problem,
          r.masterAmt.toString(),
          r.journalAmt.toString(),
          (r.masterAmt - r.journalAmt).toString(),
          r.masterPoint.toString(),
          r.journalPoint.toString(),
          (r.masterPoint - r.journalPoint).toString()};
}
