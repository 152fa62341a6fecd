// Every card operation, failed at each device step and at each database statement (the commit
// included): afterwards the card, its master row and its journal agree, the operator was told,
// and the operation wrote its one application-log row. A card that fails once its stripe is
// rewritten (face and stripe restore both fail) is committed forward.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "ledger/CardCodes.h"
#include "db/Database.h"
#include "operations/AddValue.h"
#include "operations/CardErase.h"
#include "operations/CardIssue.h"
#include "operations/CardReading.h"
#include "operations/CardReissue.h"
#include "operations/CardSale.h"
#include "operations/CounterOperations.h"
#include "operations/GoodThruChange.h"

#include <functional>
#include <iostream>

namespace {

struct Operation {
  const char* name;
  QString action;      // its application-log action
  QString status;      // the master row's status before it
  bool issues = false; // issuing: the card starts blank and has no master row
  // Runs it; answers what the operator is told (empty when it succeeded).
  std::function<QString()> run;
  // Erasing blanks the card; re-issuing writes a new card beside an old card's row.
  enum class Kind { Values, Erase, Reissue } kind = Kind::Values;
  // An operation that only reads: whether the run ended with the card on screen.
  std::function<bool()> shown = nullptr;
  // What the card's history holds before it (a reversal takes back only what it holds).
  std::function<void()> history = nullptr;
};

// The card's stripe values, or nothing for a blank or unreadable stripe.
std::optional<std::pair<Money, Money>> CardValues(const SimCard& card) {
  QString no, store, batch, thru, bal, pts, msg;
  if (!DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg)) return std::nullopt;
  return std::make_pair(Money::val(bal), Money::val(pts));
}

// The card number on the card's stripe, or empty.
QString CardNumber(const SimCard& card) {
  QString no, store, batch, thru, bal, pts, msg;
  if (!DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg)) return {};
  return no.trimmed();
}

// The good-thru date on the card's stripe.
QDate CardGoodThru(const SimCard& card) {
  QString no, store, batch, thru, bal, pts, msg;
  if (!DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg)) return {};
  const auto when = ToDateTime(thru);
  return when ? when->date() : QDate();
}

}  // namespace

class FaultMatrixTest : public IssueTest {
protected:
  // The card in the reader and its master row, as every case starts.
  void prepare(const Operation& op) {
    for (const char* table : {"TolvaLog", "xxAPLOG", "Tolva", "xxNO"}) {
      Exec(gCnn(), QStringLiteral("DELETE FROM ") + QString::fromLatin1(table));
    }
    ResetCardSession();
    dialogs_->clear();
    dialogs_->atCardWait.clear();
    if (op.issues) {
      if (op.kind == Operation::Kind::Reissue) addMaster(card_, CardStatus::Erased);
      InsertTestCard(SimCard{});
      return;
    }
    addMaster(card_, op.status);
    insertCard(card_);
    if (op.history) op.history();
    historyRows_ = count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog"));
  }

  // The card, the master row and the journal agree, and the operator heard of a failure.
  void expectAgreement(const Operation& op, const QString& fault, int logRowsBefore) {
    const std::string where = std::string(op.name) + " / " + fault.toStdString();
    const auto card = CardValues(SlotCard());
    const int journal = count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")) - historyRows_;
    if (op.issues) {
      const int oldRows = op.kind == Operation::Kind::Reissue ? 1 : 0;
      EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva")), (card ? 1 : 0) + oldRows) << where;
      EXPECT_EQ(journal, card ? 1 : 0) << where;
    } else if (op.kind == Operation::Kind::Erase && !card) {
      EXPECT_EQ(status(card_), CardStatus::Erased) << where;
      EXPECT_EQ(journal, 1) << where;
    } else {
      if (op.kind == Operation::Kind::Erase) {
        EXPECT_EQ(status(card_), op.status) << where;
      }
      ASSERT_TRUE(card) << where;
      EXPECT_EQ(master(QStringLiteral("BalAmt"), card_), card->first) << where;
      EXPECT_EQ(master(QStringLiteral("BalPoint"), card_), card->second) << where;
      const auto masterThru = ToDateTime(scalar(QStringLiteral("SELECT GoodThru FROM Tolva WHERE CardNo = ") + QuotText(card_)));
      EXPECT_EQ(masterThru ? masterThru->date() : QDate(), CardGoodThru(SlotCard())) << where;
    }
    if (op.shown) {
      EXPECT_EQ(journal, 0) << where;
    }
    const bool failed = op.shown ? !op.shown() : op.issues ? !card : journal == 0;
    if (failed) {
      EXPECT_FALSE(told_.isEmpty()) << where;
    }
    // Once a card was asked for, the operation logs itself (unless the log row itself is the
    // statement that was made to fail).
    const int logRows = apLog(op.action).size() - logRowsBefore;
    const bool cardAsked = !dialogs_->texts(QStringLiteral("waitForCard")).isEmpty();
    if (cardAsked && !op.action.isEmpty() && !fault.contains(QStringLiteral("xxAPLOG"))) {
      EXPECT_EQ(logRows, 1) << where;
    }
  }

