#include "YearData.h"

#include "BulkLoad.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// splitmix64: the same numbers on every machine and compiler, unlike std's distributions.
class Rng {
public:
  Rng(quint64 seed, quint64 stream) : s_(seed * 0x9E3779B97F4A7C15ULL + stream * 0xBF58476D1CE4E5B9ULL + 1) {}
  quint64 next() {
    quint64 z = (s_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  qint64 below(qint64 n) { return n <= 1 ? 0 : qint64(next() % quint64(n)); }
  // True `perMille` times in a thousand.
  bool chance(int perMille) { return below(1000) < perMille; }
  double unit() { return double(next() >> 11) / double(1ULL << 53); }

private:
  quint64 s_;
};

constexpr quint16 kNone = 0xFFFF;

struct Event {
  quint32 card;
  quint16 day, store;
  quint16 fileDay;  // when the row was written: the day itself at the counter, the next morning by import
  quint32 fileSecond;
  qint32 amt, pts;
  quint8 type;
  bool imported;
};

struct Master {
  quint32 oldCard = 0xFFFFFFFF;
  quint16 issueDay = 0, firstDay = kNone, lastDay = 0, thruFrom = 0, store = 0;
  qint64 bal = 0, pts = 0;
  const QString* status = &CardStatus::Sold;
};

struct Year {
  std::vector<Master> cards;
  std::vector<Event> journal;
  std::vector<quint32> blacklisted;
};

// One card's life from its issue to the year's end, written into `y`.
class Life {
public:
  Life(const YearShape& shape, Year& y, Rng& r, double meanActivity) : shape_(shape), y_(y), r_(r), mean_(meanActivity) {}

  void live() {
    const int issueDay = int(r_.below(std::max(1, shape_.days * 3 / 4)));
    home_ = quint16(r_.below(shape_.stores));
    card_ = newCard(issueDay, &CardStatus::Issued);
    static constexpr int kFaces[] = {0, 0, 500, 1000};
    record(TxnType::Issue, issueDay, home_, kFaces[r_.below(4)], 0, false);
    if (r_.chance(80)) return;  // never sold
    const int saleDay = std::min<int>(shape_.days - 1, issueDay + int(r_.below(30)));
    const bool atCounter = r_.chance(100);
    record(atCounter ? TxnType::CounterSale : TxnType::Sale, saleDay, home_, 0, 0, !atCounter);
    master().firstDay = quint16(saleDay);
    master().status = &CardStatus::Sold;
    master().thruFrom = quint16(saleDay);
    activity(saleDay);
    end();
  }

private:
  Master& master() { return y_.cards[card_]; }

  quint32 newCard(int day, const QString* status) {
    Master m;
    m.issueDay = m.lastDay = m.thruFrom = quint16(day);
    m.store = home_;
    m.status = status;
    y_.cards.push_back(m);
    return quint32(y_.cards.size() - 1);
  }

  void record(const QString& type, int day, quint16 store, qint64 amt, qint64 pts, bool imported) {
    Event e{card_, quint16(day), store, quint16(day), quint32(8 * 3600 + r_.below(14 * 3600)), qint32(amt), qint32(pts),
            quint8(type.toInt()), imported};
    if (imported) {
      e.fileDay = quint16(day + 1);
      e.fileSecond = quint32(6 * 3600 + store * 7 % 3600);
    }
    y_.journal.push_back(e);
    Master& m = master();
    m.bal += amt;
    m.pts += pts;
    m.lastDay = quint16(day);
  }

  void activity(int from) {
    const qint64 n = std::min<qint64>(qint64(-std::log(1.0 - r_.unit()) * mean_ + 0.5), qint64(mean_ * 12));
    std::vector<int> days(static_cast<size_t>(n));
    for (int& d : days) d = from + int(r_.below(shape_.days - from));
    std::sort(days.begin(), days.end());
    const qint64 reissueAt = n >= 4 && r_.chance(5) ? n / 2 : -1;
    for (qint64 i = 0; i < n; ++i) {
      if (i == reissueAt) reissue(days[size_t(i)]);
      transaction(days[size_t(i)]);
    }
  }

  // The card is lost: blacklisted, and a replacement takes over its value and its life.
  void reissue(int day) {
    record(TxnType::Blacklist, day, home_, 0, 0, false);
    master().status = &CardStatus::Blacklisted;
    y_.blacklisted.push_back(card_);
    const quint32 old = card_;
    const qint64 bal = master().bal, pts = master().pts;
    card_ = newCard(day, &CardStatus::Reissued);
    master().oldCard = old;
    master().firstDay = quint16(day);
    record(TxnType::Reissue, day, home_, bal, pts, false);
  }

  void transaction(int day) {
    const quint16 store = r_.chance(800) ? home_ : quint16(r_.below(shape_.stores));
    const qint64 bal = master().bal, pts = master().pts;
    const int u = int(r_.below(100));
    if (bal <= 0 || u < 28) return topUp(day, store);
    if (u >= 80 && u < 88 && pts > 0) return record(TxnType::DeductPoint, day, store, 0, -std::min<qint64>(pts, 1 + r_.below(10)), true);
    if (u >= 88 && u < 94 && lastTopUp_ > 0 && bal >= lastTopUp_) {
      record(TxnType::VoidTopUp, day, store, -lastTopUp_, -std::min(pts, lastTopUp_ / 100), true);
      lastTopUp_ = 0;
      return;
    }
    if (u >= 94 && lastDeduct_ > 0) {
      record(TxnType::VoidDeduct, day, store, lastDeduct_, 0, true);
      lastDeduct_ = 0;
      return;
    }
    lastDeduct_ = std::min<qint64>(bal, 10 * (1 + r_.below(50)));
    record(TxnType::Deduct, day, store, -lastDeduct_, 0, true);
  }

  void topUp(int day, quint16 store) {
    static constexpr int kAmounts[] = {100, 200, 300, 500, 1000};
    lastTopUp_ = kAmounts[r_.below(5)];
    record(TxnType::TopUp, day, store, lastTopUp_, lastTopUp_ / 100, !r_.chance(100));
    master().thruFrom = quint16(day);
  }

  void end() {
    const int day = master().lastDay;
    if (r_.chance(3)) {
      record(TxnType::Blacklist, day, home_, 0, 0, false);
      master().status = &CardStatus::Blacklisted;
      y_.blacklisted.push_back(card_);
    } else if (r_.chance(3)) {
      record(TxnType::Erase, day, home_, 0, 0, false);
      master().status = &CardStatus::Erased;
    }
  }

  const YearShape& shape_;
  Year& y_;
  Rng& r_;
  double mean_;
  quint32 card_ = 0;
  quint16 home_ = 0;
  qint64 lastTopUp_ = 0, lastDeduct_ = 0;
};

Year liveTheYear(const YearShape& shape) {
  Year y;
  y.cards.reserve(size_t(shape.cards + shape.cards / 100));
  y.journal.reserve(size_t(shape.journalRows + shape.journalRows / 50));
  // Rows per card: the issue, and for the sold 92 % the sale, the activity and a few ends.
  const double perCard = double(shape.journalRows) / double(std::max<qint64>(1, shape.cards));
  const double mean = std::max(0.0, (perCard - 1.0) / 0.92 - 1.016);
  for (qint64 c = 0; c < shape.cards; ++c) {
    Rng r(shape.seed, quint64(c));
    Life(shape, y, r, mean).live();
  }
  std::sort(y.journal.begin(), y.journal.end(), [](const Event& a, const Event& b) {
    if (a.fileDay != b.fileDay) return a.fileDay < b.fileDay;
    if (a.fileSecond != b.fileSecond) return a.fileSecond < b.fileSecond;
    return a.card < b.card;
  });
  return y;
}

std::string utf8(const QString& s) { return s.toStdString(); }

// YearCardNo without a QString: the journal names twenty million cards.
std::string cardText(qint64 card) {
  char text[24];
  return std::string(text, size_t(std::snprintf(text, sizeof text, "V%07lld", card + 1)));
}

class Writer {
public:
  Writer(Connection& cnn, const YearShape& shape) : cnn_(cnn), shape_(shape) {}

  Done stores() {
    return load(QStringLiteral("Store"), {QStringLiteral("StoreID"), QStringLiteral("StoreName"), QStringLiteral("ListNo")},
                [&](TableLoad& t) {
                  for (int s = 0; s < shape_.stores; ++s) {
                    const std::string id = utf8(YearStoreID(s)), name = utf8(YearStoreName(s));
                    const Cell row[] = {Cell::of(id), Cell::of(name), Cell::of(s + 1)};
                    if (const Done d = t.add(row); !d) return d;
                  }
                  return Done{};
                });
  }

  Done cards(const Year& y) {
    const QStringList columns = QStringLiteral("BatchNo CardType CardNo Status IssueDate FirstDate LastDate GoodThru BalAmt BalPoint "
                                               "IssueDept OCardNo POSID UserID Remark FileDate UpdDate")
                                    .split(QLatin1Char(' '));
    return load(QStringLiteral("Tolva"), columns, [&](TableLoad& t) {
      for (size_t c = 0; c < y.cards.size(); ++c) {
        const Master& m = y.cards[c];
        const std::string batch = "B" + std::to_string(1000 + m.issueDay), no = utf8(YearCardNo(qint64(c)));
        const std::string status = utf8(*m.status), store = utf8(YearStoreID(m.store)), pos = posOf(m.store);
        const std::string old = m.oldCard == 0xFFFFFFFF ? std::string() : utf8(YearCardNo(m.oldCard));
        const QDate thru = RenewedGoodThru(day(m.thruFrom));
        const Cell row[] = {Cell::of(batch), Cell::of("V"), Cell::of(no), Cell::of(status), Cell::at(day(m.issueDay)),
                            m.firstDay == kNone ? Cell::null() : Cell::at(day(m.firstDay)), Cell::at(day(m.lastDay)),
                            Cell::at(thru), Cell::of(m.bal), Cell::of(m.pts), Cell::of(store),
                            old.empty() ? Cell::null() : Cell::of(old), Cell::of(pos), Cell::of("clerk"), Cell::null(),
                            Cell::at(day(m.issueDay), 9 * 3600), Cell::at(day(m.lastDay), 20 * 3600)};
        if (const Done d = t.add(row); !d) return d;
      }
      return Done{};
    });
  }

  Done voidCards(const Year& y) {
    return load(QStringLiteral("VoidCard"), {QStringLiteral("CardNo"), QStringLiteral("Remark")}, [&](TableLoad& t) {
      for (const quint32 c : y.blacklisted) {
        const std::string no = utf8(YearCardNo(c));
        const Cell row[] = {Cell::of(no), Cell::of("")};
        if (const Done d = t.add(row); !d) return d;
      }
      return Done{};
    });
  }

  // One ledger row for each store and day; the imported rows carry its number.
  Done importLedger(const Year& y) {
    std::vector<int> rows(size_t(shape_.days) * size_t(shape_.stores));
    for (const Event& e : y.journal) {
      if (e.imported) ++rows[ledgerIndex(e)];
    }
    const QStringList columns = QStringLiteral("FileName FileSize Sha256 StoreID TxnDate RowCount ImportedAt POSID UserID").split(QLatin1Char(' '));
    return load(QStringLiteral("TolvaImport"), columns, [&](TableLoad& t) {
      for (int d = 0; d < shape_.days; ++d) {
        for (int s = 0; s < shape_.stores; ++s) {
          const int n = rows[size_t(d) * size_t(shape_.stores) + size_t(s)];
          const std::string name = "DD" + utf8(day(d).toString(QStringLiteral("yyyyMMdd"))) + "_" + utf8(YearStoreName(s)) + "_TL.TXT";
          const std::string sha = utf8(QStringLiteral("%1").arg(Rng(shape_.seed, quint64(d) << 20 | quint64(s)).next(), 64, 16, QLatin1Char('0')));
          const std::string store = utf8(YearStoreID(s));
          const Cell row[] = {Cell::of(name), Cell::of(qint64(n) * 60 + 80), Cell::of(sha), Cell::of(store), Cell::at(day(d)),
                              Cell::of(n), Cell::at(day(d + 1), 6 * 3600 + s * 7 % 3600), Cell::of("HQ"), Cell::of("clerk")};
          if (const Done done = t.add(row); !done) return done;
        }
      }
      return Done{};
    });
  }

  Done journal(const Year& y) {
    const QStringList columns = QStringLiteral("TxnDept TxnType CardNo TxnDate TxnAmt TxnPoint RefCheckNo POSID UserID Remark FileDate ImportNo")
                                    .split(QLatin1Char(' '));
    std::vector<std::string> storeIds;
    for (int s = 0; s < shape_.stores; ++s) storeIds.push_back(utf8(YearStoreID(s)));
    return load(QStringLiteral("TolvaLog"), columns, [&](TableLoad& t) {
      qint64 n = 0;
      for (const Event& e : y.journal) {
        const std::string no = cardText(e.card), type = std::to_string(e.type), ref = "R" + std::to_string(++n);
        const std::string pos = posOf(e.store);
        const Cell row[] = {Cell::of(storeIds[e.store]), Cell::of(type), Cell::of(no), Cell::at(day(e.day)), Cell::of(e.amt),
                            Cell::of(e.pts), Cell::of(ref), Cell::of(pos), Cell::of("clerk"), Cell::of(""),
                            Cell::at(day(e.fileDay), int(e.fileSecond)),
                            e.imported ? Cell::of(qint64(ledgerIndex(e)) + 1) : Cell::null()};
        if (const Done d = t.add(row); !d) return d;
      }
      return Done{};
    });
  }

  Done activityLog(qint64 rows) {
    const QStringList columns = QStringLiteral("UserID LoginWS ProgID ActionID LogMsg Remark FileDate").split(QLatin1Char(' '));
    // The counters' actions by how often they come.
    const std::array<std::pair<const QString*, int>, 11> actions{{{&ApAction::ReadCard, 40}, {&ApAction::TopUp, 20},
        {&ApAction::Deduct, 14}, {&ApAction::Sale, 10}, {&ApAction::Issue, 5}, {&ApAction::StoreImport, 4},
        {&ApAction::DeductPoint, 3}, {&ApAction::Reversal, 2}, {&ApAction::ChangeGoodThru, 1}, {&ApAction::Reissue, 1},
        {&ApAction::Blacklist, 1}}};
    std::vector<std::string> names;
    for (const auto& a : actions) names.push_back(utf8(*a.first));
    const std::string fail = utf8(kApFailRemark), refused = utf8(kApRefusedRemark);
    return load(QStringLiteral("xxAPLOG"), columns, [&](TableLoad& t) {
      for (int d = 0; d < shape_.days; ++d) {
        const qint64 n = rows * (d + 1) / shape_.days - rows * d / shape_.days;
        Rng r(shape_.seed ^ 0x5A5A5A5AULL, quint64(d));
        std::vector<int> seconds(static_cast<size_t>(n));
        for (int& s : seconds) s = int(8 * 3600 + r.below(14 * 3600));
        std::sort(seconds.begin(), seconds.end());
        for (const int second : seconds) {
          int pick = int(r.below(101)), a = 0;
          while (a + 1 < int(actions.size()) && pick >= actions[size_t(a)].second) pick -= actions[size_t(a++)].second;
          const int store = int(r.below(shape_.stores));
          const std::string user = "U" + std::to_string(100 + r.below(200)), pos = posOf(quint16(store));
          const std::string msg = "卡號 " + cardText(r.below(std::max<qint64>(1, shape_.cards)));
          const int outcome = int(r.below(100));
          const Cell row[] = {Cell::of(user), Cell::of(pos), Cell::of("tolva"), Cell::of(names[size_t(a)]), Cell::of(msg),
                              outcome == 0 ? Cell::of(fail) : outcome == 1 ? Cell::of(refused) : Cell::null(),
                              Cell::at(day(d), second)};
          if (const Done done = t.add(row); !done) return done;
        }
      }
      return Done{};
    });
  }

private:
  QDate day(int d) const { return shape_.first.addDays(d); }
  size_t ledgerIndex(const Event& e) const { return size_t(e.day) * size_t(shape_.stores) + e.store; }
  static std::string posOf(quint16 store) { return "POS" + std::to_string(store + 1); }

  template <typename Rows>
  Done load(const QString& table, const QStringList& columns, Rows rows) {
    Fetched<std::unique_ptr<TableLoad>> t = StartLoad(cnn_, table, columns);
    if (!t) return t.failure;
    if (const Done d = rows(**t); !d) return d;
    return (*t)->finish();
  }

  Connection& cnn_;
  const YearShape& shape_;
};

}  // namespace

YearShape YearShape::scaled(double f) const {
  YearShape s = *this;
  s.cards = std::max<qint64>(1, qint64(double(cards) * f));
  s.journalRows = std::max<qint64>(1, qint64(double(journalRows) * f));
  s.logRows = qint64(double(logRows) * f);
  s.stores = std::max(5, int(stores * f));
  return s;
}

QString YearStoreID(int store) { return QStringLiteral("%1").arg(store + 1, 3, 10, QLatin1Char('0')); }
QString YearStoreName(int store) { return QStringLiteral("分店") + YearStoreID(store); }
QString YearCardNo(qint64 card) { return QStringLiteral("V%1").arg(card + 1, 7, 10, QLatin1Char('0')); }

Fetched<YearCounts> FillYear(Connection& cnn, const YearShape& shape) {
  const Year y = liveTheYear(shape);
  const QStringList tables{QStringLiteral("TolvaLog"), QStringLiteral("xxAPLOG"), QStringLiteral("Tolva")};
  TransactionGuard tx(cnn);
  if (!tx.begun()) return tx.begun().failure();
  // SQLite builds an index packed full; a year of imports grows the card index a row at a
  // random place at a time, which leaves its pages the slack such inserts leave. Packed, the
  // first days imported after the load would split nearly every page they touch. PostgreSQL
  // builds its indexes with room to spare.
  const bool sqlite = cnn.dialect().name() != QLatin1String("PG_SQL");
  if (sqlite) {
    // The growing card index stays in memory while the year loads: the load is minutes, not hours.
    if (const Fetched<int> cache = cnn.execute(QStringLiteral("PRAGMA cache_size = -4000000")); !cache) return cache.failure;
  }
  const QStringList grown = sqlite ? QStringList{QStringLiteral("IX_TolvaLog_CardHistory")} : QStringList();
  const Fetched<QStringList> indexes = DropIndexes(cnn, tables, grown);
  if (!indexes) return indexes.failure;
  Writer w(cnn, shape);
  Done d = w.stores();
  if (d) d = w.cards(y);
  if (d) d = w.voidCards(y);
  if (d) d = w.importLedger(y);
  if (d) d = w.journal(y);
  if (d) d = w.activityLog(shape.logRows);
  if (d) d = RunAll(cnn, *indexes);
  if (d) d = tx.commit();
  if (d && sqlite) d = Done::of(cnn.execute(QStringLiteral("PRAGMA cache_size = -65536")));
  if (!d) return d.failure();
  // As a server's autovacuum leaves a table some time after its rows came: PostgreSQL reads an
  // index alone only for pages its visibility map marks.
  const QString tidy = cnn.dialect().name() == QLatin1String("PG_SQL") ? QStringLiteral("VACUUM ANALYZE ") : QStringLiteral("ANALYZE ");
  for (const QString& table : tables + QStringList{QStringLiteral("Store"), QStringLiteral("VoidCard"), QStringLiteral("TolvaImport")}) {
    if (const Fetched<int> analysed = cnn.execute(tidy + table); !analysed) return analysed.failure;
  }
  return YearCounts{qint64(y.cards.size()), qint64(y.journal.size()), shape.logRows, qint64(y.blacklisted.size())};
}
