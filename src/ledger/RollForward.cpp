#include "ledger/RollForward.h"

#include "db/Connection.h"
#include "ledger/CardCodes.h"
#include "ledger/ReportQueries.h"

#include <QSqlQuery>

namespace {

// The movement lines, in the order printed.
enum Movement { Issued, ReissuedIn, CounterTopUp, StoreTopUp, Deducted, PointsDeducted, Reversed, Other,
                ReissuedOut, Ended, Revived, Orphans, MovementCount };
const char* const kMovementLabels[MovementCount] = {
    "發卡", "補發轉入", "櫃檯加值", "門市加值", "扣抵", "紅利點數扣抵", "沖正與作廢", "其他異動",
    "補發轉出", "黑名單與清除", "重新計入", "無主檔卡片異動"};

Movement movementOf(const QString& type, bool imported) {
  if (type == TxnType::Issue) return Issued;
  if (type == TxnType::Reissue) return ReissuedIn;
  if (type == TxnType::TopUp) return imported ? StoreTopUp : CounterTopUp;
  if (type == TxnType::Deduct) return Deducted;
  if (type == TxnType::DeductPoint) return PointsDeducted;
  if (type.startsWith(QLatin1Char('3'))) return Reversed;
  return Other;
}

// Builds a statement and its bound values in the order the marks appear.
struct Statement : BoundSql {
  Statement& add(const QString& text, const QVariantList& bound = {}) {
    sql += text;
    values += bound;
    return *this;
  }
};

// Whether the card was counted on the day before `after` by the liability report's rule:
// issued by then, not born after it, and live then (live now, or ended only after it). `n` is
// the suffix of the journal columns of that day.
QString countedOn(const char* n) {
  return QStringLiteral(" ( T.IssueDate Is Null Or T.IssueDate < ? ) And Coalesce(L.B%1, 0) = 0 And ( T.Status In ('%2', '%3', '%4') "
                        " Or ( T.Status In ('%5', '%6') And Coalesce(L.E%1, 0) = 1 ) ) ")
      .arg(QString::fromLatin1(n), CardStatus::Issued, CardStatus::Sold, CardStatus::Reissued, CardStatus::Erased,
           CardStatus::Blacklisted);
}

// Each card's journal at the two days (balance rows before `from`, and up to `to`), whether it
// was born or ended after each, whether a replacement of it was made by `to`; summed by the
// card's class: counted at the opening, at the closing, replaced.
Statement cardClasses(const QVariant& a0, const QVariant& a1, const QString& store) {
  const QString bal = BalanceRowCondition();
  const QString born = QStringLiteral(" TxnType In ('%1', '%2') ").arg(TxnType::Issue, TxnType::Reissue);
  const QString ended = QStringLiteral(" TxnType In ('%1', '%2') ").arg(TxnType::Erase, TxnType::Blacklist);
  Statement s;
  s.add(QStringLiteral("Select C0 , C1 , R , Count(*) , Sum(J0a) , Sum(J1a) , Sum(J0p) , Sum(J1p) From ( Select "
                       " Case When ") + countedOn("0") + QStringLiteral(" Then 1 Else 0 End As C0 , Case When "), {a0});
  s.add(countedOn("1") + QStringLiteral(" Then 1 Else 0 End As C1 , Case When RP.OCardNo Is Null Then 0 Else 1 End As R , "
                                          " Coalesce(L.A0, 0) As J0a , Coalesce(L.A1, 0) As J1a , Coalesce(L.P0, 0) As J0p , "
                                          " Coalesce(L.P1, 0) As J1p From Tolva T Left Join ( Select CardNo , "),
        {a1});
  s.add(QStringLiteral(" Sum(Case When %1 And TxnDate < ? Then TxnAmt Else 0 End) As A0 , "
                       " Sum(Case When %1 And TxnDate < ? Then TxnAmt Else 0 End) As A1 , "
                       " Sum(Case When %1 And TxnDate < ? Then TxnPoint Else 0 End) As P0 , "
                       " Sum(Case When %1 And TxnDate < ? Then TxnPoint Else 0 End) As P1 , ")
            .arg(bal),
        {a0, a1, a0, a1});
  s.add(QStringLiteral(" Max(Case When %1 And TxnDate >= ? Then 1 Else 0 End) As B0 , "
                       " Max(Case When %1 And TxnDate >= ? Then 1 Else 0 End) As B1 , "
                       " Max(Case When %2 And TxnDate >= ? Then 1 Else 0 End) As E0 , "
                       " Max(Case When %2 And TxnDate >= ? Then 1 Else 0 End) As E1 "
                       " From TolvaLog Group by CardNo ) L On L.CardNo = T.CardNo ")
            .arg(born, ended),
        {a0, a1, a0, a1});
  // Driven by the few replacement cards, not by the journal's dates.
  s.add(QStringLiteral(" Left Join ( Select R.OCardNo As OCardNo From Tolva R Where R.OCardNo Is Not Null And Exists ( "
                       " Select 1 From TolvaLog RL Where RL.CardNo = R.CardNo And RL.TxnType = '%1' And RL.TxnDate < ? ) "
                       " Group by R.OCardNo ) RP On RP.OCardNo = T.CardNo ")
            .arg(TxnType::Reissue),
        {a1});
  if (!store.isEmpty()) s.add(QStringLiteral(" Where T.IssueDept = ? "), {store});
  s.add(QStringLiteral(" ) X Group by C0 , C1 , R "));
  return s;
}

Statement movementRows(const QVariant& a0, const QVariant& a1, const QString& store) {
  Statement s;
  s.add(QStringLiteral("Select L.TxnType , Case When L.ImportNo Is Null Then 0 Else 1 End , Count(*) , Sum(L.TxnAmt) , "
                       " Sum(L.TxnPoint) From TolvaLog L "));
  if (!store.isEmpty()) s.add(QStringLiteral(" Join Tolva T On T.CardNo = L.CardNo And T.IssueDept = ? "), {store});
  s.add(QStringLiteral(" Where ") + BalanceRowCondition(QStringLiteral("L.TxnType")) +
            QStringLiteral(" And L.TxnDate >= ? And L.TxnDate < ? Group by L.TxnType , Case When L.ImportNo Is Null Then 0 Else 1 End "),
        {a0, a1});
  return s;
}

// Journal rows of cards without a master row: moved in the period, owed by no card.
Statement orphanRows(const QVariant& a0, const QVariant& a1) {
  Statement s;
  s.add(QStringLiteral("Select Count(*) , Sum(L.TxnAmt) , Sum(L.TxnPoint) From TolvaLog L Where ") + BalanceRowCondition() +
            QStringLiteral(" And L.TxnDate >= ? And L.TxnDate < ? And Not Exists ( Select 1 From Tolva T "
                           " Where T.CardNo = L.CardNo ) "),
        {a0, a1});
  return s;
}

Done readClasses(Connection& cnn, const BoundSql& s, RollForward& r, RollLine* lines) {
  return ForEachRow(cnn, s.sql, s.values, [&](const QSqlQuery& q) {
    const bool c0 = q.value(0).toInt() == 1, c1 = q.value(1).toInt() == 1, replaced = q.value(2).toInt() == 1;
    const qint64 n = q.value(3).toLongLong();
    const Money j0a = Money::fromVariant(q.value(4)), j1a = Money::fromVariant(q.value(5));
    const Money j0p = Money::fromVariant(q.value(6)), j1p = Money::fromVariant(q.value(7));
    if (c0) r.opening = {r.opening.label, r.opening.count + n, r.opening.amt + j0a, r.opening.points + j0p};
    if (c1) r.closing = {r.closing.label, r.closing.count + n, r.closing.amt + j1a, r.closing.points + j1p};
    RollLine* line = nullptr;
    Money amt, pts;
    if (!c1) {
      // What left the liability: the value at the closing, less what was not owed at the opening.
      line = &lines[replaced ? ReissuedOut : Ended];
      amt = Money() - (c0 ? j1a : j1a - j0a);
      pts = Money() - (c0 ? j1p : j1p - j0p);
    } else if (!c0) {
      // Counted again: what it held before the period was not in the opening.
      line = &lines[Revived];
      amt = j0a;
      pts = j0p;
    }
    if (!line || (amt == Money() && pts == Money())) return;
    line->count += n;
    line->amt += amt;
    line->points += pts;
  });
}

Done readMovements(Connection& cnn, const BoundSql& s, RollLine* lines) {
  return ForEachRow(cnn, s.sql, s.values, [lines](const QSqlQuery& q) {
    RollLine& line = lines[movementOf(q.value(0).toString().trimmed(), q.value(1).toInt() == 1)];
    line.count += q.value(2).toLongLong();
    line.amt += Money::fromVariant(q.value(3));
    line.points += Money::fromVariant(q.value(4));
  });
}

Done readOrphans(Connection& cnn, const BoundSql& s, RollLine& line) {
  return ForEachRow(cnn, s.sql, s.values, [&line](const QSqlQuery& q) {
    line.count = q.value(0).toLongLong();
    line.amt = Money() - Money::fromVariant(q.value(1));
    line.points = Money() - Money::fromVariant(q.value(2));
  });
}

}  // namespace