  // Runs the operation once with every statement counted; answers the statements' texts.
  QStringList statementsOf(const Operation& op) {
    prepare(op);
    QStringList seen;
    SetStatementHookForTest([&seen](Connection&, const QString& sql) { seen << sql; });
    told_ = op.run();
    SetStatementHookForTest(nullptr);
    return seen;
  }

  // Runs one case and counts it as held when it added no failure.
  void tryCase(const std::function<void()>& run) {
    const int before = ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
    run();
    ++tried_;
    if (::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() == before) ++held_;
  }

  // The face failed after the stripe was rewritten, and the stripe could not be put back: the
  // rows were committed to match it, the operator was told to reprint the face, and the
  // operation's one log row says so.
  void expectCommittedForward(const Operation& op, qsizetype forwardsBefore) {
    const std::string where = std::string(op.name) + " / failsAfterWrite";
    EXPECT_TRUE(told_.contains(QStringLiteral("重印卡面"))) << told_.toStdString() << " " << where;
    EXPECT_EQ(readBytes(TheSettings().errorLogFile).count("_CommitForward"), forwardsBefore + 1) << where;
    const QStringList rows = apLog(op.action);
    ASSERT_FALSE(rows.isEmpty()) << where;
    EXPECT_TRUE(rows.last().endsWith(QStringLiteral("|") + kApReprintRemark)) << rows.last().toStdString() << " " << where;
    if (op.issues && op.kind != Operation::Kind::Reissue) {
      // The number stays with the card that carries it: the next card gets another.
      const QString first = CardNumber(SlotCard());
      InsertTestCard(SimCard{});
      op.run();
      EXPECT_FALSE(CardNumber(SlotCard()).isEmpty()) << where;
      EXPECT_NE(CardNumber(SlotCard()), first) << where;
    }
  }

  void runMatrix(const Operation& op) {
    for (const char* fault : {kFaultReadFails, kFaultWriteFails, kFaultEraseFails, kFaultPrintFails, kFaultMisinserted,
                              kFaultFailsAfterWrite}) {
      const bool doubleFault = qstrcmp(fault, kFaultFailsAfterWrite) == 0;
      // Erasing keeps its rollback: a blank card under a live row is erased again.
      if (doubleFault && op.kind == Operation::Kind::Erase) continue;
      tryCase([&] {
        prepare(op);
        SimCard c = SlotCard();
        const QByteArray before = c.tracks[0];
        c.fault = QString::fromLatin1(fault);
        SaveTestCard(c);
        const qsizetype forwards = readBytes(TheSettings().errorLogFile).count("_CommitForward");
        told_ = op.run();
        expectAgreement(op, QString::fromLatin1(fault), 0);
        if (doubleFault && SlotCard().tracks[0] != before) expectCommittedForward(op, forwards);
      });
    }
    const QStringList statements = statementsOf(op);
    for (int k = 0; k < statements.size(); ++k) {
      tryCase([&] {
        prepare(op);
        int n = 0;
        SetStatementHookForTest([&n, k](Connection&, const QString&) {
          if (n++ == k) throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
        });
        try {
          told_ = op.run();
        } catch (...) {
          ADD_FAILURE() << op.name << " let an exception out at statement " << k + 1 << ": " << statements[k].toStdString();
        }
        SetStatementHookForTest(nullptr);
        expectAgreement(op, QStringLiteral("statement %1: ").arg(k + 1) + statements[k].left(60), 0);
      });
    }
  }

  // A top-up in the card's history, for the reversals to take back.
  void topUpHistory() {
    Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnType, CardNo, TxnAmt, TxnPoint) VALUES ('21', ?, 1000, 0)"),
                   {card_});
  }

  const QString card_ = QStringLiteral("V000001");
  int historyRows_ = 0;
  int tried_ = 0, held_ = 0;
  QString told_;  // what the last run told the operator
};

// What a counter or card operation told the operator: nothing when it succeeded.
QString toldBy(const CounterOutcome& out) { return out.ok ? QString() : out.message; }
QString toldBy(const CardOutcome& out) { return out.ok ? QString() : out.message; }

