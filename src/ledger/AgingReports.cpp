#include "ledger/AgingReports.h"

#include "core/Dates.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"

#include <QMap>
#include <QSqlQuery>

namespace {

QString text(const QVariant& v) { return v.isNull() ? QString() : v.toString().trimmed(); }

// The statuses of cards in customers' hands, as an SQL list.
QString heldStatuses() { return QStringLiteral("('%1', '%2')").arg(CardStatus::Sold, CardStatus::Reissued); }

int dormancyBucket(int months) {
  if (months < 6) return 0;
  if (months < 12) return 1;
  if (months < 24) return 2;
  if (months < 36) return 3;
  return 4;
}

QString monthOf(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM")); }

// One issue day's rows on one day: what they loaded and redeemed.
struct DayPair {
  QDate issued, on;
  Money loaded, redeemed;
};

Fetched<QList<DayPair>> redemptionRows(Connection& cnn) {
  const QString loads = QStringLiteral("'%1', '%2', '%3', '%4'").arg(TxnType::Issue, TxnType::Reissue, TxnType::TopUp, TxnType::VoidTopUp);
  const QString redemptions = QStringLiteral("'%1', '%2'").arg(TxnType::Deduct, TxnType::VoidDeduct);
  QList<DayPair> rows;
  const Done read = ForEachRow(
      cnn,
      QStringLiteral("Select I.Day , L.TxnDate , Sum(Case When L.TxnType In (%1) Then L.TxnAmt Else 0 End) , "
                     " Sum(Case When L.TxnType In (%2) Then L.TxnAmt Else 0 End) From ( Select CardNo , Min(TxnDate) As Day "
                     " From TolvaLog Where TxnType In ('%3', '%4') Group by CardNo ) I Join TolvaLog L On L.CardNo = I.CardNo "
                     " Where L.TxnType In (%1, %2) Group by I.Day , L.TxnDate ")
          .arg(loads, redemptions, TxnType::Issue, TxnType::Reissue),
      {}, [&rows](const QSqlQuery& q) {
        rows << DayPair{ToDay(q.value(0)), ToDay(q.value(1)), Money::fromVariant(q.value(2)),
                        Money() - Money::fromVariant(q.value(3))};
      });
  if (!read) return read.failure();
  return rows;
}

Fetched<QMap<QString, qint64>> cardsByIssueMonth(Connection& cnn) {
  QMap<QString, qint64> cards;
  const Done read = ForEachRow(cnn,
                               QStringLiteral("Select Day , Count(*) From ( Select CardNo , Min(TxnDate) As Day From TolvaLog "
                                              " Where TxnType In ('%1', '%2') Group by CardNo ) I Group by Day ")
                                   .arg(TxnType::Issue, TxnType::Reissue),
                               {}, [&cards](const QSqlQuery& q) { cards[monthOf(ToDay(q.value(0)))] += q.value(1).toLongLong(); });
  if (!read) return read.failure();
  return cards;
}

}  // namespace

QStringList AgingCells(const AgingBucket& b) {
  return {b.label, QString::number(b.cards), b.amt.toString(), b.points.toString()};
}

BoundSql DormancySql() {
  const QString activity = QStringLiteral("'%1', '%2', '%3', '%4', '%5'")
                               .arg(TxnType::Sale, TxnType::TopUp, TxnType::Deduct, TxnType::DeductPoint, TxnType::CounterSale);
  return {QStringLiteral("Select T.CardNo , T.IssueDept , S.StoreName , Coalesce(A.LastDate, T.FirstDate, T.IssueDate) As Last , "
                         " T.BalAmt , T.BalPoint From Tolva T Left Join ( Select CardNo , Max(TxnDate) As LastDate From TolvaLog "
                         " Where TxnType In (%1) Group by CardNo ) A On A.CardNo = T.CardNo Left Join Store S On S.StoreID = T.IssueDept "
                         " Where T.Status In %2 And T.BalAmt > 0 Order by Last , T.CardNo ")
              .arg(activity, heldStatuses()),
          {}};
}

BoundSql ExpirySql() {
  return {QStringLiteral("Select GoodThru , Count(*) , Sum(BalAmt) , Sum(BalPoint) From Tolva Where Status In %1 "
                         " And ( BalAmt <> 0 Or BalPoint <> 0 ) Group by GoodThru ")
              .arg(heldStatuses()),
          {}};
}

int MonthsBetween(const QDate& from, const QDate& day) {
  int months = (day.year() - from.year()) * 12 + day.month() - from.month();
  if (day.day() < from.day()) --months;
  return months;
}

Fetched<Dormancy> ComputeDormancy(Connection& cnn, const QDate& day, int listed) {
  Dormancy d;
  const char* labels[] = {"6個月內", "6-12個月", "12-24個月", "24-36個月", "36個月以上"};
  for (int i = 0; i < 5; ++i) d.buckets[i].label = QString::fromUtf8(labels[i]);
  const BoundSql sql = DormancySql();
  const Done read = ForEachRow(cnn, sql.sql, sql.values, [&](const QSqlQuery& q) {
        const QDate last = ToDay(q.value(3));
        const int months = last.isValid() ? MonthsBetween(last, day) : 999;
        const Money amt = Money::fromVariant(q.value(4)), pts = Money::fromVariant(q.value(5));
        d.buckets[dormancyBucket(months)].add(amt, pts);
        if (d.oldest.size() < listed) {
          d.oldest << DormantCard{text(q.value(0)), text(q.value(1)), text(q.value(2)), last, months, amt, pts};
        }
      });
  if (!read) return read.failure();
  return d;
}

Fetched<Expiry> ComputeExpiry(Connection& cnn, const QDate& day) {
  Expiry e;
  e.coming[0].label = QStringLiteral("30天內");
  e.coming[1].label = QStringLiteral("31-60天");
  e.coming[2].label = QStringLiteral("61-90天");
  QMap<QString, AgingBucket> expired;
  const BoundSql sql = ExpirySql();
  const Done read = ForEachRow(cnn, sql.sql, sql.values, [&](const QSqlQuery& q) {
        const QDate thru = ToDay(q.value(0));
        if (!thru.isValid()) return;
        AgingBucket* b = nullptr;
        const qint64 days = day.daysTo(thru);
        if (days < 0) {
          b = &expired[monthOf(thru)];
          b->label = QStringLiteral("已過期 ") + monthOf(thru);
        } else if (days <= 90) {
          b = &e.coming[days <= 30 ? 0 : days <= 60 ? 1 : 2];
        }
        if (!b) return;
        b->cards += q.value(1).toLongLong();
        b->amt += Money::fromVariant(q.value(2));
        b->points += Money::fromVariant(q.value(3));
      });
  if (!read) return read.failure();
  e.expired = expired.values();
  return e;
}

Fetched<QList<RedemptionMonth>> ComputeRedemption(Connection& cnn, const QDate& day) {
  const Fetched<QList<DayPair>> rows = redemptionRows(cnn);
  if (!rows) return rows.failure;
  const Fetched<QMap<QString, qint64>> cards = cardsByIssueMonth(cnn);
  if (!cards) return cards.failure;
  struct Window { Money loaded, redeemed; };
  QMap<QString, std::array<Window, 4>> months;
  for (const DayPair& p : *rows) {
    std::array<Window, 4>& w = months[monthOf(p.issued)];
    for (size_t k = 0; k < kRedemptionMonths.size(); ++k) {
      if (p.on >= p.issued.addMonths(kRedemptionMonths[k])) continue;
      w[k].loaded += p.loaded;
      w[k].redeemed += p.redeemed;
    }
  }
  QList<RedemptionMonth> out;
  for (auto it = months.cbegin(); it != months.cend(); ++it) {
    RedemptionMonth m{it.key(), cards->value(it.key()), it.value()[3].loaded, {}};
    const QDate first = QDate::fromString(it.key() + QStringLiteral("/01"), QStringLiteral("yyyy/MM/dd"));
    const QDate lastIssue = first.addMonths(1).addDays(-1);
    for (size_t k = 0; k < kRedemptionMonths.size(); ++k) {
      const Window& w = it.value()[k];
      // Known once the window of the month's last issue day is over.
      if (lastIssue.addMonths(kRedemptionMonths[k]) > day || w.loaded <= Money()) continue;
      m.share[k] = double(w.redeemed.units()) / double(w.loaded.units());
    }
    out << m;
  }
  return out;
}

QString ShareText(const std::optional<double>& share) {
  return share ? QString::number(*share * 100.0, 'f', 1) + QLatin1Char('%') : QString();
}
