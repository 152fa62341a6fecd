// Cards taken through their lives by the windows alone, on the simulated reader: afterwards the
// reconciliation finds nothing, the liability of the day is what the master rows hold, and
// each card carries its master row's values.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"
#include "db/Parameters.h"
#include "windows/counter/MainWindow.h"
#include "windows/inquiry/BlacklistWindow.h"
#include "windows/inquiry/EraseWindow.h"
#include "windows/issue/AddValueWindow.h"
#include "windows/issue/IssueWindow.h"
#include "windows/issue/ReissueWindow.h"
#include "windows/issue/SaleWindow.h"
#include "windows/issue/GoodThruWindow.h"
#include "windows/issue/VoidWindow.h"
#include "ledger/ReportQueries.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSqlQuery>

class CardLifeTest : public IssueTest {
protected:
  // The operator inserts this card at the next card wait.
  void atNextWait(const QString& file) { dialogs_->atCardWait.push_back([file] { TestReader().insert(file); }); }
  static QString cardNoOn(const QString& file) {
    QString no, store, batch, thru, bal, pts, msg;
    const SimCard card = SimCard::load(file).value_or(SimCard{});
    return DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg) ? no.trimmed() : QString();
  }
  // Each card's stripe balance and points equal its master row's.
  void expectCardsMatchMaster(const QStringList& files) {
    for (const QString& file : files) {
      QString no, store, batch, thru, bal, pts, msg;
      const SimCard card = SimCard::load(file).value_or(SimCard{});
      if (!DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg)) continue;  // erased
      EXPECT_EQ(Money::val(bal), master(QStringLiteral("BalAmt"), no.trimmed())) << no.toStdString();
      EXPECT_EQ(Money::val(pts), master(QStringLiteral("BalPoint"), no.trimmed())) << no.toStdString();
    }
  }
  QStringList journalTypes() const {
    QStringList types;
    QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT TxnType FROM TolvaLog ORDER BY RNo"));
    while (q.next()) types << q.value(0).toString();
    return types;
  }
};

TEST_P(CardLifeTest, CardsChangedByTheWindowsLeaveNothingToReconcile) {
  Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', 'main', 1)"));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  dialogs_->maxPolls = 200;
  QStringList files;
  for (int i = 0; i < 3; ++i) files << TestReader().newBlankCard();

  IssueWindow issue;
  issue.txtCardType()->setText(QStringLiteral("V"));
  issue.txtCardCnt()->setText(QStringLiteral("2"));
  issue.txtStoreID()->setText(QStringLiteral("001"));
  issue.txtBalAmt()->setText(QStringLiteral("100"));
  atNextWait(files[0]);
  atNextWait(files[1]);
  issue.issueCards();
  const QString first = cardNoOn(files[0]), second = cardNoOn(files[1]);
  ASSERT_FALSE(first.isEmpty());
  ASSERT_FALSE(second.isEmpty());

  SaleWindow sale;
  atNextWait(files[0]);
  atNextWait(files[1]);
  sale.sellCards();

  AddValueWindow addAmt;
  addAmt.txtAddAmt()->setText(QStringLiteral("300"));
  atNextWait(files[0]);
  addAmt.addValue();

  MainWindow counter;
  auto press = [&](const char* field, const QString& value, void (MainWindow::*handler)()) {
    counter.field(QString::fromLatin1(field))->setText(value);
    atNextWait(files[0]);
    (counter.*handler)();
  };
  press("txtAmt", QStringLiteral("500"), &MainWindow::topUpCard);
  press("txtAmt", QStringLiteral("200"), &MainWindow::deductAmount);  // earns 2 points
  press("txtPoint", QStringLiteral("2"), &MainWindow::deductPoints);
  counter.cboType()->setCurrentIndex(1);  // 2 沖正扣抵
  press("txtAmtB", QStringLiteral("50"), &MainWindow::reverseTransaction);

  VoidWindow voidTxn;
  voidTxn.txtVoidAmt()->setText(QStringLiteral("100"));
  atNextWait(files[0]);
  voidTxn.voidTransaction();

  GoodThruWindow goodThru;
  goodThru.txtUpdGoodThru()->setText(QStringLiteral("2029/01/31"));
  atNextWait(files[0]);
  goodThru.changeGoodThru();

  // The first card is lost: blacklisted and replaced by a new card with its value.
  BlacklistWindow black;
  black.field(QStringLiteral("txtCardNo"))->setText(first);
  black.field(QStringLiteral("txtRemark"))->setText(QStringLiteral("lost"));
  dialogs_->yesNoAnswers = {true};
  black.blacklistCard();
  ReissueWindow reIssue;
  reIssue.txtOCardNo()->setText(first);
  reIssue.txtNewCardType()->setText(QStringLiteral("W"));
  dialogs_->yesNoAnswers = {true};
  atNextWait(files[2]);
  reIssue.reissueCard();

  // The second card is taken back and erased.
  EraseWindow erase;
  erase.txtCardNo()->setText(second);
  atNextWait(files[1]);
  erase.eraseCard();

  // Every window did its work: one journal row each.
  EXPECT_EQ(journalTypes(), (QStringList{"11", "11", "13", "13", "21", "21", "22", "23", "32", "31", "31", "99", "12", "81"}))
      << dialogs_->texts(QStringLiteral("showMessage")).join(QLatin1Char(';')).toStdString();
  const QString replacement = cardNoOn(files[2]);
  EXPECT_EQ(status(first), CardStatus::Blacklisted);
  EXPECT_EQ(status(second), CardStatus::Erased);
  EXPECT_EQ(status(replacement), CardStatus::Reissued);
  expectCardsMatchMaster(files);

  EXPECT_EQ(Must(SelectDisagreements(gCnn())).size(), 0);
  // Only the replacement is live today, with the first card's value.
  const Liability l = Must(ComputeLiability(gCnn(), today()));
  EXPECT_EQ(l.total.cards, 1);
  EXPECT_EQ(l.total.balance, master(QStringLiteral("BalAmt"), replacement));
  EXPECT_EQ(l.total.points, master(QStringLiteral("BalPoint"), replacement));
}

TOLVA_DB_TEST_SUITE(CardLifeTest);