TEST_P(FaultMatrixTest, EveryCardOperationSurvivesAFailureAtEachStep) {
  const OperationContext ctx = OperationContext::Current();
  bool queried = false;  // the card query ended with the card read and found
  const auto issueOne = [&ctx]() -> QString {
    IssueRun run;
    run.count = 1;
    run.cardType = QStringLiteral("V");
    run.store = QStringLiteral("001");
    run.balAmt = Money::fromInt(100);
    QString failText, cardNo;
    if (!PrepareIssueRun(ctx, run, failText)) return failText;
    const IssueResult result = IssueOneCard(ctx, run, cardNo, failText);
    const bool issued = result == IssueResult::Issued || result == IssueResult::IssuedUnprinted;
    LogIssueRun(!issued, failText, issued ? 1 : 0, cardNo, cardNo,
                result == IssueResult::IssuedUnprinted ? cardNo : QString());
    return result == IssueResult::Issued ? QString() : failText;
  };
  const std::vector<Operation> ops = {
      {"counter top-up", QStringLiteral("加值"), QStringLiteral("11"), false,
       [&ctx] { return toldBy(TopUp(ctx, QStringLiteral("500"))); }},
      {"counter deduction", QStringLiteral("扣抵"), QStringLiteral("11"), false,
       [&ctx] { return toldBy(Deduct(ctx, QStringLiteral("200"))); }},
      {"point deduction", QStringLiteral("扣點"), QStringLiteral("11"), false,
       [&ctx] { return toldBy(DeductPoints(ctx, QStringLiteral("10"))); }},
      {"counter sale", QStringLiteral("售出"), QStringLiteral("01"), false, [&ctx] { return toldBy(SellAtCounter(ctx)); }},
      {"counter reversal", QStringLiteral("沖正"), QStringLiteral("11"), false,
       [&ctx] { return toldBy(Reverse(ctx, {QStringLiteral("1"), QStringLiteral("300"), QString()}, nullptr)); },
       Operation::Kind::Values, nullptr, [this] { topUpHistory(); }},
      {"add value", QStringLiteral("加值"), QStringLiteral("11"), false,
       [&ctx] {
         const AddValueOutcome out = AddValue(ctx, QStringLiteral("300"), QString(), nullptr);
         return out.ok ? QString() : out.message;
       }},
      {"sale window", QStringLiteral("售出"), QStringLiteral("01"), false,
       [&ctx] { return toldBy(SellIssuedCard(ctx, QString())); }},
      {"issuing", QStringLiteral("發卡"), QString(), true, issueOne},
      {"erase", QStringLiteral("清除"), QStringLiteral("11"), false,
       [this, &ctx] { return toldBy(EraseCard(ctx, card_, QString())); }, Operation::Kind::Erase},
      {"re-issue", QStringLiteral("補發卡"), QString(), true,
       [this, &ctx] {
         dialogs_->yesNoAnswers = {true};
         const ReissueOutcome out = ReissueCard(ctx, {card_, QStringLiteral("W"), QString(), QString()});
         return out.ok ? QString() : out.message;
       },
       Operation::Kind::Reissue},
      {"card query", QString(), QStringLiteral("11"), false,
       [&ctx, &queried] {
         using Result = CardCheckOutcome::Result;
         const CardCheckOutcome out = ReadCardAgainstRecord(ctx);
         queried = out.result == Result::Matches || out.result == Result::Differs;
         return out.result == Result::Matches ? QString() : out.message;
       },
       Operation::Kind::Values, [&queried] { return queried; }},
      {"void", QStringLiteral("沖正"), QStringLiteral("11"), false,
       [&ctx] { return toldBy(ReverseTopUp(ctx, QStringLiteral("300"), QString(), QString())); },
       Operation::Kind::Values, nullptr, [this] { topUpHistory(); }},
      {"good-thru", QStringLiteral("變更有效日期"), QStringLiteral("11"), false,
       [&ctx] { return toldBy(ChangeGoodThru(ctx, QStringLiteral("2029/01/31"), QString(), nullptr)); }},
  };
  Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', 'main', 1)"));
  dialogs_->maxPolls = 200;  // a wait with no card to come ends as a cancel
  for (const Operation& op : ops) runMatrix(op);
  std::cout << "fault matrix on " << (isPostgres() ? "PostgreSQL" : "SQLite") << " over " << ops.size() << " card operations: tried " << tried_ << ", held " << held_
            << std::endl;
  EXPECT_GT(tried_, 60);
}

TOLVA_DB_TEST_SUITE(FaultMatrixTest);
