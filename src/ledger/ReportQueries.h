#pragma once
// The report queries: issued cards, transaction details of chosen types, the outstanding
// liability and the reconciliation of the card master with its journal. They run on every
// dialect through the connection's dialect object; values from the fields are bound, never
// written into a statement. Each answers its rows, or the failure of its statement.
#include "core/Fetched.h"
#include "core/Money.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Connection;
class Dialect;

// A statement with its bound values, in the order of its marks.
struct BoundSql {
  QString sql;
  QVariantList values;
};

struct ReportFilter {
  QDate first;    // invalid: no lower bound
  QDate last;     // invalid: no upper bound; otherwise the whole last day is included
  QString store;  // empty: every store
};

// A store code as a LIKE prefix pattern with '!' as escape character, so that '%' and '_' in
// the code match only themselves.
QString LikePrefix(const QString& code);

// The date condition " AND column ..." of a filter (empty without dates); its bound values
// are appended to `values`. The last day counts up to its midnight.
QString DateCondition(const Dialect& dialect, const QString& column, const QDate& first, const QDate& last,
                      QVariantList& values);

struct IssueCardRow {
  QString cardNo;
  QString store;     // the store code cut from the remark
  QString goodThru;  // display text, empty when the remark holds none
  Money amt;
};
// Splits an issuing remark (store code, good-thru YYYYMMDD, four more characters) into store
// code and good-thru display text. A remark too short to hold both is taken as the store code.
void SplitIssueRemark(const QString& remark, QString& store, QString& goodThru);
// The issuing rows (types "11", "12") of the filter; the store is a prefix of the remark.
Fetched<QList<IssueCardRow>> SelectIssuedCards(Connection& cnn, const ReportFilter& filter);
// The store names by code.
Fetched<QMap<QString, QString>> StoreNames(Connection& cnn);

struct TxnDetailRow {
  QDate txnDate;
  QString cardNo, txnDept, txnType, refCheckNo, userID, remark;
  Money amt, point;
};
// What the amount and points of a listed row are: the row's own, or the value the card held
// just before the row (a sale row moves nothing; what was sold is the card's balance then).
enum class DetailAmounts { Row, CardValueBefore };
// The journal rows of these types in the filter (the store is the transaction's store),
// oldest first.
Fetched<QList<TxnDetailRow>> SelectTransactionDetails(Connection& cnn, const QStringList& types, const ReportFilter& filter,
                                 DetailAmounts amounts = DetailAmounts::Row);

// Outstanding liability on a day: the cards live on that day with their balances and points
// as they stood at its end. The good-thru dates are the cards' present ones.
struct LiabilityLine {
  int cards = 0;
  Money balance, points;
  void add(int n, Money b, Money p) { cards += n; balance += b; points += p; }
};
struct Liability {
  QMap<QString, LiabilityLine> byStore;  // issuing store code
  QMap<QString, LiabilityLine> byMonth;  // good-thru month "yyyy/MM" ("" when none)
  LiabilityLine buckets[5];              // expired, within 30, 90, 365 days, later
  LiabilityLine total;
};
inline const QStringList kLiabilityBuckets = {QStringLiteral("已過期"), QStringLiteral("30天內"),
                                              QStringLiteral("90天內"), QStringLiteral("365天內"),
                                              QStringLiteral("一年以上")};
// The bucket of a good-thru date seen on `day` (a card without one counts as later).
int LiabilityBucket(const QDate& goodThru, const QDate& day);
Fetched<Liability> ComputeLiability(Connection& cnn, const QDate& day);
// The liability statement of a day, as ComputeLiability runs it, and its bound values.
QString LiabilitySql(const Dialect& dialect, const QDate& day, QVariantList& values);

// A card whose master row and journal disagree.
struct ReconcileRow {
  QString cardNo;
  QString problem;
  Money masterAmt, journalAmt, masterPoint, journalPoint;
};
inline const QString kReconcileHeadings =
    QStringLiteral("卡號|說明|主檔餘額|交易餘額|餘額差額|主檔點數|交易點數|點數差額");
Fetched<QList<ReconcileRow>> SelectDisagreements(Connection& cnn);
// Its four statements, in the order their rows are listed: cards whose master disagrees with
// the journal, journal cards without a master, blacklisted cards missing from VoidCard, and
// VoidCard rows of cards not blacklisted.
QList<BoundSql> ReconcileSql();
QStringList ReconcileCells(const ReconcileRow& row);
