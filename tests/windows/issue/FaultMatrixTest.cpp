// Every card operation, failed at each device step and at each database statement (the commit
// included): afterwards the card, its master row and its journal agree, the operator was told,
// and the operation wrote its one application-log row. A card that fails once its stripe is
// rewritten (face and stripe restore both fail) is committed forward.
#include "support/IssueFixture.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"
#include "db/Database.h"
#include "windows/counter/MainWindow.h"
#include "windows/inquiry/EraseWindow.h"
#include "windows/inquiry/CardQueryWindow.h"
#include "windows/issue/AddValueWindow.h"
#include "windows/issue/ReissueWindow.h"
#include "windows/issue/IssueWindow.h"
#include "windows/issue/SaleWindow.h"
#include "windows/issue/GoodThruWindow.h"
#include "windows/issue/VoidWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <iostream>

namespace {

struct Operation {
  const char* name;
  QString action;      // its application-log action
  QString status;      // the master row's status before it
  bool issues = false; // issuing: the card starts blank and has no master row
  std::function<void()> run;
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
      gCnn().execute(QStringLiteral("DELETE FROM ") + QString::fromLatin1(table));
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
      const int told = dialogs_->texts(QStringLiteral("showMsg")).size() +
                       dialogs_->texts(QStringLiteral("messageBox")).size();
      EXPECT_GT(told, 0) << where;
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
    Connection::setStatementHookForTest([&seen](Connection&, const QString& sql) { seen << sql; });
    op.run();
    Connection::setStatementHookForTest(nullptr);
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
    const QStringList told = dialogs_->texts(QStringLiteral("showMsg")) + dialogs_->texts(QStringLiteral("messageBox"));
    EXPECT_TRUE(told.join(QLatin1Char('\n')).contains(QStringLiteral("重印卡面"))) << where;
    EXPECT_EQ(readBytes(gErrFile).count("_CommitForward"), forwardsBefore + 1) << where;
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
        const qsizetype forwards = readBytes(gErrFile).count("_CommitForward");
        op.run();
        expectAgreement(op, QString::fromLatin1(fault), 0);
        if (doubleFault && SlotCard().tracks[0] != before) expectCommittedForward(op, forwards);
      });
    }
    const QStringList statements = statementsOf(op);
    for (int k = 0; k < statements.size(); ++k) {
      tryCase([&] {
        prepare(op);
        int n = 0;
        Connection::setStatementHookForTest([&n, k](Connection&, const QString&) {
          if (n++ == k) throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
        });
        op.run();
        Connection::setStatementHookForTest(nullptr);
        expectAgreement(op, QStringLiteral("statement %1: ").arg(k + 1) + statements[k].left(60), 0);
      });
    }
  }

  // A top-up in the card's history, for the reversals to take back.
  void topUpHistory() {
    gCnn().execute(QStringLiteral("INSERT INTO TolvaLog (TxnType, CardNo, TxnAmt, TxnPoint) VALUES ('21', ?, 1000, 0)"),
                   {card_});
  }

  const QString card_ = QStringLiteral("V000001");
  int historyRows_ = 0;
  int tried_ = 0, held_ = 0;
};

