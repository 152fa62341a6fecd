#pragma once
// The cards' value seen by age, for the accountants: how long cards holding value have been
// dormant, when their value expires, and how much of what was loaded on the cards of each issue
// month was redeemed within a year. Cards holding value are the sold ones and the replacements
// (statuses "11" and "12"): unsold cards are stock, not value in a customer's hands.
#include "core/Fetched.h"
#include "core/Money.h"
#include "ledger/ReportQueries.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class Connection;

struct AgingBucket {
  QString label;
  qint64 cards = 0;
  Money amt, points;
  void add(Money a, Money p) {
    ++cards;
    amt += a;
    points += p;
  }
};

inline const QString kAgingHeadings = QStringLiteral("區間|卡數|餘額|點數");
QStringList AgingCells(const AgingBucket& bucket);

// Cards holding value by whole months since their last customer activity (a sale, top-up or
// deduction row; operator rows such as a good-thru change do not count; a card without any ages
// from its sale, else its issue): under 6, 6 to 12, 12 to 24, 24 to 36, 36 and more.
struct DormantCard {
  QString cardNo, store, storeName;
  QDate lastActivity;
  int months = 0;
  Money amt, points;
};
struct Dormancy {
  std::array<AgingBucket, 5> buckets;
  QList<DormantCard> oldest;  // the longest dormant first
};
inline const QString kDormantHeadings = QStringLiteral("卡號|發卡部門|部門名稱|最後交易日|閒置月數|餘額|點數");
// Whole months from `from` to `day`.
int MonthsBetween(const QDate& from, const QDate& day);
Fetched<Dormancy> ComputeDormancy(Connection& cnn, const QDate& day, int listed = 100);
// The statement it streams: every held card with value, the longest dormant first.
BoundSql DormancySql();

// Value expiring within 30, 60 and 90 days of `day` (in three bands), and value whose good-thru
// date has passed, by month of expiry (oldest first).
struct Expiry {
  std::array<AgingBucket, 3> coming;
  QList<AgingBucket> expired;  // labelled "已過期 yyyy/MM"
};
Fetched<Expiry> ComputeExpiry(Connection& cnn, const QDate& day);
// Its statement: the held cards' value by good-thru day.
BoundSql ExpirySql();

// The cards first issued (or replaced) in one month: what was loaded on them (issue, carried-in
// value, top-ups less their voids) and the share of it redeemed (deductions less their voids)
// within 1, 3, 6 and 12 months of each card's issue, both counted over that same window. A
// window not yet over for every card of the month on `day` has no share.
inline constexpr std::array<int, 4> kRedemptionMonths = {1, 3, 6, 12};
struct RedemptionMonth {
  QString month;  // "yyyy/MM"
  qint64 cards = 0;
  Money loaded;   // within 12 months
  std::array<std::optional<double>, 4> share;
};
inline const QString kRedemptionHeadings = QStringLiteral("發卡月份|卡數|儲值金額|1個月|3個月|6個月|12個月");
Fetched<QList<RedemptionMonth>> ComputeRedemption(Connection& cnn, const QDate& day);
// A share as the report prints it: "37.5%", "" when not known yet.
QString ShareText(const std::optional<double>& share);