Money RollForward::rollAmt() const {
  Money moved = opening.amt;
  for (const RollLine& m : movements) moved += m.amt;
  return closing.amt - moved;
}

Money RollForward::rollPoints() const {
  Money moved = opening.points;
  for (const RollLine& m : movements) moved += m.points;
  return closing.points - moved;
}

bool RollForward::ties() const {
  return rollAmt() == Money() && rollPoints() == Money() && checkAmt() == Money() && checkPoints() == Money();
}

QList<RollLine> RollForward::lines() const {
  QList<RollLine> out{opening};
  out += movements;
  out << closing << master << RollLine{QStringLiteral("差額"), 0, rollAmt(), rollPoints()}
      << RollLine{QStringLiteral("核對差額"), 0, checkAmt(), checkPoints()};
  return out;
}

QStringList RollForward::problems() const {
  QStringList out;
  if (rollAmt() != Money() || rollPoints() != Money()) {
    out << QStringLiteral("期末餘額與期初餘額加本期異動不符: 差額 金額 %1 點數 %2").arg(rollAmt().toString(), rollPoints().toString());
  }
  if (checkAmt() != Money() || checkPoints() != Money()) {
    out << QStringLiteral("交易明細的期末餘額與主檔推算不符: 核對差額 金額 %1 點數 %2").arg(checkAmt().toString(), checkPoints().toString());
  }
  return out;
}