TEST_P(FaultMatrixTest, EveryCardOperationSurvivesAFailureAtEachStep) {
  MainWindow counter;
  AddValueWindow addAmt;
  SaleWindow sale;
  IssueWindow issue;
  ReissueWindow reIssue;
  CardQueryWindow query;
  VoidWindow voidTxn;
  GoodThruWindow goodThru;
  QLineEdit* queried = query.field(QStringLiteral("txtCardNo"));
  auto counterOp = [&](const char* field, const QString& value, void (MainWindow::*handler)()) {
    return [&counter, field, value, handler] {
      counter.field(QString::fromLatin1(field))->setText(value);
      (counter.*handler)();
    };
  };
  const std::vector<Operation> ops = {
      {"counter top-up", QStringLiteral("加值"), QStringLiteral("11"), false,
       counterOp("txtAmt", QStringLiteral("500"), &MainWindow::cmdClientAddAmt_Click)},
      {"counter deduction", QStringLiteral("扣抵"), QStringLiteral("11"), false,
       counterOp("txtAmt", QStringLiteral("200"), &MainWindow::cmdDeductAmt_Click)},
      {"point deduction", QStringLiteral("扣點"), QStringLiteral("11"), false,
       counterOp("txtPoint", QStringLiteral("10"), &MainWindow::cmdDeductPoint_Click)},
      {"counter sale", QStringLiteral("售出"), QStringLiteral("01"), false, [&counter] { counter.cmdSaleCardT_Click(); }},
      {"counter reversal", QStringLiteral("沖正"), QStringLiteral("11"), false,
       [&counter] {
         counter.cboType()->setCurrentIndex(0);  // 1 沖正加值
         counter.field(QStringLiteral("txtAmtB"))->setText(QStringLiteral("300"));
         counter.cmdUPDOCheck_Click();
       },
       Operation::Kind::Values, nullptr, [this] { topUpHistory(); }},
      {"add value", QStringLiteral("加值"), QStringLiteral("11"), false,
       [&addAmt] {
         addAmt.txtAddAmt()->setText(QStringLiteral("300"));
         addAmt.cmdOK_Click();
       }},
      {"sale window", QStringLiteral("售出"), QStringLiteral("01"), false, [&sale] { sale.cmdOK_Click(); }},
      {"issuing", QStringLiteral("發卡"), QString(), true,
       [&issue] {
         issue.txtCardType()->setText(QStringLiteral("V"));
         issue.txtCardCnt()->setText(QStringLiteral("1"));
         issue.txtStoreID()->setText(QStringLiteral("001"));
         issue.txtBalAmt()->setText(QStringLiteral("100"));
         issue.cmdIsuCard_Click();
       }},
      {"erase", QStringLiteral("清除"), QStringLiteral("11"), false,
       [this] {
         EraseWindow erase;  // a window of its own: a window refuses a number it erased before
         erase.txtCardNo()->setText(card_);
         erase.cmdEraseCard_Click();
       },
       Operation::Kind::Erase},
      {"re-issue", QStringLiteral("補發卡"), QString(), true,
       [this, &reIssue] {
         reIssue.txtOCardNo()->setText(card_);
         reIssue.txtNewCardType()->setText(QStringLiteral("W"));
         dialogs_->yesNoAnswers = {true};
         reIssue.cmdIsuCard_Click();
       },
       Operation::Kind::Reissue},
      {"card query", QString(), QStringLiteral("11"), false,
       [&query, queried] {
         queried->clear();
         query.cmdReadCard_Click();
       },
       Operation::Kind::Values, [this, queried] { return queried->text() == card_; }},
      {"void", QStringLiteral("沖正"), QStringLiteral("11"), false,
       [&voidTxn] {
         voidTxn.txtVoidAmt()->setText(QStringLiteral("300"));
         voidTxn.cmdVoidTxn_Click();
       },
       Operation::Kind::Values, nullptr, [this] { topUpHistory(); }},
      {"good-thru", QStringLiteral("變更有效日期"), QStringLiteral("11"), false,
       [&goodThru] {
         goodThru.txtUpdGoodThru()->setText(QStringLiteral("2029/01/31"));
         goodThru.cmdOK_Click();
       }},
  };
  gCnn().execute(QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', 'main', 1)"));
  dialogs_->maxPolls = 200;  // a wait with no card to come ends as a cancel
  for (const Operation& op : ops) runMatrix(op);
  std::cout << "fault matrix on " << (isPostgres() ? "PostgreSQL" : "SQLite") << " over " << ops.size() << " card operations: tried " << tried_ << ", held " << held_
            << std::endl;
  EXPECT_GT(tried_, 60);
}

TOLVA_DB_TEST_SUITE(FaultMatrixTest);