QStringList RollCells(const RollLine& line) {
  return {line.label, QString::number(line.count), line.amt.toString(), line.points.toString()};
}

QList<BoundSql> RollForwardSql(const Dialect& dialect, const QDate& from, const QDate& to, const QString& store) {
  const QVariant a0 = dialect.dayValue(from), a1 = dialect.dayValue(to.addDays(1));
  QList<BoundSql> out{cardClasses(a0, a1, store), movementRows(a0, a1, store)};
  if (store.isEmpty()) out << orphanRows(a0, a1);
  return out;
}

Fetched<RollForward> ComputeRollForward(Connection& cnn, const QDate& from, const QDate& to, const QString& store) {
  RollForward r;
  r.opening.label = QStringLiteral("期初餘額");
  r.closing.label = QStringLiteral("期末餘額");
  RollLine lines[MovementCount];
  for (int i = 0; i < MovementCount; ++i) lines[i].label = QString::fromUtf8(kMovementLabels[i]);
  const QList<BoundSql> statements = RollForwardSql(cnn.dialect(), from, to, store);
  Done read = readClasses(cnn, statements[0], r, lines);
  if (read) read = readMovements(cnn, statements[1], lines);
  if (read && statements.size() > 2) read = readOrphans(cnn, statements[2], lines[Orphans]);
  if (!read) return read.failure();
  for (const RollLine& line : lines) r.movements << line;
  const Fetched<Liability> l = ComputeLiability(cnn, to);
  if (!l) return l.failure;
  const LiabilityLine m = store.isEmpty() ? l->total : l->byStore.value(store);
  r.master = {QStringLiteral("主檔推算期末餘額"), m.cards, m.balance, m.points};
  return r;
}
